#include "framework/ExtCtrls.h"

namespace velloran {
namespace {

constexpr WORD ClickedCode = 0;  // STN_CLICKED

}  // namespace

// ---- TBevel

TBevel::TBevel(TComponent* owner, const ControlArgs& args) : TWinControl(owner) {
  // Owner-drawn, as the system's etched line styles resize the window.
  ControlArgs empty = args;
  empty.text.clear();
  CreateSystemWindow("Static", WithStyle(empty, SS_OWNERDRAW));
}

LRESULT TBevel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PaintScope paint(Handle());
      PaintParentBackground(Handle(), paint.dc());
      RECT client{};
      GetClientRect(Handle(), &client);
      // Shadow, then highlight: a lowered line.
      DrawEdge(paint.dc(), &client, EDGE_ETCHED, BF_LEFT);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
  }
  return TWinControl::WndProc(message, wParam, lParam);
}

// ---- TImage

TImage::TImage(TComponent* owner, const ControlArgs& args) : TWinControl(owner) {
  ControlArgs empty = args;
  empty.text.clear();
  // Drawing nothing, and left out of its parent's clipping, it never covers
  // what the parent or a picture lying over it shows.
  CreateSystemWindow("Static", WithStyle(empty, SS_LEFT | SS_NOTIFY, WS_EX_TRANSPARENT));
}

LRESULT TImage::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      ValidateRect(Handle(), nullptr);
      return 0;
    case WM_PRINTCLIENT:
    case WM_ENABLE:
      return 0;
    case WM_ERASEBKGND:
      return 1;
  }
  return TWinControl::WndProc(message, wParam, lParam);
}

HBRUSH TImage::ControlColor(HDC dc, HBRUSH /*defaultBrush*/) {
  // Whenever the Static class paints on its own, it paints nothing either.
  return NoBackground(dc);
}

void TImage::CommandNotification(WORD code) {
  if (code == ClickedCode && OnClick) OnClick();
}

// ---- TPanel

TPanel::TPanel(TComponent* owner, const PanelArgs& args)
    : TWinControl(owner), color_(args.color), background_(ColorBrush(color_, ownBrush_)) {
  // A control parent, so that the dialog manager tabs into the controls inside.
  CreateSystemWindow("Static",
                     WithStyle(args, SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY | WS_CLIPCHILDREN,
                               WS_EX_CONTROLPARENT));
}

void TPanel::SetEnabled(bool enabled) {
  if (Enabled() == enabled) return;
  if (enabled) {
    EnableWindow(Handle(), TRUE);
    for (HWND child : disabledChildren_) {
      // Only those still inside: a child may have gone in the meantime.
      if (!IsWindow(child) || GetParent(child) != Handle()) continue;
      if (TWinControl* control = FromHandle(child))
        control->SetEnabled(true);
      else
        EnableWindow(child, TRUE);
    }
    disabledChildren_.clear();
    return;
  }
  // A disabled parent already blocks input to its children; disabling each
  // one makes them look it, too. Children disabled on their own stay so.
  disabledChildren_.clear();
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowEnabled(child)) continue;
    disabledChildren_.push_back(child);
    if (TWinControl* control = FromHandle(child))
      control->SetEnabled(false);
    else
      EnableWindow(child, FALSE);
  }
  EnableWindow(Handle(), FALSE);
}

void TPanel::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  background_ = ColorBrush(color_, ownBrush_);
  Invalidate();
}

LRESULT TPanel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The Static class repaints straight away on some messages, without the frame.
  if (auto result = SelfPaintedStatic(message, wParam, lParam, [this](HDC dc) { Paint(dc); }))
    return *result;
  return TWinControl::WndProc(message, wParam, lParam);
}

void TPanel::Paint(HDC dc) {
  // The Static class draws the background and the caption (greyed while
  // disabled); the frame goes over its edge.
  DefaultHandler(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  RECT client{};
  GetClientRect(Handle(), &client);
  DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
}

void TPanel::CommandNotification(WORD code) {
  if (code == ClickedCode && OnClick) OnClick();
}

HBRUSH TPanel::ControlColor(HDC dc, HBRUSH /*defaultBrush*/) {
  SetTextColor(dc, ColorToRGB(Font().Color()));
  SetBkColor(dc, ColorToRGB(color_));
  return background_;
}

}  // namespace velloran
