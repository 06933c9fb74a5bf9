#pragma once
// A top-level window that holds controls. Closing the application's main form
// ends the program.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Control.h"

namespace velloran {

class TApplication;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

struct FormArgs {
  std::string caption;
  int clientWidth = 320;
  int clientHeight = 240;
  // Window styles: by default a fixed single border with system menu and minimise box.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  DWORD exStyle = 0;
  TColor color = clBtnFace;
  TFont font;
  // Integer resource id of the icon, 0 for the system's default.
  int iconResource = 0;
  // Centre on the desktop (all monitors); otherwise the system places it.
  bool desktopCenter = true;
};

class TForm : public TWinControl {
 public:
  TForm(TComponent* owner, const FormArgs& args);

  void Show();
  void Close();
  int ClientWidth() const;
  int ClientHeight() const;

  // Asked when the form is about to close; may change the action.
  std::function<void(TCloseAction& action)> OnClose;
  // Escape pressed in the form, whichever of its controls has the focus
  // (unless that control takes Escape itself, as an open cell editor does):
  // the dialog manager turns it into the form's cancel command.
  std::function<void()> OnCancel;
  // Files dropped on the form, once AcceptDroppedFiles (framework/DroppedFiles.h)
  // let them; in the order the drop gives them.
  std::function<void(const std::vector<std::string>& files)> OnDropFiles;

  static bool IsForm(HWND window);
  static constexpr const char* ClassName = "VelloranForm";

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  UniqueBrush background_;
};

}  // namespace velloran
