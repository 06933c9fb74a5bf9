#include "app/ServerCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velloran {
namespace {

using namespace std::chrono_literals;
using Outcome = CheckOutcome;

// --- The address of a row ----------------------------------------------------

TEST(ConnectTargetOf, ReadsDottedAddressesAndPortsOnly) {
  const struct {
    const char* ip;
    const char* port;
    std::optional<ConnectTarget> target;
  } cases[] = {
      {"127.0.0.1", "8888", ConnectTarget{0x7F000001u, 8888}},
      {" 10.20.30.40\t", " 80 ", ConnectTarget{0x0A141E28u, 80}},
      {"255.255.255.255", "65535", ConnectTarget{0xFFFFFFFFu, 65535}},
      {"0.0.0.0", "1", ConnectTarget{0, 1}},
      {"1.2.3.4", "00080", ConnectTarget{0x01020304u, 80}},
      // Not dotted addresses: nothing is resolved.
      {"opennap.example.com", "8888", std::nullopt},
      {"", "8888", std::nullopt},
      {"1.2.3", "8888", std::nullopt},
      {"1.2.3.4.5", "8888", std::nullopt},
      {"1..3.4", "8888", std::nullopt},
      {"1.2.3.4.", "8888", std::nullopt},
      {".1.2.3", "8888", std::nullopt},
      {"256.1.1.1", "8888", std::nullopt},
      {"1.2.3.1000", "8888", std::nullopt},
      {"1.2.3.-4", "8888", std::nullopt},
      {"1.2.3.+4", "8888", std::nullopt},
      {"1.2. 3.4", "8888", std::nullopt},
      {"0x7f.0.0.1", "8888", std::nullopt},
      // Read as octal elsewhere: 010 would be server 8 to WinMX.
      {"010.0.0.1", "8888", std::nullopt},
      {"1.2.3.04", "8888", std::nullopt},
      {"127.0.0.1:8888", "8888", std::nullopt},
      // Ports.
      {"1.2.3.4", "", std::nullopt},
      {"1.2.3.4", "0", std::nullopt},
      {"1.2.3.4", "000", std::nullopt},
      {"1.2.3.4", "65536", std::nullopt},
      {"1.2.3.4", "99999999999999999999", std::nullopt},
      {"1.2.3.4", "-1", std::nullopt},
      {"1.2.3.4", "+80", std::nullopt},
      {"1.2.3.4", "8 0", std::nullopt},
      {"1.2.3.4", "n/a", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConnectTargetOf(c.ip, c.port), c.target) << "\"" << c.ip << "\" \"" << c.port << "\"";
  }
}

// --- The check over a scripted connector ---------------------------------------

// Attempts end only when a test says so; time passes only when a test moves it.
class ScriptedConnector : public ConnectAttempts {
 public:
  bool Begin(int attempt, const ConnectTarget& target) override {
    if (failBegin) return false;
    underWay[attempt] = target;
    begun.push_back(attempt);
    mostUnderWay = std::max(mostUnderWay, static_cast<int>(underWay.size()));
    return true;
  }
  void End(int attempt) override {
    EXPECT_EQ(underWay.erase(attempt), 1u) << "ended an attempt that was not under way";
    ended.push_back(attempt);
  }
  void WakeAfter(std::chrono::milliseconds delay) override { wake = now + delay; }
  Clock::time_point Now() override { return now; }

  // Moves the clock, ticking the check when its wake-up is due.
  void Pass(std::chrono::milliseconds span) {
    const Clock::time_point until = now + span;
    while (wake && *wake <= until) {
      now = std::max(now, *wake);
      wake.reset();
      OnWake();
    }
    now = until;
  }
  // The connector's report for an attempt under way.
  void Report(int attempt, bool answered) {
    ASSERT_EQ(underWay.erase(attempt), 1u);
    OnEnded(attempt, answered);
  }
  int Oldest() const { return underWay.begin()->first; }

  std::map<int, ConnectTarget> underWay;
  std::vector<int> begun;
  std::vector<int> ended;
  int mostUnderWay = 0;
  bool failBegin = false;
  Clock::time_point now{};
  std::optional<Clock::time_point> wake;
};

// Row I has id I and port 1000 + I; rows in Unreachable hold no address.
std::vector<ServerCheck::Row> Rows(int count, std::vector<int> unreachable = {}) {
  std::vector<ServerCheck::Row> rows;
  for (int i = 0; i < count; ++i) {
    ServerCheck::Row row{i, ConnectTarget{0x7F000001u, static_cast<std::uint16_t>(1000 + i)}};
    if (std::find(unreachable.begin(), unreachable.end(), i) != unreachable.end())
      row.target.reset();
    rows.push_back(row);
  }
  return rows;
}

class ServerCheckTest : public ::testing::Test {
 protected:
  ServerCheckTest() {
    check.OnProgress = [this] { ++progress; };
    check.OnFinished = [this] {
      ++finished;
      EXPECT_FALSE(check.Running());
    };
  }
  int PortOf(int attempt) const { return connector.underWay.at(attempt).port; }

