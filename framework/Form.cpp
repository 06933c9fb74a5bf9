#include "framework/Form.h"

#include "framework/Application.h"
#include "framework/DroppedFiles.h"

namespace velloran {

TForm::TForm(TComponent* owner, const FormArgs& args) : TWinControl(owner) {
  SetFont(args.font);
  RECT frame{0, 0, args.clientWidth, args.clientHeight};
  AdjustWindowRectEx(&frame, args.style, FALSE, args.exStyle);
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  int left = CW_USEDEFAULT;
  int top = CW_USEDEFAULT;
  if (args.desktopCenter) {
    left = GetSystemMetrics(SM_XVIRTUALSCREEN) + (GetSystemMetrics(SM_CXVIRTUALSCREEN) - width) / 2;
    top = GetSystemMetrics(SM_YVIRTUALSCREEN) + (GetSystemMetrics(SM_CYVIRTUALSCREEN) - height) / 2;
  }
  if (!IsSystemColor(args.color))
    background_ = UniqueBrush(CreateSolidBrush(ColorToRGB(args.color)));
  HBRUSH brush =
      background_
          ? background_.get()
          : reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(SystemColorIndex(args.color) + 1));
  HICON icon = args.iconResource
                   ? LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(args.iconResource))
                   : nullptr;
  // Each form colour needs its own class brush; the class name carries it.
  std::string className = std::string(ClassName) + "." + std::to_string(args.color) + "." +
                          std::to_string(args.iconResource);
  ControlArgs control;
  control.left = left;
  control.top = top;
  control.width = width;
  control.height = height;
  control.text = args.caption;
  control.style = args.style | WS_CLIPCHILDREN;
  control.exStyle = args.exStyle | WS_EX_CONTROLPARENT;
  CreateOwnWindow(className.c_str(), control, 0, brush, icon);
  if (icon) SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  if (TApplication* application = Application(); application && !application->MainForm())
    application->SetMainForm(this);
}

bool TForm::IsForm(HWND window) {
  char name[64];
  int length = GetClassNameA(window, name, sizeof name);
  std::string prefix(ClassName);
  return length >= static_cast<int>(prefix.size()) && std::string(name, prefix.size()) == prefix;
}

void TForm::Show() {
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
}

void TForm::Close() {
  SendMessageA(Handle(), WM_CLOSE, 0, 0);
}

int TForm::ClientWidth() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return client.right;
}

int TForm::ClientHeight() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return client.bottom;
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    TApplication* application = Application();
    bool isMain = application && application->MainForm() == this;
    TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) OnClose(action);
    if (action == TCloseAction::caNone) return 0;
    if (action == TCloseAction::caMinimize) {
      ShowWindow(Handle(), SW_MINIMIZE);
      return 0;
    }
    ShowWindow(Handle(), SW_HIDE);
    // The owner frees the form; closing the main form ends the message loop.
    if (isMain) application->Terminate();
    return 0;
  }
  // No control of ours has the cancel command's identifier, so a cancel
  // without a control's handle is the dialog manager's Escape.
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && lParam == 0) {
    if (OnCancel) OnCancel();
    return 0;
  }
  if (message == WM_DROPFILES) {
    const std::vector<std::string> files = TakeDroppedFiles(reinterpret_cast<HDROP>(wParam));
    if (OnDropFiles && !files.empty()) OnDropFiles(files);
    return 0;
  }
  return TWinControl::WndProc(message, wParam, lParam);
}

}  // namespace velloran
