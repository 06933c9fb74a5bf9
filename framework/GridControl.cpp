#include "framework/GridControl.h"

#include <algorithm>

#include "framework/GdiCanvas.h"
#include "framework/Handles.h"
#include "framework/InplaceEdit.h"

#include <windowsx.h>

namespace velloran {
namespace {

HCURSOR CursorFor(TCursorKind kind) {
  switch (kind) {
    case TCursorKind::HorizontalSplit:
      return LoadCursorA(nullptr, MAKEINTRESOURCEA(32644));  // IDC_SIZEWE
    case TCursorKind::HourGlass:
      return LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));  // IDC_WAIT
    default:
      return LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  }
}

// The user's lines per wheel notch; three when the system says nothing.
int WheelScrollLines() {
  UINT lines = 3;
  if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) return 3;
  if (lines == WHEEL_PAGESCROLL) return WheelScrollsPage;
  return static_cast<int>(std::min<UINT>(lines, 10000));
}

}  // namespace

TGridControl::TGridControl(TComponent* owner, TCustomGrid& grid, const ControlArgs& args)
    : TWinControl(owner), grid_(grid) {
  ControlArgs window = args;
  window.style |= WS_TABSTOP | WS_CLIPSIBLINGS | WS_VISIBLE;
  if (grid.ScrollBars() == TScrollStyle::ssVertical || grid.ScrollBars() == TScrollStyle::ssBoth)
    window.style |= WS_VSCROLL;
  window.exStyle |= WS_EX_CLIENTEDGE;
  CreateOwnWindow(ClassName, window, CS_DBLCLKS, nullptr, nullptr);
  RECT client{};
  GetClientRect(Handle(), &client);
  grid_.SetClientSize(client.right, client.bottom);
  grid_.SetHost(this);
}

TGridControl::~TGridControl() {
  grid_.SetHost(nullptr);
  // The editor's window is a child of ours: it goes first.
  DestroyComponents();
}

GridEditor& TGridControl::Editor() {
  if (!editor_) editor_ = &CreateEditor();
  return *editor_;
}

TInplaceEdit& TGridControl::CreateEditor() {
  return Create<TInplaceEdit>(*this);
}

void TGridControl::InvalidateRect(const TRect& rect) {
  if (allInvalid_ || rect == lastInvalid_) return;
  lastInvalid_ = rect;
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::InvalidateRect(Handle(), &r, FALSE);
}

