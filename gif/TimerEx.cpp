#include "gif/TimerEx.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <utility>

#include "framework/Application.h"
#include "framework/SizedStruct.h"

namespace velloran {
namespace {

constexpr UINT_PTR TimerId = 1;
// Sent to the worker's window on the user-interface thread.
constexpr UINT TickMessage = WM_APP + 0x71;
constexpr UINT ErrorMessage = WM_APP + 0x72;
constexpr const char* SyncClassName = "VelloranTimerSync";

using SharedState = std::shared_ptr<TimerThreadState>;

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
// runs, and the window that hands its ticks to the interface thread for as
// long as that window lives, so that neither reads a timer or window that has
// gone: they reach the timer only through Owner, read and cleared under
// CallLock.
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
  TApplication* application = nullptr;

  std::recursive_mutex callLock;
  TTimerEx* owner = nullptr;
  std::exception_ptr error;  // from a handler that ran on the worker
};

// On the interface thread: a tick the worker asked for, or the error of a
// handler that ran on the worker.
void TTimerThread::Synchronize(TimerThreadState& state, UINT message) {
  if (message == ErrorMessage) {
    std::exception_ptr error;
    {
      std::lock_guard<std::recursive_mutex> call(state.callLock);
      error = std::exchange(state.error, nullptr);
    }
    if (error) std::rethrow_exception(error);
    return;
  }
  struct Done {
    HANDLE event;
    ~Done() { SetEvent(event); }
  } done{state.tickDone.get()};
  std::lock_guard<std::recursive_mutex> call(state.callLock);
  if (TTimerEx* owner = state.owner) owner->Timer();
}

// The window keeps a share of the state in its user data from WM_NCCREATE to
// WM_NCDESTROY, and never reaches its TTimerThread: a worker that ended its
// own timer leaves the window behind, to be closed by its own thread.
LRESULT CALLBACK TTimerThread::SyncWndProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* share = static_cast<std::unique_ptr<SharedState>*>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(share->release()));
    return DefWindowProcA(window, message, wParam, lParam);
  }
  auto* held = reinterpret_cast<SharedState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (held && message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    std::unique_ptr<SharedState> share(held);
  } else if (held && (message == TickMessage || message == ErrorMessage)) {
    // A share of this call's own: a handler may destroy the timer, and this window with it.
    SharedState state = *held;
    GuardHandler(state->application, [&] { Synchronize(*state, message); });
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

UniqueWindow TTimerThread::NewSyncWindow(const SharedState& state) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto existing = SizedStruct<WNDCLASSEXA>();
  if (!GetClassInfoExA(instance, SyncClassName, &existing)) {
    auto windowClass = SizedStruct<WNDCLASSEXA>();
    windowClass.lpfnWndProc = &SyncWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = SyncClassName;
    if (!RegisterClassExA(&windowClass))
      throw EOutOfResources("Can not register the timer window class");
  }
  // Taken over by the window at WM_NCCREATE; freed here when it never got that far.
  auto share = std::make_unique<SharedState>(state);
  UniqueWindow window(CreateWindowExA(0, SyncClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      instance, &share));
  if (!window) throw EOutOfResources("Can not create a timer window");
  return window;
}

// ---- TTimerThread

TTimerThread::TTimerThread(TTimerEx& timer, TApplication* application)
    : state_(std::make_shared<TimerThreadState>()) {
  state_->owner = &timer;
  state_->application = application;
  syncWindow_ = NewSyncWindow(state_);
  state_->syncWindow = syncWindow_.get();
  auto share = std::make_unique<SharedState>(state_);
  DWORD id = 0;
  thread_.reset(CreateThread(nullptr, 0, &Execute, share.get(), 0, &id));
  if (!thread_) throw EOutOfResources("Can not create a thread");
  share.release();  // the worker's now
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
  if (GetCurrentThreadId() != state_->workerId) {
    WaitForSingleObject(thread_.get(), INFINITE);
    return;
  }
  // A handler on the worker ended its own timer. The worker cannot wait for
  // itself: it ends as soon as the handler returns. Nor can it destroy the
  // window, which only the interface thread that made it can: that thread
  // closes it (DefWindowProc destroys it, and the window's share of the
  // state goes with it).
  PostMessageA(syncWindow_.release(), WM_CLOSE, 0, 0);
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

DWORD WINAPI TTimerThread::Execute(void* share) {
  const SharedState state =
      std::move(*std::unique_ptr<SharedState>(static_cast<SharedState*>(share)));
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
  auto replaced = std::make_shared<const TNotifyEvent>(std::move(handler));
  {
    std::lock_guard<std::mutex> guard(tickLock_);
    onTimer_.swap(replaced);
  }
  // The old handler goes outside the lock (or with the tick that still runs it).
  replaced.reset();
  UpdateTimer();
}

void TTimerEx::Timer() {
  if (!enabled_) return;
  std::shared_ptr<const TNotifyEvent> handler;
  {
    std::lock_guard<std::mutex> guard(tickLock_);
    handler = onTimer_;
  }
  // Called through a share of its own: it may replace itself or free this timer.
  if (*handler) (*handler)(*this);
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
