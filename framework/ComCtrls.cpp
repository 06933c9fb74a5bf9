#include "framework/ComCtrls.h"

#include <commctrl.h>

#include "framework/Exception.h"

namespace velloran {
namespace {

void LoadBarClasses() {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
}

}  // namespace

TStatusBar::TStatusBar(TComponent* owner, const StatusBarArgs& args)
    : TWinControl(owner), panelWidths_(args.panelWidths) {
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
  auto length = LOWORD(SendMessageA(Handle(), SB_GETTEXTLENGTHA, index, 0));
  std::string text(static_cast<size_t>(length) + 1, '\0');
  auto copied =
      LOWORD(SendMessageA(Handle(), SB_GETTEXTA, index, reinterpret_cast<LPARAM>(text.data())));
  text.resize(copied < length ? copied : length);
  return text;
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
  if (PanelText(index) == text) return;
  SendMessageA(Handle(), SB_SETTEXTA, index, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace velloran
