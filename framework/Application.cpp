#include "framework/Application.h"

#include <new>

#include "framework/ErrorText.h"
#include "framework/Form.h"

namespace velloran {

TApplication::TApplication(HINSTANCE instance) : TComponent(nullptr), instance_(instance) {}

void TApplication::Run() {
  MSG message;
  while (!terminated_) {
    BOOL result = GetMessageA(&message, nullptr, 0, 0);
    if (result == 0) {
      QuitSeen(static_cast<int>(message.wParam));
      break;
    }
    if (result == -1) {
      QuitSeen(1);
      break;
    }
    Dispatch(message);
  }
}

int TApplication::RunProgram(const std::function<void()>& createMainForm) noexcept {
  bool ended = false;
  GuardHandler(this, [&] {
    createMainForm();
    Run();
    ended = true;
  });
  return ended ? exitCode_ : 1;
}

void TApplication::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      QuitSeen(static_cast<int>(message.wParam));
      PostQuitMessage(exitCode_);
      return;
    }
    Dispatch(message);
  }
}

void TApplication::QuitSeen(int exitCode) {
  terminated_ = true;
  exitCode_ = exitCode;
}

void TApplication::WaitForMessages(DWORD milliseconds) {
  // Without MWMO_INPUTAVAILABLE the wait wakes only for messages that came
  // after the queue was last looked at: one that a peek has seen but left
  // would sleep the whole time.
  MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
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

void TApplication::ShowException(const std::exception& error) noexcept {
  ShowError(error.what());
}

void TApplication::ShowError(const char* message) noexcept {
  // Called from inside catch blocks: this must not throw in turn. Without
  // memory for the full stop, the message goes as it is.
  std::string text;
  try {
    text = ErrorBoxText(message);
  } catch (const std::bad_alloc&) {
  }
  MessageBoxA(MessageBoxOwner(), text.empty() ? message : text.c_str(), title_.c_str(),
              MB_OK | MB_ICONERROR);
}

void TApplication::ShowMessage(const std::string& text) {
  MessageBoxA(MessageBoxOwner(), text.c_str(), title_.c_str(), MB_OK);
}

void ShowHandlerError(TApplication* application, const char* message) noexcept {
  if (application) {
    application->ShowError(message);
  } else {
    MessageBoxA(nullptr, message, nullptr, MB_OK | MB_ICONERROR);
  }
}

}  // namespace velloran
