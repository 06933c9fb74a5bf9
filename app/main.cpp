#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/ListAddress.h"
#include "app/MainUnit.h"
#include "framework/Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velloran::TApplication application(instance);
  application.SetTitle("Velloran");
  // The run-time library has split the command line by the system's rules.
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
  const std::string listUrl =
      velloran::ChooseListUrl(arguments, std::getenv(velloran::ListUrlVariable));
  velloran::GuardHandler(&application, [&] {
    application.Create<velloran::TForm1>(listUrl);
    application.Run();
  });
  return 0;
}
