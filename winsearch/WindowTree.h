#pragma once
// The little the window search needs to know of a window system: the first
// child and next sibling of a window, and its class name and text. The Win32
// binding reads the live desktop; tests use a tree of their own.

#include <cstdint>
#include <string>

namespace velloran {

// A window handle as an opaque number; 0 is no window.
using WindowHandle = std::uintptr_t;

class WindowTree {
 public:
  virtual ~WindowTree() = default;
  virtual WindowHandle FirstChild(WindowHandle parent) const = 0;
  virtual WindowHandle NextSibling(WindowHandle window) const = 0;
  // Both texts come through buffers of TextBufferSize bytes including the
  // terminating zero, so only the first TextBufferSize - 1 bytes take part.
  // A window that is gone, or whose text can't be read, yields an empty text.
  virtual std::string ClassName(WindowHandle window) const = 0;
  virtual std::string Text(WindowHandle window) const = 0;

  static constexpr int TextBufferSize = 255;
};

}  // namespace velloran
