#pragma once
// A message-only window with a procedure of its owner's own: socket notices
// and timer ticks arrive through it. Made when constructed, destroyed with the
// object; errors that escape the handler go to the application's error box.
//
// Threading: create, use and destroy on the user-interface thread.

#include <windows.h>

#include <functional>
#include <optional>

#include "framework/Handles.h"

namespace velloran {

class TApplication;

class THiddenWindow {
 public:
  // Returns the message's result, or nothing for messages it leaves to the system.
  using Handler = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

  THiddenWindow(TApplication* application, Handler handler);
  ~THiddenWindow();
  THiddenWindow(const THiddenWindow&) = delete;
  THiddenWindow& operator=(const THiddenWindow&) = delete;

  HWND Handle() const { return window_.get(); }

 private:
  static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  TApplication* application_;
  Handler handler_;
  UniqueWindow window_;
};

}  // namespace velloran
