// A hook library that tests set on velloran.exe's user-interface thread to
// see every text of the status bar's first panel as it is set, with whether
// the lower control panel was enabled then: texts that stand for a moment
// only can't be read reliably from outside. Each text goes as one line,
// "1" or "0", a tab and the text, to the file that the environment variable
// VELLORAN_STATUS_LOG of the hooked process names.
//
// It also answers a test's question about a shortcut menu that the thread
// shows, which Wine lets no other process read: see tests/support/MenuDriver.h.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/support/MenuDriver.h"
#include "tests/support/MenuItemsText.h"

namespace {

bool IsStatusBar(HWND window) {
  char name[64];
  return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, STATUSCLASSNAMEA) == 0;
}

// The lower control panel: the main window's child under a point inside it.
bool PanelEnabled(HWND statusBar) {
  HWND main = GetParent(statusBar);
  HWND panel = ChildWindowFromPointEx(main, POINT{12, 400}, CWP_ALL);
  return panel && panel != main && IsWindowEnabled(panel);
}

void Record(HWND statusBar, const char* text) {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("VELLORAN_STATUS_LOG", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string line = PanelEnabled(statusBar) ? "1\t" : "0\t";
  line += text ? text : "";
  line += "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

// Sends the items of the menu that MenuWindow shows to the test's Reply window.
void ReportMenuItems(HWND menuWindow, HWND reply) {
  constexpr UINT MN_GETHMENU_MESSAGE = 0x01E1;
  auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU_MESSAGE, 0, 0));
  std::string text = menu ? velloran::test::MenuItemsText(menu) : std::string();
  COPYDATASTRUCT data{};
  data.cbData = static_cast<DWORD>(text.size());
  data.lpData = text.data();
  DWORD_PTR result = 0;
  SendMessageTimeoutA(reply, WM_COPYDATA, reinterpret_cast<WPARAM>(menuWindow),
                      reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &result);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    StatusHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent->message == SB_SETTEXTA && LOBYTE(LOWORD(sent->wParam)) == 0 &&
        IsStatusBar(sent->hwnd))
      Record(sent->hwnd, reinterpret_cast<const char*>(sent->lParam));
    else if (sent->message == RegisterWindowMessageA(velloran::test::MenuItemsMessageName))
      ReportMenuItems(sent->hwnd, reinterpret_cast<HWND>(sent->wParam));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
