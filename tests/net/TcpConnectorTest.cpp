// The Windows connector against listeners on 127.0.0.1: ports that accept, a
// closed port, a listener whose queue is full, and the one wake-up; then the
// check over it. Windows and Wine differ in two ways the tests allow for: a
// refused loopback connection takes Windows a second or two (it tries again
// after the reset), and a full queue makes Windows refuse where Linux stays silent.
#include "net/TcpConnector.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

#include "app/ServerCheck.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

constexpr std::uint32_t Loopback = 0x7F000001u;

class TcpConnectorTest : public ::testing::Test {
 protected:
  TcpConnectorTest() {
    connector.OnEnded = [this](int attempt, bool connected) {
      EXPECT_EQ(ended.count(attempt), 0u) << "reported twice: " << attempt;
      ended[attempt] = connected;
      EXPECT_EQ(connector.UnderWay(), static_cast<int>(begun - ended.size()))
          << "the socket is closed before the report";
    };
  }
  bool Begin(int attempt, std::uint16_t port, std::uint32_t address = Loopback) {
    const bool started = connector.Begin(attempt, {address, port});
    begun += started;
    return started;
  }
  bool WaitForReports(std::size_t count, DWORD timeoutMs) {
    return WaitUntil([&] { return ended.size() >= count; }, timeoutMs);
  }

  TTcpConnector connector;
  std::size_t begun = 0;
  std::map<int, bool> ended;
};

TEST_F(TcpConnectorTest, AcceptingPortsAnswerAndAreClosedAtOnceWithNothingSent) {
  // Each server reads what comes until the peer closes: nothing, here.
  std::vector<std::unique_ptr<test::LoopbackServer>> servers;
  for (int i = 0; i < 3; ++i)
    servers.push_back(std::make_unique<test::LoopbackServer>(
        std::vector<test::LoopbackReply>{test::LoopbackReply::Text("")}));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Begin(10 + i, servers[i]->Port()));
  EXPECT_TRUE(ended.empty()) << "no report from inside Begin";
  ASSERT_TRUE(WaitForReports(3, 10000));
  EXPECT_EQ(ended, (std::map<int, bool>{{10, true}, {11, true}, {12, true}}));
  EXPECT_EQ(connector.UnderWay(), 0);
  for (auto& server : servers) {
    ASSERT_TRUE(WaitUntil([&] { return server->Requests().size() == 1; }, 5000));
    EXPECT_EQ(server->Requests(), std::vector<std::string>{""});
  }
}

TEST_F(TcpConnectorTest, AClosedPortAndAnImpossibleAddressAreReportedAsNotConnected) {
  ASSERT_TRUE(Begin(1, test::UnusedLoopbackPort()));
  // 0.0.0.0 is no destination: the connect call itself may fail at once.
  ASSERT_TRUE(Begin(2, 9, 0));
  EXPECT_TRUE(ended.empty()) << "no report from inside Begin";
  ASSERT_TRUE(WaitForReports(2, 10000));
  EXPECT_EQ(ended, (std::map<int, bool>{{1, false}, {2, false}}));
}

TEST_F(TcpConnectorTest, AFullQueueNeverAnswersAndEndDropsTheAttempt) {
  test::StalledListener silent;
  ASSERT_TRUE(Begin(7, silent.Port()));
  WaitUntil([&] { return !ended.empty(); }, 1500);
  // Silent under Linux; Windows refuses a full queue.
  if (!ended.empty()) {
    EXPECT_EQ(ended, (std::map<int, bool>{{7, false}}));
    return;
  }
  EXPECT_EQ(connector.UnderWay(), 1);
  connector.End(7);
  EXPECT_EQ(connector.UnderWay(), 0);
  EXPECT_FALSE(WaitUntil([&] { return !ended.empty(); }, 300)) << "reported after End";
}

TEST_F(TcpConnectorTest, OneWakeUpAfterTheDelayAndALaterRequestReplacesIt) {
  int wakes = 0;
  connector.OnWake = [&] { ++wakes; };
  const auto start = connector.Now();
  connector.WakeAfter(5000ms);
  connector.WakeAfter(100ms);
  ASSERT_TRUE(WaitUntil([&] { return wakes == 1; }, 3000));
  EXPECT_GE(connector.Now() - start, 90ms);
  EXPECT_FALSE(WaitUntil([&] { return wakes > 1; }, 400)) << "a wake-up is one tick";
}

// The whole check over real sockets, with a short time limit.
TEST_F(TcpConnectorTest, CheckGivesEachRowItsOutcome) {
  test::LoopbackServer accepting({test::LoopbackReply::Text("")});
  test::StalledListener silent;
  const std::uint16_t closed = test::UnusedLoopbackPort();
  ServerCheck check(connector, CheckLimits{2, 1000ms});
  bool finished = false;
  check.OnFinished = [&] { finished = true; };
  const std::vector<ServerCheck::Row> rows = {
      {0, ConnectTarget{Loopback, accepting.Port()}}, {1, ConnectTarget{Loopback, closed}},
      {2, ConnectTarget{Loopback, silent.Port()}},    {3, std::nullopt},
      {4, ConnectTarget{Loopback, accepting.Port()}},
  };
  int mostUnderWay = 0;
  check.OnProgress = [&] { mostUnderWay = std::max(mostUnderWay, connector.UnderWay()); };
  const auto start = connector.Now();
  check.Start(rows, 5);
  ASSERT_TRUE(WaitUntil([&] { return finished; }, 15000));
  EXPECT_LE(mostUnderWay, 2);
  EXPECT_EQ(check.Outcome(0), CheckOutcome::Answered);
  EXPECT_EQ(check.Outcome(1), CheckOutcome::Refused);
  EXPECT_TRUE(NoAnswer(check.Outcome(2)));
  EXPECT_EQ(check.Outcome(3), CheckOutcome::NotCheckable);
  EXPECT_EQ(check.Outcome(4), CheckOutcome::Answered);
  EXPECT_EQ(check.Answered(), 2);
  EXPECT_EQ(check.Done(), 5);
  EXPECT_EQ(connector.UnderWay(), 0);
  EXPECT_LT(connector.Now() - start, 8s);
}

}  // namespace
}  // namespace velloran
