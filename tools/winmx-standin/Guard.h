#pragma once
// The stand-in's window procedures run their work through Guarded: nothing
// thrown may unwind through the window system's frames (32-bit builds cannot
// pass them at all). A failure the stand-in did not foresee leaves it in no
// state to take entries, so it ends with ExitOnError, which the tests see.

#include <windows.h>

namespace standin {

inline constexpr int ExitOnError = 3;

template <typename Work>
LRESULT Guarded(Work&& work) noexcept {
  try {
    return work();
  } catch (...) {
    PostQuitMessage(ExitOnError);
    return 0;
  }
}

}  // namespace standin
