#pragma once
// A control wraps exactly one window. The window procedure finds the object
// through GWLP_USERDATA and dispatches to the virtual WndProc; every error that
// escapes a handler goes to the application's error box there. System control
// classes (Button, Edit, ...) are subclassed; our own classes are registered
// on first use.
//
// Threading: user-interface thread only. Handlers may run inside
// TApplication::ProcessMessages called from another handler.

#include <windows.h>

#include <optional>
#include <string>

#include "framework/Component.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace velloran {

// Where and how a control's window is made.
struct ControlArgs {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  // Tab order among the parent's controls; controls without one keep creation order.
  std::optional<int> tabOrder;
};

class TWinControl : public TComponent {
 public:
  ~TWinControl() override;

  HWND Handle() const { return handle_; }
  TWinControl* Parent() const { return parent_; }

  std::string Text() const;
  void SetText(const std::string& text);
  bool Enabled() const;
  virtual void SetEnabled(bool enabled);
  bool Visible() const;
  void SetVisible(bool visible);
  RECT BoundsRect() const;  // in the parent's client coordinates
  void SetBounds(int left, int top, int width, int height);

  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);

  void Invalidate();

  // The object behind one of our windows, or none for foreign windows.
  static TWinControl* FromHandle(HWND window);

 protected:
  // Owner and parent are the same control unless the parent is given.
  explicit TWinControl(TComponent* owner);

  // Makes the window of a system class and subclasses it.
  void CreateSystemWindow(const char* className, const ControlArgs& args);
  // Makes a window of one of our own classes, registering the class on first use.
  void CreateOwnWindow(const char* className, const ControlArgs& args, UINT classStyle,
                       HBRUSH background, HICON icon, HWND parentOverride = nullptr);

  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The window class's own handling: the subclassed procedure, or DefWindowProc.
  LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

  // Notifications that the parent receives about this control (WM_COMMAND codes).
  virtual void CommandNotification(WORD /*code*/) {}

 private:
  static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Attach(HWND window);
  void Detach();
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void ApplyTabOrder(const ControlArgs& args);

  TWinControl* parent_ = nullptr;
  HWND handle_ = nullptr;
  WNDPROC originalProc_ = nullptr;
  TFont font_;
  UniqueFont fontHandle_;
};

// Makes an HFONT for a font description.
UniqueFont CreateFontHandle(const TFont& font);
// The RGB value of a colour, resolving system colours.
COLORREF ColorToRGB(TColor color);

}  // namespace velloran
