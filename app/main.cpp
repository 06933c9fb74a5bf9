#include <windows.h>

#include "app/MainUnit.h"
#include "framework/Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velloran::TApplication application(instance);
  application.SetTitle("Velloran");
  // Errors of the start-up steps are shown by the window itself, which stays
  // open; only a window that could not be made at all ends the program here,
  // with a non-zero exit code.
  return application.RunProgram([&] { application.Create<velloran::TForm1>(); });
}
