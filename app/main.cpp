#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>
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
  velloran::ListSources sources =
      velloran::ChooseListSources(arguments, std::getenv(velloran::ListUrlVariable));
  // Errors of the start-up steps are shown by the window itself, which stays
  // open; only a window that could not be made at all ends the program here,
  // with a non-zero exit code.
  return application.RunProgram([&] { application.Create<velloran::TForm1>(std::move(sources)); });
}
