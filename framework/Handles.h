#pragma once
// Owning handles are move-only and free their handle once; a plain HWND, HDC
// or HFONT elsewhere is a view that owns nothing.

#include <windows.h>

#include <utility>

namespace velloran {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) {
    Handle old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

 private:
  Handle handle_ = Traits::Invalid();
};

template <typename H, auto CloseFunction>
struct NullHandleTraits {
  using Handle = H;
  static constexpr Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseFunction(handle); }
};

inline void DeleteGdiObject(HGDIOBJ object) {
  DeleteObject(object);
}
inline void DestroyWindowHandle(HWND window) {
  DestroyWindow(window);
}
inline void CloseKernelHandle(HANDLE handle) {
  CloseHandle(handle);
}
inline void DestroyIconHandle(HICON icon) {
  DestroyIcon(icon);
}

using UniqueFont = UniqueHandle<NullHandleTraits<HFONT, DeleteGdiObject>>;
using UniqueBrush = UniqueHandle<NullHandleTraits<HBRUSH, DeleteGdiObject>>;
using UniquePen = UniqueHandle<NullHandleTraits<HPEN, DeleteGdiObject>>;
using UniqueBitmap = UniqueHandle<NullHandleTraits<HBITMAP, DeleteGdiObject>>;
using UniqueWindow = UniqueHandle<NullHandleTraits<HWND, DestroyWindowHandle>>;
using UniqueKernelHandle = UniqueHandle<NullHandleTraits<HANDLE, CloseKernelHandle>>;
using UniqueIcon = UniqueHandle<NullHandleTraits<HICON, DestroyIconHandle>>;

// Selects an object into a device context for one scope and puts the old one back.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectScope() { SelectObject(dc_, old_); }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A window's device context from GetDC, released with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace velloran
