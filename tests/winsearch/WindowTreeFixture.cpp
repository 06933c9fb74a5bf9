// A second process with a known tree of windows, for the live window-search
// test. Usage: window_tree_fixture TAG READY_EVENT
// Builds the tree, signals READY_EVENT, and runs until its windows are closed
// or a minute has passed (so that a failed test never leaves it behind).
#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  if (message == WM_TIMER) DestroyWindow(window);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND Child(HWND parent, const char* className, const std::string& text) {
  return CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string tag = argv[1];
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &TopProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VelloranFixtureTop";
  RegisterClassA(&windowClass);

  HWND top = CreateWindowExA(0, "VelloranFixtureTop", (tag + " Top").c_str(),
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
  // Creation order is sibling order: the pre-order of this tree is
  // networks, add, first, panel, inner, book, long.
  HWND networks = Child(top, "Static", "OpenNap Protocol Networks");
  Child(networks, "Button", "Add");
  Child(top, "Edit", "first");
  HWND panel = Child(top, "Static", "Panel");
  Child(panel, "Static", "inner");
  Child(top, "Button", "Book");
  Child(top, "Static", std::string(254, 'q') + "TAIL");
  SetTimer(top, 1, 60000, nullptr);

  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
  if (ready) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
