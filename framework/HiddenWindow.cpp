#include "framework/HiddenWindow.h"

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/SizedStruct.h"

namespace velloran {
namespace {
constexpr const char* HiddenClassName = "VelloranHiddenWindow";
}

THiddenWindow::THiddenWindow(TApplication* application, Handler handler)
    : application_(application), handler_(std::move(handler)) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto existing = SizedStruct<WNDCLASSEXA>();
  if (!GetClassInfoExA(instance, HiddenClassName, &existing)) {
    auto windowClass = SizedStruct<WNDCLASSEXA>();
    windowClass.lpfnWndProc = &StaticWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = HiddenClassName;
    if (!RegisterClassExA(&windowClass))
      throw Exception("Can not register the hidden window class");
  }
  window_.reset(CreateWindowExA(0, HiddenClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance, this));
  if (!window_) throw Exception("Can not create a hidden window");
}

THiddenWindow::~THiddenWindow() {
  // Stop dispatching to this object before the window goes.
  if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK THiddenWindow::StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<THiddenWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self || !self->handler_ || message == WM_NCCREATE || message == WM_NCDESTROY)
    return DefWindowProcA(window, message, wParam, lParam);
  std::optional<LRESULT> result = 0;
  GuardHandler(self->application_, [&] { result = self->handler_(message, wParam, lParam); });
  return result ? *result : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace velloran