void TGridControl::InvalidateAll() {
  if (allInvalid_) return;
  allInvalid_ = true;
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TGridControl::ScrollRangeChanged() {
  // The window's style is no guide: the system drops WS_VSCROLL while the bar is hidden.
  TScrollStyle bars = grid_.ScrollBars();
  if (!Handle() || (bars != TScrollStyle::ssVertical && bars != TScrollStyle::ssBoth)) return;
  // Showing or hiding the bar resizes the client area, which changes the page
  // and comes back here: go round until nothing changes.
  if (updatingScrollBar_) {
    scrollBarAgain_ = true;
    return;
  }
  updatingScrollBar_ = true;
  for (int round = 0; round < 3; ++round) {
    scrollBarAgain_ = false;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(0, grid_.FrameRowCount() - grid_.FixedRows() - 1);
    info.nPage = static_cast<UINT>(std::max(1, grid_.VisibleRowCount()));
    info.nPos = grid_.TopRow() - grid_.FixedRows();
    SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
    if (!scrollBarAgain_) break;
  }
  updatingScrollBar_ = false;
}

void TGridControl::SetCursor(TCursorKind cursor) {
  cursor_ = cursor;
  ::SetCursor(CursorFor(cursor));
}

bool TGridControl::Focused() const {
  return GetFocus() == Handle();
}

TPoint TGridControl::ClientToScreen(TPoint point) const {
  POINT p{point.X, point.Y};
  ::ClientToScreen(Handle(), &p);
  return {p.x, p.y};
}

unsigned TGridControl::ShiftState() {
  unsigned shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

void TGridControl::Paint() {
  PaintScope paint(Handle());
  allInvalid_ = false;
  lastInvalid_ = {};
  RECT client{};
  GetClientRect(Handle(), &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  const RECT& area = paint.area();
  auto paintInto = [&](HDC dc) {
    TGdiCanvas canvas(dc);
    canvas.SetBrushColor(grid_.Color());
    canvas.FillRect({0, 0, client.right, client.bottom});
    grid_.Paint(canvas, {area.left, area.top, area.right, area.bottom});
  };
  // Draw into a bitmap first, then copy it in one go. Every object here is
  // owned, and declared so that it goes in the right order (the bitmap
  // leaves the DC, then the bitmap, then the DC), also when a paint hook fails.
  UniqueMemoryDC memory(CreateCompatibleDC(paint.dc()));
  UniqueBitmap bitmap(CreateCompatibleBitmap(paint.dc(), client.right, client.bottom));
  if (!memory || !bitmap) {
    paintInto(paint.dc());  // short of GDI resources: flicker rather than nothing
    return;
  }
  SelectScope selected(memory.get(), bitmap.get());
  paintInto(memory.get());
  BitBlt(paint.dc(), area.left, area.top, area.right - area.left, area.bottom - area.top,
         memory.get(), area.left, area.top, SRCCOPY);
}

void TGridControl::VerticalScroll(WORD code) {
  int page = std::max(1, grid_.VisibleRowCount());
  switch (code) {
    case SB_LINEUP:
      grid_.VerticalScrollTo(grid_.TopRow() - 1);
      break;
    case SB_LINEDOWN:
      grid_.VerticalScrollTo(grid_.TopRow() + 1);
      break;
    case SB_PAGEUP:
      grid_.VerticalScrollTo(grid_.TopRow() - page);
      break;
    case SB_PAGEDOWN:
      grid_.VerticalScrollTo(grid_.TopRow() + page);
      break;
    case SB_TOP:
      grid_.VerticalScrollTo(grid_.FixedRows());
      break;
    case SB_BOTTOM:
      grid_.VerticalScrollTo(grid_.MaxTopRow());
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      if (code == SB_THUMBTRACK && !(grid_.Options() & goThumbTracking)) break;
      // The 32-bit position: the message's own is cut to 16 bits.
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), SB_VERT, &info);
      grid_.VerticalScrollTo(grid_.FixedRows() + info.nTrackPos);
      break;
    }
    default:
      break;
  }
}

LRESULT TGridControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      grid_.SetClientSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_VSCROLL:
      VerticalScroll(LOWORD(wParam));
      return 0;
    case WM_GETDLGCODE: {
      // Return too: the dialog manager would take it for the default button,
      // and Ctrl+Return (its line feed marks a cell as multi-line) never arrive.
      LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
      const auto* pending = reinterpret_cast<const MSG*>(lParam);
      if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN: {
      int key = static_cast<int>(wParam);
      grid_.KeyDown(key, ShiftState());
      return 0;
    }
    case WM_CHAR:
      grid_.CharInput(static_cast<char>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ::SetFocus(Handle());
      SetCapture(Handle());
      grid_.MouseDown(TMouseButton::mbLeft, ShiftState(), GET_X_LPARAM(lParam),
                      GET_Y_LPARAM(lParam));
      return 0;
    case WM_RBUTTONDOWN:
      ::SetFocus(Handle());
      return 0;
    case WM_MOUSEMOVE:
      grid_.MouseMove(ShiftState(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP: {
      // The release first: letting the capture go sends WM_CAPTURECHANGED,
      // which would end the press before its click counted. Let go also when
      // the release fails (a sort handler's error).
      struct ReleaseAfter {
        HWND window;
        ~ReleaseAfter() {
          if (GetCapture() == window) ReleaseCapture();
        }
      } release{Handle()};
      grid_.MouseUp(TMouseButton::mbLeft, ShiftState(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    }
    case WM_CAPTURECHANGED:
      grid_.CancelMouse();
      return 0;
    case WM_CANCELMODE:
      grid_.CancelMouse();
      if (GetCapture() == Handle()) ReleaseCapture();
      return 0;
    case WM_MOUSEWHEEL:
      grid_.MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), WheelScrollLines());
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(CursorFor(cursor_));
        return TRUE;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateAll();
      break;
    case WM_CONTEXTMENU:
      grid_.ContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    default:
      break;
  }
  return TWinControl::WndProc(message, wParam, lParam);
}

}  // namespace velloran
