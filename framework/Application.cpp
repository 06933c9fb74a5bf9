#include "framework/Application.h"

#include "framework/ErrorText.h"
#include "framework/Form.h"

namespace velloran {

TApplication::TApplication(HINSTANCE instance) : TComponent(nullptr), instance_(instance) {}

void TApplication::Run() {
  MSG message;
  while (!terminated_) {
    BOOL result = GetMessageA(&message, nullptr, 0, 0);
    if (result == 0 || result == -1) {
      terminated_ = true;
      break;
    }
    Dispatch(message);
  }
}

void TApplication::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

void TApplication::WaitForMessages(DWORD milliseconds) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
  ProcessMessages();
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

void TApplication::Dispatch(MSG& message) {
  // Tab and arrow navigation between the controls of our forms.
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root && TForm::IsForm(root) && IsDialogMessageA(root, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

HWND TApplication::MessageBoxOwner() const {
  if (mainForm_ && mainForm_->Handle() && IsWindowVisible(mainForm_->Handle()))
    return mainForm_->Handle();
  return GetActiveWindow();
}

void TApplication::ShowException(const std::exception& error) {
  std::string text = ErrorBoxText(error.what());
  MessageBoxA(MessageBoxOwner(), text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

void TApplication::ShowMessage(const std::string& text) {
  MessageBoxA(MessageBoxOwner(), text.c_str(), title_.c_str(), MB_OK);
}

}  // namespace velloran
