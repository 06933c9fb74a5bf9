#pragma once
// A timer that calls OnTimer every Interval milliseconds, either from a
// window timer that the user-interface thread's message loop services, or
// from a worker thread of its own (Threaded) that sleeps between ticks.
//
// Threading: create, configure and destroy on the user-interface thread. In
// window mode, and in threaded mode with ThreadSafe false, OnTimer runs on the
// user-interface thread (the worker asks it to, and waits until it has run).
// With ThreadSafe true OnTimer runs on the worker and must guard what it
// touches itself; the interface thread may meanwhile set Enabled and OnTimer
// (the worker reads the flag atomically and takes the handler under a lock),
// and a handler that has begun runs to its end as it was. OnTimer may
// destroy its own timer, on either thread.
//
// No tick arrives after the timer is destroyed, and no worker outlives it: a
// worker wakes from its sleep when told to stop, and is waited for (unless
// the call comes from the worker itself, which then ends on its own and
// leaves its window for the interface thread to close).

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "framework/Component.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/HiddenWindow.h"

namespace velloran {

// The system refused a resource, such as a window timer.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

enum class TThreadPriority {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical
};

// The system's thread priority for a TThreadPriority.
int SystemThreadPriority(TThreadPriority priority);

class TTimerEx;
struct TimerThreadState;

// The worker of a threaded timer. It is made suspended; Resume lets it tick,
// Suspend holds it (at once, or after a tick that is running), Terminate ends it.
class TTimerThread {
 public:
  TTimerThread(TTimerEx& timer, TApplication* application);
  // Terminates the worker and waits until it has ended.
  ~TTimerThread();
  TTimerThread(const TTimerThread&) = delete;
  TTimerThread& operator=(const TTimerThread&) = delete;

  void Suspend();
  void Resume(TThreadPriority priority);
  bool Suspended() const;
  void SetThreadSafe(bool threadSafe);

 private:
  static DWORD WINAPI Execute(void* state);
  static UniqueWindow NewSyncWindow(const std::shared_ptr<TimerThreadState>& state);
  static LRESULT CALLBACK SyncWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void Synchronize(TimerThreadState& state, UINT message);

  std::shared_ptr<TimerThreadState> state_;
  // A message-only window of the interface thread, through which the worker
  // hands it ticks and errors.
  UniqueWindow syncWindow_;
  UniqueKernelHandle thread_;
};

class TTimerEx : public TComponent {
 public:
  using TNotifyEvent = std::function<void(TTimerEx& sender)>;

  explicit TTimerEx(TComponent* owner);
  ~TTimerEx() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned interval);
  bool Threaded() const { return threaded_; }
  void SetThreaded(bool threaded);
  TThreadPriority ThreadPriority() const { return threadPriority_; }
  void SetThreadPriority(TThreadPriority priority);
  // Read by the worker at each tick; no timer restart.
  bool ThreadSafe() const;
  void SetThreadSafe(bool threadSafe);
  const TNotifyEvent& OnTimer() const { return *onTimer_; }
  // Stored without comparison; restarts the period.
  void SetOnTimer(TNotifyEvent handler);

  // The hidden window of window mode (none while threaded).
  HWND WindowHandle() const { return window_ ? window_->Handle() : nullptr; }
  bool HasThread() const { return thread_ != nullptr; }

 protected:
  // One tick: OnTimer, when Enabled and a handler is set.
  virtual void Timer();

 private:
  friend class TTimerThread;
  void UpdateTimer();
  std::optional<LRESULT> TimerWndProc(UINT message, WPARAM wParam, LPARAM lParam);
  bool Running() const { return interval_ != 0 && enabled_ && *onTimer_; }

  // A worker reads these two while the interface thread may set them: the
  // flag is atomic, the handler is taken under TickLock. The handler is
  // shared: a tick holds a share of its own while it runs, so that a new
  // handler (or the timer's end) does not pull it away under it.
  std::mutex tickLock_;
  std::atomic<bool> enabled_ = true;
  std::shared_ptr<const TNotifyEvent> onTimer_ = std::make_shared<const TNotifyEvent>();
  unsigned interval_ = 1000;
  bool threaded_ = false;
  TThreadPriority threadPriority_ = TThreadPriority::tpNormal;
  bool threadSafe_ = false;
  std::unique_ptr<TTimerThread> thread_;
  std::unique_ptr<THiddenWindow> window_;
};

}  // namespace velloran
