#include "gif/TimerEx.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/Application.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

class TimerExTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { application.SetTitle("Velloran"); }

  // Handles messages for about Milliseconds.
  void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) application.WaitForMessages(5);
  }

  TTimerEx& MakeTimer(unsigned interval) {
    TTimerEx& timer = application.Create<TTimerEx>();
    timer.SetInterval(interval);
    timer.SetThreaded(GetParam());
    return timer;
  }

  TApplication application{GetModuleHandleA(nullptr)};
  std::vector<DWORD> tickThreads;
  TTimerEx::TNotifyEvent count = [this](TTimerEx&) { tickThreads.push_back(GetCurrentThreadId()); };
};

TEST(TimerEx, ANewTimerTicksEverySecondOnTheInterfaceThread) {
  TApplication application(GetModuleHandleA(nullptr));
  TTimerEx& timer = application.Create<TTimerEx>();
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_FALSE(timer.Threaded());
  EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::tpNormal);
  EXPECT_NE(timer.WindowHandle(), nullptr);
  DWORD start = GetTickCount();
  DWORD tickedAt = 0, thread = 0;
  timer.SetOnTimer([&](TTimerEx& sender) {
    EXPECT_EQ(&sender, &timer);
    if (!tickedAt) tickedAt = GetTickCount();
    thread = GetCurrentThreadId();
  });
  ASSERT_TRUE(test::WaitUntil([&] { return tickedAt != 0; }, 5000));
  EXPECT_GE(tickedAt - start, 900u);
  EXPECT_EQ(thread, GetCurrentThreadId());
}

TEST_P(TimerExTest, TicksOnTheInterfaceThreadUntilStoppedAndAgainWhenEnabled) {
  TTimerEx& timer = MakeTimer(15);
  EXPECT_EQ(timer.HasThread(), GetParam());
  EXPECT_EQ(timer.WindowHandle() != nullptr, !GetParam());
  timer.SetOnTimer(count);
  ASSERT_TRUE(test::WaitUntil([&] { return tickThreads.size() >= 3; }, 5000));
  for (DWORD thread : tickThreads) EXPECT_EQ(thread, GetCurrentThreadId());

  timer.SetEnabled(false);
  Pump(50);  // a tick on its way may still arrive
  size_t stopped = tickThreads.size();
  Pump(200);
  EXPECT_EQ(tickThreads.size(), stopped);
  timer.SetEnabled(true);
  ASSERT_TRUE(test::WaitUntil([&] { return tickThreads.size() >= stopped + 2; }, 5000));

  timer.SetInterval(0);
  Pump(50);
  stopped = tickThreads.size();
  Pump(200);
  EXPECT_EQ(tickThreads.size(), stopped);
}

TEST_P(TimerExTest, SameValuesKeepThePeriodAndAHandlerRestartsIt) {
  TTimerEx& timer = MakeTimer(600);
  DWORD start = GetTickCount();
  std::vector<DWORD> ticks;
  TTimerEx::TNotifyEvent record = [&](TTimerEx&) { ticks.push_back(GetTickCount() - start); };
  timer.SetOnTimer(record);
  Pump(300);
  timer.SetInterval(600);
  timer.SetEnabled(true);
  timer.SetThreaded(GetParam());
  timer.SetThreadPriority(TThreadPriority::tpNormal);
  ASSERT_TRUE(test::WaitUntil([&] { return !ticks.empty(); }, 5000));
  EXPECT_LT(ticks[0], 850u);

  start = GetTickCount();
  ticks.clear();
  Pump(300);
  timer.SetOnTimer(record);
  ASSERT_TRUE(test::WaitUntil([&] { return !ticks.empty(); }, 5000));
  // The tick due at about 600 ms came at about 900 ms instead.
  EXPECT_GE(ticks[0], 850u);
}

TEST_P(TimerExTest, NoTickArrivesAfterTheTimerIsDestroyedAndNoWorkerIsLeft) {
  TTimerEx& timer = MakeTimer(5);
  int ticks = 0;
  DWORD worker = 0;
  timer.SetThreadSafe(GetParam());
  timer.SetOnTimer([&](TTimerEx&) {
    ++ticks;
    worker = GetCurrentThreadId();
  });
  ASSERT_TRUE(test::WaitUntil([&] { return ticks >= 3; }, 5000));
  ASSERT_TRUE(application.FreeComponent(timer));
  int atDestruction = ticks;
  Pump(100);
  EXPECT_EQ(ticks, atDestruction);
  if (GetParam()) {
    // The handler ran on the worker, which has ended.
    ASSERT_NE(worker, GetCurrentThreadId());
    UniqueKernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, worker));
    if (thread) {
      EXPECT_EQ(WaitForSingleObject(thread.get(), 0), WAIT_OBJECT_0);
    }
  }
}

TEST_P(TimerExTest, AHandlerMayDestroyItsOwnTimer) {
  TTimerEx& timer = MakeTimer(5);
  int ticks = 0;
  timer.SetOnTimer([&](TTimerEx& self) {
    ++ticks;
    application.FreeComponent(self);
  });
  ASSERT_TRUE(test::WaitUntil([&] { return ticks >= 1; }, 5000));
  Pump(100);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(application.ComponentCount(), 0);
}

TEST_P(TimerExTest, AnErrorInTheHandlerIsShownAndTheTimerGoesOn) {
  TTimerEx& timer = MakeTimer(10);
  int ticks = 0;
  timer.SetOnTimer([&](TTimerEx&) {
    if (++ticks == 1) throw Exception("Tick failed");
  });
  test::MessageBoxWatcher watcher;
  ASSERT_TRUE(watcher.Wait(5000));
  EXPECT_EQ(watcher.Seen().text, "Tick failed.");
  ASSERT_TRUE(test::WaitUntil([&] { return ticks >= 3; }, 5000));
}

INSTANTIATE_TEST_SUITE_P(WindowAndWorker, TimerExTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Threaded" : "Window"; });

TEST(TimerEx, RunsTheWorkerAtItsPriorityAndMakesAFreshOneEachTimeItIsThreaded) {
  TApplication application(GetModuleHandleA(nullptr));
  TTimerEx& timer = application.Create<TTimerEx>();
  timer.SetInterval(5);
  timer.SetThreadSafe(true);
  volatile LONG priority = -100;
  volatile LONG worker = 0;
  timer.SetOnTimer([&](TTimerEx&) {
    InterlockedExchange(&priority, GetThreadPriority(GetCurrentThread()));
    InterlockedExchange(&worker, static_cast<LONG>(GetCurrentThreadId()));
  });
  timer.SetThreadPriority(TThreadPriority::tpHigher);
  EXPECT_FALSE(timer.HasThread());
  timer.SetThreaded(true);
  ASSERT_TRUE(test::WaitUntil([&] { return worker != 0; }, 5000));
  EXPECT_EQ(priority, THREAD_PRIORITY_ABOVE_NORMAL);
  LONG first = worker;

  timer.SetThreaded(false);
  EXPECT_FALSE(timer.HasThread());
  EXPECT_NE(timer.WindowHandle(), nullptr);
  timer.SetThreadPriority(TThreadPriority::tpLowest);
  timer.SetThreaded(true);
  EXPECT_EQ(timer.WindowHandle(), nullptr);
  InterlockedExchange(&worker, 0);
  ASSERT_TRUE(test::WaitUntil([&] { return worker != 0; }, 5000));
  EXPECT_NE(worker, first);
  EXPECT_EQ(priority, THREAD_PRIORITY_LOWEST);
}

}  // namespace
}  // namespace velloran
