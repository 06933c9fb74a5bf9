#include "gif/TimerEx.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <utility>

#include "framework/Application.h"

namespace velloran {
namespace {

constexpr UINT_PTR TimerId = 1;
// Sent to the worker's window on the user-interface thread.
constexpr UINT TickMessage = WM_APP + 0x71;
constexpr UINT ErrorMessage = WM_APP + 0x72;

UniqueKernelHandle NewEvent(bool manualReset) {
  UniqueKernelHandle event(CreateEventA(nullptr, manualReset, FALSE, nullptr));
  if (!event) throw EOutOfResources("Can not create an event");
  return event;
}

}  // namespace

int SystemThreadPriority(TThreadPriority priority) {
  switch (priority) {
    case TThreadPriority::tpIdle:
      return THREAD_PRIORITY_IDLE;
    case TThreadPriority::tpLowest:
      return THREAD_PRIORITY_LOWEST;
    case TThreadPriority::tpLower:
      return THREAD_PRIORITY_BELOW_NORMAL;
    case TThreadPriority::tpNormal:
      return THREAD_PRIORITY_NORMAL;
    case TThreadPriority::tpHigher:
      return THREAD_PRIORITY_ABOVE_NORMAL;
    case TThreadPriority::tpHighest:
      return THREAD_PRIORITY_HIGHEST;
    case TThreadPriority::tpTimeCritical:
      return THREAD_PRIORITY_TIME_CRITICAL;
  }
  return THREAD_PRIORITY_NORMAL;
}

// What a worker shares with its timer. The worker holds it for as long as it
// runs, so that it never reads a timer or window that has gone: it reaches
// the timer only through Owner, which the timer clears under CallLock before
// it goes, or through the window, which drops messages once destroyed.
struct TimerThreadState {
  std::mutex lock;
  bool suspended = true;
  bool terminated = false;
  DWORD interval = 1000;
  std::atomic<bool> threadSafe{false};
  HWND syncWindow = nullptr;
  // Changes of the fields above: the worker looks at them again.
  UniqueKernelHandle wake = NewEvent(false);
  UniqueKernelHandle terminate = NewEvent(true);
  UniqueKernelHandle tickDone = NewEvent(false);
  DWORD workerId = 0;

  std::recursive_mutex callLock;
  TTimerEx* owner = nullptr;
  std::exception_ptr error;  // from a handler that ran on the worker
};

// ---- TTimerThread

TTimerThread::TTimerThread(TTimerEx& timer, TApplication* application)
    : state_(std::make_shared<TimerThreadState>()),
      syncWindow_(application, [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return SyncWndProc(message, wParam, lParam);
      }) {
  state_->owner = &timer;
  state_->syncWindow = syncWindow_.Handle();
  auto* held = new std::shared_ptr<TimerThreadState>(state_);
  DWORD id = 0;
  thread_.reset(CreateThread(nullptr, 0, &Execute, held, 0, &id));
  if (!thread_) {
    delete held;
    throw EOutOfResources("Can not create a thread");
  }
  state_->workerId = id;
}

TTimerThread::~TTimerThread() {
  {
    std::lock_guard<std::recursive_mutex> call(state_->callLock);
    state_->owner = nullptr;
  }
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->terminated = true;
  }
  SetEvent(state_->terminate.get());
  SetEvent(state_->wake.get());
  // A handler on the worker that ends its own timer cannot wait for itself;
  // the worker then ends as soon as the handler returns.
  if (GetCurrentThreadId() != state_->workerId) WaitForSingleObject(thread_.get(), INFINITE);
}

void TTimerThread::Suspend() {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->suspended) return;
  state_->suspended = true;
  SetEvent(state_->wake.get());
}

void TTimerThread::Resume(TThreadPriority priority) {
  SetThreadPriority(thread_.get(), SystemThreadPriority(priority));
  std::lock_guard<std::mutex> guard(state_->lock);
  if (TTimerEx* owner = state_->owner) {
    state_->interval = owner->Interval();
    state_->threadSafe = owner->ThreadSafe();
  }
  state_->suspended = false;
  SetEvent(state_->wake.get());
}

void TTimerThread::SetThreadSafe(bool threadSafe) {
  state_->threadSafe = threadSafe;
}

bool TTimerThread::Suspended() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->suspended;
}

