#pragma once
// A control wraps exactly one window. The window procedure finds the object
// through GWLP_USERDATA and dispatches to the virtual WndProc; whatever
// escapes a handler goes to the application's error box there (GuardHandler). System control
// classes (Button, Edit, ...) are subclassed; our own classes are registered
// on first use.
//
// Controls report to their parent window (WM_COMMAND, WM_CTLCOLOR*); the
// parent hands each report to the child's object, so that a control reacts to
// its own clicks and picks its own colours wherever it is placed.
//
// Threading: user-interface thread only. Handlers may run inside
// TApplication::ProcessMessages called from another handler.

#include <windows.h>

#include <functional>
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
  // The control's own font; without one it takes a copy of its parent's.
  std::optional<TFont> font;
};

// Creation arguments of any control kind (ControlArgs or one derived from it)
// with place, size, text and tab order filled in.
template <typename Args = ControlArgs>
Args PlaceAt(int left, int top, int width, int height, const std::string& text = "",
             std::optional<int> tabOrder = std::nullopt) {
  Args args;
  args.left = left;
  args.top = top;
  args.width = width;
  args.height = height;
  args.text = text;
  args.tabOrder = tabOrder;
  return args;
}

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

  // Changes made on the font object itself reach the window at once.
  const TFont& Font() const { return font_; }
  TFont& Font() { return font_; }
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
  // For a Static window that paints itself: its Paint on WM_PAINT and
  // WM_PRINTCLIENT, and a full repaint after WM_SETTEXT and WM_ENABLE, on
  // which the Static class would otherwise draw straight away in its own way.
  // Nothing for any other message.
  std::optional<LRESULT> SelfPaintedStatic(UINT message, WPARAM wParam, LPARAM lParam,
                                           const std::function<void(HDC)>& paint);
  // The window class's own handling: the subclassed procedure, or DefWindowProc.
  LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

  // Notifications that the parent receives about this control (WM_COMMAND codes).
  virtual void CommandNotification(WORD /*code*/) {}
  // The parent's WM_CTLCOLOR* question about this control: DefaultBrush and
  // the colours already set in Dc are the parent's answer, which the control
  // may change. Returns the brush for the background.
  virtual HBRUSH ControlColor(HDC /*dc*/, HBRUSH defaultBrush) { return defaultBrush; }

 private:
  static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Attach(HWND window);
  void Detach();
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  void ApplyTabOrder(const ControlArgs& args);
  void PrepareFont(const ControlArgs& args);
  void ApplyFont();

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
// Args with more window styles, made visible: what a control adds to its caller's.
ControlArgs WithStyle(const ControlArgs& args, DWORD style, DWORD exStyle = 0);
// A WM_CTLCOLOR* answer that paints no background.
HBRUSH NoBackground(HDC dc);
// Paints into Dc, a device context of Window, what Window's parent shows
// behind it (its background and client painting), so that Window can draw
// over it as if it had no background of its own.
void PaintParentBackground(HWND window, HDC dc);
// A solid brush of a colour: the system's own for a system colour (Owned is
// emptied, as that one must not be deleted), else a new one that Owned keeps.
HBRUSH ColorBrush(TColor color, UniqueBrush& owned);

}  // namespace velloran
