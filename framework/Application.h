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
#include <functional>
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
  // The program's whole life: CreateMainForm makes the main form (and runs its
  // start-up steps), then the message loop runs until that form closes.
  // Returns the exit code: the one the loop ended with, or 1 when the main
  // form could not be made (or the loop itself failed), after showing why in
  // the error box.
  int RunProgram(const std::function<void()>& createMainForm) noexcept;
  // The code that the message loop ended with (WM_QUIT's), 0 until then.
  int ExitCode() const { return exitCode_; }
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
  void ShowException(const std::exception& error) noexcept;
  void ShowError(const char* message) noexcept;
  // A plain message with the title as caption and one OK button.
  void ShowMessage(const std::string& text);

 private:
  void Dispatch(MSG& message);
  void QuitSeen(int exitCode);
  HWND MessageBoxOwner() const;

  HINSTANCE instance_;
  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  int exitCode_ = 0;
};

// The box for anything thrown that is not an std::exception.
inline constexpr const char* UnknownErrorText = "An unexpected error occurred";

// Application's error box, or, without an application, one captioned "Error".
void ShowHandlerError(TApplication* application, const char* message) noexcept;

// Runs Handler and hands whatever escapes it to the application's error box.
// Every window procedure and callback that the system calls runs its work
// through this: an exception must never unwind through the window system's
// frames, which 32-bit builds (DWARF unwinding) cannot pass at all.
template <typename Handler>
void GuardHandler(TApplication* application, Handler&& handler) noexcept {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowHandlerError(application, error.what());
  } catch (...) {
    ShowHandlerError(application, UnknownErrorText);
  }
}

}  // namespace velloran