DWORD WINAPI TTimerThread::Execute(void* held) {
  std::shared_ptr<TimerThreadState> state =
      std::move(*static_cast<std::shared_ptr<TimerThreadState>*>(held));
  delete static_cast<std::shared_ptr<TimerThreadState>*>(held);
  for (;;) {
    DWORD interval;
    {
      std::unique_lock<std::mutex> guard(state->lock);
      if (state->terminated) return 0;
      if (state->suspended) {
        guard.unlock();
        WaitForSingleObject(state->wake.get(), INFINITE);
        continue;
      }
      interval = state->interval;
    }
    // Any change wakes the sleep, and the period starts again.
    if (WaitForSingleObject(state->wake.get(), interval) != WAIT_TIMEOUT) continue;
    {
      std::lock_guard<std::mutex> guard(state->lock);
      if (state->terminated) return 0;
      if (state->suspended) continue;
    }
    if (state->threadSafe) {
      std::lock_guard<std::recursive_mutex> call(state->callLock);
      if (!state->owner) return 0;
      try {
        state->owner->Timer();
      } catch (...) {
        // Shown on the user-interface thread, as any handler's error.
        state->error = std::current_exception();
        PostMessageA(state->syncWindow, ErrorMessage, 0, 0);
      }
    } else if (PostMessageA(state->syncWindow, TickMessage, 0, 0)) {
      HANDLE ends[] = {state->tickDone.get(), state->terminate.get()};
      WaitForMultipleObjects(2, ends, FALSE, INFINITE);
    }
  }
}

std::optional<LRESULT> TTimerThread::SyncWndProc(UINT message, WPARAM, LPARAM) {
  if (message == ErrorMessage) {
    std::exception_ptr error;
    {
      std::lock_guard<std::recursive_mutex> call(state_->callLock);
      error = std::exchange(state_->error, nullptr);
    }
    if (error) std::rethrow_exception(error);
    return 0;
  }
  if (message != TickMessage) return std::nullopt;
  // The handler may destroy the timer, and this object and window with it.
  std::shared_ptr<TimerThreadState> state = state_;
  struct Done {
    HANDLE event;
    ~Done() { SetEvent(event); }
  } done{state->tickDone.get()};
  if (TTimerEx* owner = state->owner) owner->Timer();
  return 0;
}

// ---- TTimerEx

TTimerEx::TTimerEx(TComponent* owner) : TComponent(owner) {
  UpdateTimer();
}

TTimerEx::~TTimerEx() {
  // The worker is told to stop and waited for; the window takes its timer with it.
  thread_.reset();
  window_.reset();
}

void TTimerEx::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimerEx::SetInterval(unsigned interval) {
  if (interval_ == interval) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimerEx::SetThreaded(bool threaded) {
  if (threaded_ == threaded) return;
  threaded_ = threaded;
  UpdateTimer();
}

void TTimerEx::SetThreadPriority(TThreadPriority priority) {
  if (threadPriority_ == priority) return;
  threadPriority_ = priority;
  if (threaded_) UpdateTimer();
}

bool TTimerEx::ThreadSafe() const {
  return threadSafe_;
}

void TTimerEx::SetThreadSafe(bool threadSafe) {
  threadSafe_ = threadSafe;
  if (thread_) thread_->SetThreadSafe(threadSafe);
}

void TTimerEx::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TTimerEx::Timer() {
  if (!enabled_ || !onTimer_) return;
  // A copy: the handler may replace itself or free this timer.
  TNotifyEvent handler = onTimer_;
  handler(*this);
}

void TTimerEx::UpdateTimer() {
  if (thread_) thread_->Suspend();
  if (window_) KillTimer(window_->Handle(), TimerId);
  if (threaded_) {
    window_.reset();
    if (!thread_) thread_ = std::make_unique<TTimerThread>(*this, Application());
  } else {
    thread_.reset();
    if (!window_)
      window_ = std::make_unique<THiddenWindow>(Application(),
                                                [this](UINT message, WPARAM wParam, LPARAM lParam) {
                                                  return TimerWndProc(message, wParam, lParam);
                                                });
  }
  if (!Running()) return;
  if (threaded_) {
    thread_->Resume(threadPriority_);
  } else if (!SetTimer(window_->Handle(), TimerId, interval_, nullptr)) {
    throw EOutOfResources("No More Timers Available");
  }
}

std::optional<LRESULT> TTimerEx::TimerWndProc(UINT message, WPARAM, LPARAM) {
  if (message != WM_TIMER) return std::nullopt;
  Timer();
  return 0;
}

}  // namespace velloran
