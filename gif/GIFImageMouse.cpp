// TGIFImage's mouse: the standard click, double-click, button and move events,
// and dragging a picture onto another picture control.
#include "gif/GIFImage.h"

#include <cstdlib>

namespace velloran {
namespace {

POINT ClientPoint(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

unsigned ShiftOf(WPARAM keys) {
  unsigned shift = 0;
  if (keys & MK_SHIFT) shift |= ssShift;
  if (keys & MK_CONTROL) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

POINT ToScreen(HWND window, POINT point) {
  ClientToScreen(window, &point);
  return point;
}

POINT ToClient(HWND window, POINT point) {
  ScreenToClient(window, &point);
  return point;
}

}  // namespace

std::optional<LRESULT> TGIFImage::MouseMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point = ClientPoint(lParam);
  const unsigned shift = ShiftOf(wParam);
  auto down = [&](TMouseButton button) {
    if (OnMouseDown) OnMouseDown(button, shift, point.x, point.y);
  };
  auto up = [&](TMouseButton button) {
    if (OnMouseUp) OnMouseUp(button, shift, point.x, point.y);
  };
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (DragMode == TDragMode::dmAutomatic) {
        StartDrag(false, ToScreen(Handle(), point));
        return 0;
      }
      SetCapture(Handle());
      // Only a single press arms the click: the second of a double click does not click again.
      pressed_ = message == WM_LBUTTONDOWN;
      if (message == WM_LBUTTONDBLCLK && OnDblClick) OnDblClick();
      down(TMouseButton::mbLeft);
      return 0;
    case WM_LBUTTONUP: {
      if (drag_) {
        EndDrag(true, ToScreen(Handle(), point));
        return 0;
      }
      const bool wasPressed = pressed_;
      pressed_ = false;
      if (GetCapture() == Handle()) ReleaseCapture();
      RECT client{};
      GetClientRect(Handle(), &client);
      if (wasPressed && PtInRect(&client, point) && OnClick) OnClick();
      up(TMouseButton::mbLeft);
      return 0;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      down(TMouseButton::mbRight);
      return 0;
    case WM_RBUTTONUP:
      up(TMouseButton::mbRight);
      // The default handling turns this into WM_CONTEXTMENU.
      return std::nullopt;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      down(TMouseButton::mbMiddle);
      return 0;
    case WM_MBUTTONUP:
      up(TMouseButton::mbMiddle);
      return 0;
    case WM_MOUSEMOVE:
      if (drag_)
        DragTo(ToScreen(Handle(), point));
      else if (OnMouseMove)
        OnMouseMove(shift, point.x, point.y);
      return 0;
    case WM_CAPTURECHANGED:
      pressed_ = false;
      // Taken away (another window, Alt+Tab, a menu): the drag ends without a drop.
      if (drag_) {
        POINT cursor{};
        GetCursorPos(&cursor);
        EndDrag(false, cursor);
      }
      return 0;
  }
  return std::nullopt;
}

void TGIFImage::BeginDrag(bool immediate) {
  POINT cursor{};
  GetCursorPos(&cursor);
  StartDrag(immediate, cursor);
}

void TGIFImage::StartDrag(bool immediate, POINT screen) {
  if (drag_) return;
  // Before the run exists: taking the capture from a press must not end it.
  SetCapture(Handle());
  pressed_ = false;
  drag_ = DragRun{screen};
  if (DragKind == TDragKind::dkDock) {
    if (OnStartDock) OnStartDock();
  } else if (OnStartDrag) {
    OnStartDrag();
  }
  if (immediate && drag_) {
    drag_->moving = true;
    DragTo(screen);
  }
}

TGIFImage* TGIFImage::PictureAt(HWND window) {
  // Another instance of this program has windows of the same class and procedure.
  DWORD process = 0;
  if (!window || !GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId())
    return nullptr;
  return dynamic_cast<TGIFImage*>(FromHandle(window));
}

bool TGIFImage::AcceptsDrop(TGIFImage& target, POINT screen, TDragState state) {
  if (!target.OnDragOver) return false;
  bool accept = true;
  const POINT at = ToClient(target.Handle(), screen);
  target.OnDragOver(*this, at.x, at.y, state, accept);
  return accept;
}

void TGIFImage::DragTo(POINT screen) {
  if (!drag_) return;
  if (!drag_->moving) {
    if (std::abs(screen.x - drag_->start.x) < GetSystemMetrics(SM_CXDRAG) &&
        std::abs(screen.y - drag_->start.y) < GetSystemMetrics(SM_CYDRAG))
      return;
    drag_->moving = true;
  }
  TGIFImage* target = DragKind == TDragKind::dkDock ? nullptr : PictureAt(WindowFromPoint(screen));
  TGIFImage* previous = PictureAt(drag_->target);
  if (previous && previous != target) AcceptsDrop(*previous, screen, TDragState::dsDragLeave);
  // A handler may have ended the drag.
  if (!drag_) return;
  bool accepted = false;
  if (target)
    accepted = AcceptsDrop(*target, screen,
                           target == previous ? TDragState::dsDragMove : TDragState::dsDragEnter);
  if (!drag_) return;
  drag_->target = target ? target->Handle() : nullptr;
  drag_->accepted = accepted;
  SetCursor(LoadCursorA(nullptr, accepted ? DragCursor : IDC_NO));
}

void TGIFImage::EndDrag(bool drop, POINT screen) {
  const DragRun run = *drag_;
  drag_.reset();
  if (GetCapture() == Handle()) ReleaseCapture();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  TGIFImage* target = run.moving ? PictureAt(run.target) : nullptr;
  if (target && drop && run.accepted) {
    const POINT at = ToClient(target->Handle(), screen);
    if (target->OnDragDrop) target->OnDragDrop(*this, at.x, at.y);
  } else {
    if (target) AcceptsDrop(*target, screen, TDragState::dsDragLeave);
    target = nullptr;
  }
  const POINT at = ToClient(target ? target->Handle() : Handle(), screen);
  TEndDragEvent& ended = DragKind == TDragKind::dkDock ? OnEndDock : OnEndDrag;
  if (ended) ended(target, at.x, at.y);
}

}  // namespace velloran
