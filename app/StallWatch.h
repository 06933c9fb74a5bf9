#pragma once
// A watch on a transfer that may go silent: once Touch has not been called
// for Limit milliseconds since Start or the last Touch, it stops and calls
// OnStall, once; unless Live, asked then, says the other side is not silent
// after all (the transfer's reader is only held up), which starts the period
// anew. It ticks from a window timer of a hidden window, so OnStall runs
// inside whatever loop of the user-interface thread handles messages, a
// message box's or a menu's included.
//
// Threading: user-interface thread only.

#include <windows.h>

#include <functional>

#include "framework/HiddenWindow.h"

namespace velloran {

class TApplication;

class TStallWatch {
 public:
  TStallWatch(TApplication* application, UINT limitMs, std::function<void()> onStall,
              std::function<bool()> live = {});
  ~TStallWatch();
  TStallWatch(const TStallWatch&) = delete;
  TStallWatch& operator=(const TStallWatch&) = delete;

  UINT LimitMs() const { return limitMs_; }
  // Arms the watch afresh: Stalled is false until the next stall.
  void Start();
  // The transfer is alive: the period starts again.
  void Touch();
  void Stop();
  bool Stalled() const { return stalled_; }

 private:
  void Fire();

  UINT limitMs_;
  std::function<void()> onStall_;
  std::function<bool()> live_;
  THiddenWindow window_;
  bool running_ = false;
  bool stalled_ = false;
};

}  // namespace velloran
