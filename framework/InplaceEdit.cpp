#include "framework/InplaceEdit.h"

#include "framework/GridControl.h"

namespace velloran {

TInplaceEdit::TInplaceEdit(TComponent* owner, TGridControl& gridControl)
    : TWinControl(owner), gridControl_(gridControl) {}

TCustomGrid& TInplaceEdit::Grid() const {
  return gridControl_.Grid();
}

DWORD TInplaceEdit::CreationStyle() const {
  return ES_MULTILINE | ES_AUTOHSCROLL;
}

void TInplaceEdit::MakeWindow() {
  if (Handle()) return;
  ControlArgs args;
  args.style = CreationStyle() | WS_CLIPSIBLINGS;
  args.font = Grid().Font();
  CreateSystemWindow("EDIT", args);
}

void TInplaceEdit::Place(const TRect& rect, UINT flags) {
  SetWindowPos(Handle(), HWND_TOP, rect.Left, rect.Top, rect.Right - rect.Left,
               rect.Bottom - rect.Top, flags);
  BoundsChanged();
}

void TInplaceEdit::ShowAt(const TRect& rect) {
  MakeWindow();
  Place(rect, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
  InvalidateRect(Handle(), nullptr, TRUE);
  ::SetFocus(Handle());
}

void TInplaceEdit::Move(const TRect& rect) {
  if (!Handle()) return;
  Place(rect, SWP_NOACTIVATE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TInplaceEdit::Hide() {
  if (!Handle()) return;
  bool hadFocus = GetFocus() == Handle();
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (hadFocus) ::SetFocus(gridControl_.Handle());
}

bool TInplaceEdit::Shown() const {
  return Handle() && IsWindowVisible(Handle());
}

std::string TInplaceEdit::Text() const {
  return Handle() ? TWinControl::Text() : std::string();
}

void TInplaceEdit::SetText(const std::string& text) {
  MakeWindow();
  SetWindowTextA(Handle(), text.c_str());
}

void TInplaceEdit::TypeChar(char key) {
  SendMessageA(Handle(), WM_CHAR, static_cast<unsigned char>(key), 0);
}

void TInplaceEdit::SelectAll() {
  SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

DWORD TInplaceEdit::SelLength() const {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return end - start;
}

void TInplaceEdit::KeyDown(int& key, unsigned shift) {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  const DWORD length = static_cast<DWORD>(GetWindowTextLengthA(Handle()));
  bool toGrid = false;
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
    case VK_RETURN:
      toGrid = true;
      break;
    case VK_LEFT:
    case VK_HOME:
      toGrid = start == 0 && end == 0;
      break;
    case VK_RIGHT:
    case VK_END:
      toGrid = start == length && end == length;
      break;
    case VK_TAB:
      toGrid = (Grid().Options() & goTabs) && !(shift & ssAlt);
      break;
    default:
      break;
  }
  if (!toGrid) return;
  Grid().KeyDown(key, shift);
  key = 0;
}

void TInplaceEdit::KeyPress(char& key) {
  Grid().KeyPress(key);
  if (key == '\t' || key == '\x1b' || key == '\r') key = 0;
}

LRESULT TInplaceEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
    case WM_KEYDOWN: {
      int key = static_cast<int>(wParam);
      KeyDown(key, TGridControl::ShiftState());
      if (key == 0) return 0;
      break;
    }
    case WM_CHAR: {
      char key = static_cast<char>(wParam);
      KeyPress(key);
      if (key == 0) return 0;
      return DefaultHandler(message, static_cast<unsigned char>(key), lParam);
    }
    case WM_KEYUP: {
      LRESULT result = DefaultHandler(message, wParam, lParam);
      KeyUp();
      return result;
    }
    case WM_MOUSEMOVE: {
      LRESULT result = DefaultHandler(message, wParam, lParam);
      MouseMoved();
      return result;
    }
    case WM_WINDOWPOSCHANGING:
      PositionChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
      break;
    default:
      break;
  }
  return TWinControl::WndProc(message, wParam, lParam);
}

}  // namespace velloran
