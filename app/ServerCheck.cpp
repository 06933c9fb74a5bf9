#include "app/ServerCheck.h"

#include <climits>
#include <stdexcept>

namespace velloran {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A decimal number of 1 to MaxDigits digits, at most Max; a leading zero only
// when ZeroLed allows it.
std::optional<std::uint32_t> DecimalNumber(std::string_view text, std::size_t maxDigits,
                                           std::uint32_t max, bool zeroLed) {
  if (text.empty()) return std::nullopt;
  if (!zeroLed && text.size() > 1 && text[0] == '0') return std::nullopt;
  // Leading zeros don't count against the digits: "00080" is port 80.
  std::size_t significant = 0;
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    if (value != 0 || c != '0') ++significant;
    if (significant > maxDigits) return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ConnectTarget> ConnectTargetOf(std::string_view ip, std::string_view port) {
  ip = TrimBlanks(ip);
  ConnectTarget target;
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = part < 3 ? ip.find('.') : ip.size();
    if (dot == std::string_view::npos) return std::nullopt;
    const auto number = DecimalNumber(ip.substr(0, dot), 3, 255, false);
    if (!number) return std::nullopt;
    target.address = target.address << 8 | *number;
    ip.remove_prefix(part < 3 ? dot + 1 : dot);
  }
  const auto portNumber = DecimalNumber(TrimBlanks(port), 5, 65535, true);
  if (!portNumber || *portNumber == 0) return std::nullopt;
  target.port = static_cast<std::uint16_t>(*portNumber);
  return target;
}

ServerCheck::ServerCheck(ConnectAttempts& connector, Limits limits)
    : connector_(connector), limits_(limits) {
  connector_.OnEnded = [this](int attempt, bool connected) { AttemptEnded(attempt, connected); };
  connector_.OnWake = [this] { TimeTick(); };
}

ServerCheck::~ServerCheck() {
  DropUnderWay();
  connector_.OnEnded = nullptr;
  connector_.OnWake = nullptr;
}

CheckOutcome ServerCheck::Outcome(int id) const {
  if (id < 0 || id >= static_cast<int>(outcomes_.size())) return CheckOutcome::Unchecked;
  return outcomes_[id];
}

void ServerCheck::Start(const std::vector<Row>& rows, int idCount) {
  for (const Row& row : rows)
    if (row.id < 0 || row.id >= idCount) throw std::invalid_argument("row id out of range");
  DropUnderWay();
  // Far past any report still on its way from an earlier check.
  base_ = base_ > INT_MAX / 2 ? 0 : base_ + static_cast<int>(rows_.size()) + 1;
  rows_ = rows;
  outcomes_.assign(static_cast<std::size_t>(idCount), CheckOutcome::Unchecked);
  next_ = done_ = answered_ = 0;
  running_ = true;
  for (const Row& row : rows_) {
    outcomes_[row.id] = row.target ? CheckOutcome::Waiting : CheckOutcome::NotCheckable;
    if (!row.target) ++done_;
  }
  Advance();
  Report();
}

void ServerCheck::DropUnderWay() {
  for (const Pending& pending : pending_) {
    CheckOutcome& outcome = OutcomeAt(pending.position);
    if (outcome != CheckOutcome::Checking) continue;
    connector_.End(base_ + pending.position);
    outcome = CheckOutcome::Unchecked;
  }
  pending_.clear();
  underWay_ = 0;
}

void ServerCheck::Stop() {
  if (!running_) return;
  DropUnderWay();
  for (int position = next_; position < Total(); ++position) {
    CheckOutcome& outcome = OutcomeAt(position);
    if (outcome == CheckOutcome::Waiting) outcome = CheckOutcome::Unchecked;
  }
  next_ = Total();
  running_ = false;
  if (OnProgress) OnProgress();
}

void ServerCheck::Forget() {
  const bool wasRunning = running_;
  DropUnderWay();
  running_ = false;
  rows_.clear();
  outcomes_.clear();
  next_ = done_ = answered_ = 0;
  if (wasRunning && OnProgress) OnProgress();
}

void ServerCheck::Finish(int position, CheckOutcome outcome) {
  OutcomeAt(position) = outcome;
  --underWay_;
  ++done_;
  if (outcome == CheckOutcome::Answered) ++answered_;
}

void ServerCheck::AttemptEnded(int attempt, bool answered) {
  const long long position = static_cast<long long>(attempt) - base_;
  if (!running_ || position < 0 || position >= Total()) return;
  if (OutcomeAt(static_cast<int>(position)) != CheckOutcome::Checking) return;
  Finish(static_cast<int>(position), answered ? CheckOutcome::Answered : CheckOutcome::Refused);
  if (advancing_) return;
  Advance();
  Report();
}

void ServerCheck::TimeTick() {
  if (!running_) return;
  Advance();
  Report();
}

void ServerCheck::Advance() {
  advancing_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{advancing_};
  const auto now = connector_.Now();
  auto dropEnded = [this] {
    while (!pending_.empty() && OutcomeAt(pending_.front().position) != CheckOutcome::Checking)
      pending_.pop_front();
  };
  for (dropEnded(); !pending_.empty() && pending_.front().deadline <= now; dropEnded()) {
    const int position = pending_.front().position;
    pending_.pop_front();
    connector_.End(base_ + position);
    Finish(position, CheckOutcome::TimedOut);
  }
  while (underWay_ < limits_.concurrent && next_ < Total()) {
    const int position = next_++;
    if (OutcomeAt(position) != CheckOutcome::Waiting) continue;
    OutcomeAt(position) = CheckOutcome::Checking;
    ++underWay_;
    pending_.push_back({position, now + limits_.perAttempt});
    if (!connector_.Begin(base_ + position, *rows_[position].target))
      Finish(position, CheckOutcome::Refused);
  }
  dropEnded();
  if (pending_.empty()) {
    if (next_ >= Total()) running_ = false;
    return;
  }
  const auto left = pending_.front().deadline - now;
  // Rounded up: a tick a little early would find nothing due and ask again.
  connector_.WakeAfter(std::chrono::ceil<std::chrono::milliseconds>(left));
}

void ServerCheck::Report() {
  // Taken first: OnProgress may stop the check, which is no end of it.
  const bool finished = !running_;
  if (OnProgress) OnProgress();
  if (finished && OnFinished) OnFinished();
}

}  // namespace velloran
