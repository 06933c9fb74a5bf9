#include <windows.h>

#include "app/MainUnit.h"
#include "framework/Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velloran::TApplication application(instance);
  application.SetTitle("Velloran");
  velloran::GuardHandler(&application, [&] {
    application.Create<velloran::TForm1>();
    application.Run();
  });
  return 0;
}