  ScriptedConnector connector;
  ServerCheck check{connector};
  int progress = 0;
  int finished = 0;
};

TEST_F(ServerCheckTest, NeverMoreThanThirtyTwoAtOnceAndEveryRowGetsItsOutcome) {
  check.Start(Rows(300), 300);
  EXPECT_EQ(connector.underWay.size(), 32u);
  // Rows are tried in their order; every third one refuses.
  int answered = 0;
  for (int reported = 0; reported < 300; ++reported) {
    ASSERT_FALSE(connector.underWay.empty());
    const int attempt = connector.Oldest();
    const int row = PortOf(attempt) - 1000;
    EXPECT_EQ(row, reported) << "rows are tried in their order";
    EXPECT_EQ(check.Outcome(row), Outcome::Checking);
    const bool answers = row % 3 != 0;
    answered += answers;
    connector.Report(attempt, answers);
    EXPECT_EQ(check.Done(), reported + 1);
    EXPECT_EQ(check.Answered(), answered);
    EXPECT_EQ(static_cast<int>(connector.underWay.size()), std::min(32, 300 - reported - 1));
  }
  EXPECT_EQ(connector.mostUnderWay, 32);
  EXPECT_EQ(connector.begun.size(), 300u);
  EXPECT_FALSE(check.Running());
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(check.Answered(), 200);
  for (int row = 0; row < 300; ++row)
    EXPECT_EQ(check.Outcome(row), row % 3 ? Outcome::Answered : Outcome::Refused) << row;
}

TEST_F(ServerCheckTest, AnAttemptWithoutAnswerEndsAtItsTimeLimitAndMakesRoom) {
  check.Start(Rows(40), 40);
  ASSERT_EQ(connector.underWay.size(), 32u);
  ASSERT_TRUE(connector.wake);
  connector.Pass(4999ms);
  EXPECT_EQ(check.Done(), 0);
  EXPECT_EQ(check.Outcome(0), Outcome::Checking);
  // Row 5 answers just in time; the others of the first 32 run out.
  connector.Report(connector.begun[5], true);
  connector.Pass(1ms);
  EXPECT_EQ(check.Outcome(0), Outcome::TimedOut);
  EXPECT_EQ(check.Outcome(5), Outcome::Answered);
  EXPECT_EQ(check.Outcome(31), Outcome::TimedOut);
  EXPECT_EQ(connector.ended.size(), 31u);
  EXPECT_EQ(check.Done(), 32);
  // The last 8 were started on the way and have their own five seconds:
  // row 32 began when row 5 answered, at 4999 ms.
  EXPECT_EQ(check.Outcome(32), Outcome::Checking);
  EXPECT_EQ(connector.underWay.size(), 8u);
  connector.Pass(4998ms);
  EXPECT_EQ(check.Outcome(32), Outcome::Checking);
  connector.Pass(1ms);
  EXPECT_EQ(check.Outcome(32), Outcome::TimedOut);
  EXPECT_EQ(check.Outcome(33), Outcome::Checking);
  connector.Pass(1ms);
  EXPECT_FALSE(check.Running());
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(check.Done(), 40);
  EXPECT_EQ(check.Answered(), 1);
  EXPECT_TRUE(connector.underWay.empty());
}

TEST_F(ServerCheckTest, RowsWithoutAnAddressAreNotCheckableAndCountAtOnce) {
  check.Start(Rows(6, {1, 4}), 6);
  EXPECT_EQ(check.Outcome(1), Outcome::NotCheckable);
  EXPECT_EQ(check.Outcome(4), Outcome::NotCheckable);
  EXPECT_EQ(check.Done(), 2);
  EXPECT_EQ(connector.underWay.size(), 4u);
  for (const auto& [attempt, target] : connector.underWay)
    EXPECT_NE(target.port, 1001) << "a row without an address was tried";
  while (!connector.underWay.empty()) connector.Report(connector.Oldest(), true);
  EXPECT_EQ(check.Total(), 6);
  EXPECT_EQ(check.Done(), 6);
  EXPECT_EQ(check.Answered(), 4);
  EXPECT_EQ(finished, 1);

  // A check of nothing to try is over at once.
  check.Start(Rows(3, {0, 1, 2}), 3);
  EXPECT_FALSE(check.Running());
  EXPECT_EQ(finished, 2);
  check.Start({}, 0);
  EXPECT_EQ(finished, 3);
  EXPECT_EQ(check.Total(), 0);
}

TEST_F(ServerCheckTest, AnAttemptThatCanNotStartCountsAsRefused) {
  connector.failBegin = true;
  check.Start(Rows(50), 50);
  EXPECT_FALSE(check.Running());
  EXPECT_EQ(check.Done(), 50);
  EXPECT_EQ(check.Answered(), 0);
  EXPECT_EQ(check.Outcome(49), Outcome::Refused);
  EXPECT_EQ(finished, 1);
}

TEST_F(ServerCheckTest, StopEndsTheAttemptsAndLeavesUnfinishedRowsUnchecked) {
  check.Start(Rows(50), 50);
  connector.Report(connector.begun[0], true);
  connector.Report(connector.begun[1], false);
  const std::vector<int> underWay = [&] {
    std::vector<int> attempts;
    for (const auto& entry : connector.underWay) attempts.push_back(entry.first);
    return attempts;
  }();
  check.Stop();
  EXPECT_FALSE(check.Running());
  EXPECT_EQ(finished, 0);
  EXPECT_TRUE(connector.underWay.empty());
  EXPECT_EQ(connector.ended, underWay);
  EXPECT_EQ(check.Outcome(0), Outcome::Answered);
  EXPECT_EQ(check.Outcome(1), Outcome::Refused);
  EXPECT_EQ(check.Outcome(2), Outcome::Unchecked);
  EXPECT_EQ(check.Outcome(49), Outcome::Unchecked);
  EXPECT_EQ(check.Done(), 2);
  EXPECT_EQ(check.Answered(), 1);
  // A report or a tick that was on its way changes nothing.
  check.AttemptEnded(underWay[0], true);
  check.TimeTick();
  EXPECT_EQ(check.Outcome(2), Outcome::Unchecked);
  EXPECT_EQ(check.Answered(), 1);
  EXPECT_EQ(connector.begun.size(), 34u) << "nothing started after the stop";

  check.Forget();
  EXPECT_EQ(check.Outcome(0), Outcome::Unchecked);
  EXPECT_EQ(check.Done(), 0);
}

TEST_F(ServerCheckTest, ALateReportOfAnEarlierCheckNeverLandsOnTheNextOne) {
  check.Start(Rows(3), 3);
  const std::vector<int> first = connector.begun;
  check.Start(Rows(3), 3);
  EXPECT_EQ(connector.ended, first);
  for (int attempt : first) check.AttemptEnded(attempt, true);
  EXPECT_EQ(check.Answered(), 0);
  EXPECT_EQ(check.Outcome(0), Outcome::Checking);
  connector.Report(connector.Oldest(), true);
  EXPECT_EQ(check.Answered(), 1);
  // And a report twice over counts once.
  check.AttemptEnded(connector.begun[3], true);
  EXPECT_EQ(check.Answered(), 1);
}

TEST_F(ServerCheckTest, OutcomesBelongToTheRowIdsNotToPositions) {
  // The rows in display order after a sort: ids 4, 0, 2.
  std::vector<ServerCheck::Row> rows = {
      {4, ConnectTarget{1, 4}}, {0, std::nullopt}, {2, ConnectTarget{1, 2}}};
  check.Start(rows, 5);
  for (const auto& [attempt, target] : std::map(connector.underWay))
    connector.Report(attempt, target.port == 4);
  EXPECT_EQ(check.Outcome(4), Outcome::Answered);
  EXPECT_EQ(check.Outcome(0), Outcome::NotCheckable);
  EXPECT_EQ(check.Outcome(2), Outcome::Refused);
  EXPECT_EQ(check.Outcome(1), Outcome::Unchecked);
  EXPECT_EQ(check.Outcome(99), Outcome::Unchecked);
  EXPECT_THROW(check.Start({{5, std::nullopt}}, 5), std::invalid_argument);
}

TEST_F(ServerCheckTest, AHandlerMayStopTheCheckFromItsProgressEvent) {
  check.OnProgress = [this] {
    if (check.Done() == 3) check.Stop();
  };
  check.Start(Rows(10), 10);
  for (int i = 0; i < 3; ++i) connector.Report(connector.Oldest(), true);
  EXPECT_FALSE(check.Running());
  EXPECT_EQ(finished, 0) << "a stop is no end of the check";
  EXPECT_TRUE(connector.underWay.empty());
  EXPECT_EQ(check.Answered(), 3);
}

}  // namespace
}  // namespace velloran
