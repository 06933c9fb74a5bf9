#pragma once
// Which listed servers answer now: for each row a TCP connection attempt to
// its IP and Port, a bounded number at a time, each given a time limit. The
// attempts themselves are a connector's business (sockets on Windows, a
// script in the tests); this decides what to try when, and what came of it.
//
// Threading and re-entrancy: one thread (the user-interface thread). The
// connector's reports (OnEnded, OnWake, taken over by the check while it
// lives) come from that thread's message handling, never from inside Begin
// or End; the events below may call Stop, Forget or Start.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "net/ConnectAttempts.h"

namespace velloran {

// The address to try for a row's IP and Port cells, or none when the row is
// not checkable. The IP must be a dotted address of four decimal numbers
// 0-255 (nothing is resolved); a number with a leading zero is refused, since
// other programs read it as octal and would reach another server than the one
// tried. The port must be a decimal number 1-65535. Blanks around either are
// ignored.
std::optional<ConnectTarget> ConnectTargetOf(std::string_view ip, std::string_view port);

enum class CheckOutcome : std::uint8_t {
  Unchecked,     // not part of a check, or the check stopped before it
  Waiting,       // queued
  Checking,      // an attempt is under way
  Answered,      // the connection was made
  Refused,       // the attempt failed (refused, unreachable, no socket)
  TimedOut,      // no answer within the time limit
  NotCheckable,  // the row holds no dotted address and port
};

// Whether an outcome means the server is not reachable now.
inline bool NoAnswer(CheckOutcome outcome) {
  return outcome == CheckOutcome::Refused || outcome == CheckOutcome::TimedOut;
}

struct CheckLimits {
  int concurrent = 32;
  std::chrono::milliseconds perAttempt{5000};
};

class ServerCheck {
 public:
  using Limits = CheckLimits;
  // A row to check: its identity (what the outcome is kept under, so that it
  // follows the row wherever a sort moves it) and what to try.
  struct Row {
    int id = 0;
    std::optional<ConnectTarget> target;
  };

  explicit ServerCheck(ConnectAttempts& connector, Limits limits = {});
  ~ServerCheck();
  ServerCheck(const ServerCheck&) = delete;
  ServerCheck& operator=(const ServerCheck&) = delete;

  // Checks Rows in their order, forgetting every earlier outcome. Ids lie in
  // 0 .. IdCount - 1. A check of no rows ends at once.
  void Start(const std::vector<Row>& rows, int idCount);
  // Ends the attempts under way; rows not finished go back to Unchecked, the
  // others keep their outcomes. OnFinished does not fire.
  void Stop();
  // Stop, and every outcome dropped: the rows they belonged to are gone.
  void Forget();

  bool Running() const { return running_; }
  // Rows of the latest check, rows finished (not checkable ones count at
  // once), rows that answered.
  int Total() const { return static_cast<int>(rows_.size()); }
  int Done() const { return done_; }
  int Answered() const { return answered_; }
  int UnderWay() const { return underWay_; }
  CheckOutcome Outcome(int id) const;

  // The connector's reports.
  void AttemptEnded(int attempt, bool answered);
  void TimeTick();

  // Outcomes or counts changed (once per start, report, tick or stop, when
  // all is settled); the check is over (after OnProgress).
  std::function<void()> OnProgress;
  std::function<void()> OnFinished;

 private:
  struct Pending {
    int position;
    ConnectAttempts::Clock::time_point deadline;
  };
  CheckOutcome& OutcomeAt(int position) { return outcomes_[rows_[position].id]; }
  // Ends what ran out of time, starts what fits, asks for the next tick.
  void Advance();
  void Finish(int position, CheckOutcome outcome);
  void DropUnderWay();
  // Tells the owner, once the state is settled.
  void Report();

  ConnectAttempts& connector_;
  const Limits limits_;
  std::vector<Row> rows_;
  std::vector<CheckOutcome> outcomes_;
  // Attempts under way in the order they started, so also by deadline;
  // entries of attempts that already ended are skipped when met.
  std::deque<Pending> pending_;
  // Attempt numbers of this check are Base + position, so that a late report
  // of an earlier check never lands on a row of this one.
  int base_ = 0;
  int next_ = 0;
  int done_ = 0;
  int answered_ = 0;
  int underWay_ = 0;
  bool running_ = false;
  // Set while Advance runs: a report from inside Begin is taken in by it.
  bool advancing_ = false;
};

}  // namespace velloran
