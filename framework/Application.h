#pragma once
// The application object: the root of the component tree, the program's
// title, the message loop, and the place where an error that escaped an event
// handler is shown to the user.
//
// Threading: user-interface thread only. ProcessMessages and WaitForMessages
// run handlers of any window of this thread inside the caller; a handler that
// calls them again nests, and callers must check Terminated() after each call.

#include <windows.h>

#include <exception>
#include <string>

#include "framework/Component.h"

namespace velloran {

class TForm;

class TApplication : public TComponent {
 public:
  explicit TApplication(HINSTANCE instance);

  TApplication* Application() override { return this; }

  HINSTANCE Instance() const { return instance_; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  // The form whose closing ends the program; the first form created becomes it.
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // Runs the message loop until the program is told to end.
  void Run();
  // Handles every message that is pending, then returns. A WM_QUIT seen here
  // sets Terminated and is posted again, so that every loop up the stack ends too.
  void ProcessMessages();
  // Sleeps until a message arrives or Milliseconds pass, then handles what is
  // pending. For waits that must keep the windows alive without spinning.
  void WaitForMessages(DWORD milliseconds);
  // Asks the message loop to end.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // The error box: the title as caption, the message with the full stop rule,
  // the error icon, one OK button.
  void ShowException(const std::exception& error);
  // A plain message with the title as caption and one OK button.
  void ShowMessage(const std::string& text);

 private:
  void Dispatch(MSG& message);
  HWND MessageBoxOwner() const;

  HINSTANCE instance_;
  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
};

// Runs Handler and hands an error that escapes it to the application's error
// box, so that no exception unwinds through the window system's frames.
template <typename Handler>
void GuardHandler(TApplication* application, Handler&& handler) noexcept {
  try {
    handler();
  } catch (const std::exception& error) {
    if (application) application->ShowException(error);
  }
}

}  // namespace velloran
