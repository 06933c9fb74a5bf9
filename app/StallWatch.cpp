#include "app/StallWatch.h"

#include <utility>

#include "framework/Exception.h"

namespace velloran {
namespace {
constexpr UINT_PTR StallTimer = 1;
}

TStallWatch::TStallWatch(TApplication* application, UINT limitMs, std::function<void()> onStall,
                         std::function<bool()> live)
    : limitMs_(limitMs),
      onStall_(std::move(onStall)),
      live_(std::move(live)),
      window_(application, [this](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_TIMER || wParam != StallTimer) return std::nullopt;
        Fire();
        return 0;
      }) {}

TStallWatch::~TStallWatch() {
  Stop();
}

void TStallWatch::Start() {
  stalled_ = false;
  running_ = true;
  Touch();
}

void TStallWatch::Touch() {
  // Setting the timer again under its id starts its period anew.
  if (running_ && !SetTimer(window_.Handle(), StallTimer, limitMs_, nullptr))
    throw Exception("No Timer");
}

void TStallWatch::Stop() {
  if (!running_) return;
  running_ = false;
  KillTimer(window_.Handle(), StallTimer);
}

void TStallWatch::Fire() {
  // A tick already queued when the watch stopped comes to nothing.
  if (!running_) return;
  if (live_ && live_()) {
    Touch();
    return;
  }
  Stop();
  stalled_ = true;
  if (onStall_) onStall_();
}

}  // namespace velloran
