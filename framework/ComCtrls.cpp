#include "framework/ComCtrls.h"

#include <commctrl.h>

#include "framework/Exception.h"

namespace velloran {
namespace {

// The bar's own timer for a text put off; the control itself uses none.
constexpr UINT_PTR ShowTimer = 0x5642;

void LoadBarClasses() {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
}

}  // namespace

TStatusBar::TStatusBar(TComponent* owner, const StatusBarArgs& args)
    : TWinControl(owner), panelWidths_(args.panelWidths), texts_(args.panelWidths.size()) {
  LoadBarClasses();
  RECT client{};
  if (Parent()) GetClientRect(Parent()->Handle(), &client);
  ControlArgs control;
  control.left = 0;
  control.top = client.bottom - args.height;
  control.width = client.right;
  control.height = args.height;
  control.font = args.font;
  // Placed here rather than by the bar itself, which would pick its own height.
  CreateSystemWindow(STATUSCLASSNAMEA,
                     WithStyle(control, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER));
  std::vector<int> rightEdges;
  int right = 0;
  for (int width : panelWidths_) rightEdges.push_back(right += width);
  if (!rightEdges.empty())
    SendMessageA(Handle(), SB_SETPARTS, rightEdges.size(),
                 reinterpret_cast<LPARAM>(rightEdges.data()));
}

void TStatusBar::CheckIndex(int index) const {
  if (index < 0 || index >= PanelCount())
    throw ERangeError("List index out of bounds (" + std::to_string(index) + ")");
}

int TStatusBar::PanelWidth(int index) const {
  CheckIndex(index);
  return panelWidths_[index];
}

std::string TStatusBar::PanelText(int index) const {
  CheckIndex(index);
  return texts_[index];
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
  CheckIndex(index);
  if (texts_[index] == text && waiting_ != index) return;
  texts_[index] = text;
  Show(index);
}

void TStatusBar::SetProgressText(int index, const std::string& text) {
  CheckIndex(index);
  if (texts_[index] == text) return;
  texts_[index] = text;
  const DWORD sinceShown = GetTickCount() - lastShown_;
  // The timer's tick comes only when no other message waits, which a fast
  // download may not leave room for: a text that is due goes out here too.
  if (waiting_ == index) {
    if (sinceShown >= ShowIntervalMs) Show(index);
    return;
  }
  if (waiting_ < 0 && sinceShown < ShowIntervalMs &&
      SetTimer(Handle(), ShowTimer, ShowIntervalMs - sinceShown, nullptr)) {
    waiting_ = index;
    return;
  }
  Show(index);
}

void TStatusBar::Show(int index) {
  if (waiting_ == index) {
    KillTimer(Handle(), ShowTimer);
    waiting_ = -1;
  }
  SendMessageA(Handle(), SB_SETTEXTA, index, reinterpret_cast<LPARAM>(texts_[index].c_str()));
  lastShown_ = GetTickCount();
}

LRESULT TStatusBar::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == ShowTimer) {
    if (waiting_ >= 0) Show(waiting_);
    KillTimer(Handle(), ShowTimer);
    return 0;
  }
  return TWinControl::WndProc(message, wParam, lParam);
}

}  // namespace velloran
