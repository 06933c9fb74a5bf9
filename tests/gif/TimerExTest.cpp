#include "gif/TimerEx.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
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

// What the handlers of the race below tell the test.
struct RaceLog {
  DWORD interfaceThread = GetCurrentThreadId();
  // The worker is inside a copy or a call of a handler, and waits a moment
  // for the interface thread to replace the timer's handler meanwhile.
  UniqueKernelHandle inside{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
  UniqueKernelHandle replaced{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
  std::atomic<int> calls{0};
  std::atomic<int> broken{0};
  std::atomic<int> offWorker{0};
};

// A handler that can tell whether it is a whole, living object: its words
// all hold its generation while it lives and are wiped when it dies. Copies
// and calls on the worker make room for the interface thread to replace the
// timer's handler right then; a copy or call of a handler that was freed
// under it sees the wiped or freed words.
class CheckedHandler {
 public:
  static constexpr std::uint32_t Live = 0x600DF00D;

  CheckedHandler(RaceLog& log, std::uint32_t generation) : log_(&log) { Fill(generation); }
  CheckedHandler(const CheckedHandler& other) : log_(other.log_) {
    MakeRoomForAReplacement();
    if (!other.Whole()) ++log_->broken;
    for (std::size_t i = 0; i < words_.size(); ++i) words_[i] = other.words_[i].load();
    magic_ = other.magic_.load();
  }
  CheckedHandler& operator=(const CheckedHandler&) = delete;
  ~CheckedHandler() {
    magic_ = 0;
    for (auto& word : words_) word = 0;
  }

  void operator()(TTimerEx&) const {
    if (GetCurrentThreadId() == log_->interfaceThread) ++log_->offWorker;
    MakeRoomForAReplacement();
    if (!Whole()) ++log_->broken;
    ++log_->calls;
  }

 private:
  void Fill(std::uint32_t generation) {
    for (auto& word : words_) word = generation;
    magic_ = Live;
  }
  bool Whole() const {
    if (magic_.load() != Live) return false;
    for (const auto& word : words_)
      if (word.load() != words_[0].load()) return false;
    return true;
  }
  void MakeRoomForAReplacement() const {
    if (GetCurrentThreadId() == log_->interfaceThread) return;
    SetEvent(log_->inside.get());
    WaitForSingleObject(log_->replaced.get(), 20);
  }

  RaceLog* log_;
  // Atomic words: the wiping must not be optimised away, and reading them
  // from another thread is no race of the test's own.
  std::array<std::atomic<std::uint32_t>, 32> words_{};
  std::atomic<std::uint32_t> magic_{0};
};

TEST(TimerEx, TheInterfaceThreadSetsHandlerAndEnabledWhileTheWorkerTicks) {
  TApplication application(GetModuleHandleA(nullptr));
  TTimerEx& timer = application.Create<TTimerEx>();
  RaceLog log;
  std::uint32_t generation = 1;
  timer.SetInterval(1);
  timer.SetThreadSafe(true);
  timer.SetThreaded(true);
  timer.SetOnTimer(CheckedHandler(log, generation));
  // Each tick copies or calls the handler while it is being replaced; the
  // flag is switched off and on again between ticks and during them.
  const DWORD start = GetTickCount();
  int replacements = 0;
  while (log.calls < 2000 && GetTickCount() - start < 30000) {
    const bool during = WaitForSingleObject(log.inside.get(), 5) == WAIT_OBJECT_0;
    timer.SetOnTimer(CheckedHandler(log, ++generation));
    if (replacements++ % 5 == 0) {
      timer.SetEnabled(false);
      timer.SetEnabled(true);
    }
    if (during) SetEvent(log.replaced.get());
  }
  // The handlers point at the log: the timer goes first.
  ASSERT_TRUE(application.FreeComponent(timer));
  EXPECT_GE(log.calls, 2000);
  EXPECT_EQ(log.broken, 0);
  EXPECT_EQ(log.offWorker, 0);
}

// The message-only windows that belong to this thread.
int MessageWindowsOfThisThread() {
  int count = 0;
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) ++count;
  return count;
}

TEST(TimerEx, AHandlerOnTheWorkerMayDestroyItsOwnTimerAndLeavesNoWindow) {
  TApplication application(GetModuleHandleA(nullptr));
  const int windows = MessageWindowsOfThisThread();
  auto timer = std::make_unique<TTimerEx>(&application);
  timer->SetInterval(5);
  timer->SetThreadSafe(true);
  timer->SetThreaded(true);
  // The worker's window, which the count sees (else this test could prove nothing).
  ASSERT_EQ(MessageWindowsOfThisThread(), windows + 1);
  std::atomic<int> ticks{0};
  std::atomic<DWORD> worker{0};
  std::atomic<bool> destroyed{false};
  timer->SetOnTimer([&](TTimerEx&) {
    ++ticks;
    worker = GetCurrentThreadId();
    timer.reset();
    destroyed = true;
  });
  ASSERT_TRUE(test::WaitUntil([&] { return destroyed.load(); }, 5000));
  ASSERT_NE(worker, GetCurrentThreadId());
  // The worker ends by itself, and its window closes on this thread.
  UniqueKernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, worker));
  if (thread) {
    EXPECT_EQ(WaitForSingleObject(thread.get(), 5000), WAIT_OBJECT_0);
  }
  EXPECT_TRUE(test::WaitUntil([&] { return MessageWindowsOfThisThread() == windows; }, 5000));
  test::WaitUntil([] { return false; }, 100);
  EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace velloran
