// A hook library that tests set on velloran.exe's user-interface thread to
// see every text of the status bar's first panel as it is set, with whether
// the lower control panel was enabled then: texts that stand for a moment
// only can't be read reliably from outside. Each text goes as one line,
// "1" or "0", a tab and the text, to the file that the environment variable
// VELLORAN_STATUS_LOG of the hooked process names.
//
// It also answers a test's question about a shortcut menu that the thread
// shows, which Wine lets no other process read: see tests/support/MenuDriver.h.
//
// And it drops files on a window of the program for a test: the memory of a
// drop (WM_DROPFILES) belongs to the receiving process, which the test
// process can't hand it to, so the test names the files in a file beside the
// log (one a line) and sends the window the message "VelloranTestDropFiles"; here, inside the
// program, the drop's memory is made and posted as the shell's would be. With
// the message's wParam 1 the names are in UTF-8 and the drop is a wide one,
// as the shell makes them; with 0 they are in the code page and so is the drop.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
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

std::string LogPath() {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("VELLORAN_STATUS_LOG", path, sizeof path);
  return length == 0 || length >= sizeof path ? std::string() : std::string(path, length);
}

// The log, opened at the first text and kept open for the process's life:
// a download sets hundreds of texts a second, and opening the file for each
// would weigh on the timings the tests and benchmarks take.
HANDLE LogFile() {
  static HANDLE file = [] {
    const std::string path = LogPath();
    if (path.empty()) return INVALID_HANDLE_VALUE;
    return CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }();
  return file;
}

void Record(HWND statusBar, const char* text) {
  HANDLE file = LogFile();
  if (file == INVALID_HANDLE_VALUE) return;
  std::string line = PanelEnabled(statusBar) ? "1\t" : "0\t";
  line += text ? text : "";
  line += "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string ReadSmallFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(64 * 1024, '\0');
  DWORD read = 0;
  if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

// A drop's names, in UTF-16 for a wide drop: the bytes of each, as they follow each other.
std::string DropName(const std::string& line, bool wide) {
  if (!wide) return line;
  const int size = static_cast<int>(line.size());
  std::wstring name(MultiByteToWideChar(CP_UTF8, 0, line.data(), size, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, line.data(), size, name.data(), static_cast<int>(name.size()));
  return std::string(reinterpret_cast<const char*>(name.data()), name.size() * sizeof(wchar_t));
}

void RelayDrop(HWND window, bool wide) {
  const std::string log = LogPath();
  if (log.empty()) return;
  // The names one after another, each ended by a NUL, and a NUL after the last.
  const std::string nul = wide ? std::string(sizeof(wchar_t), '\0') : std::string(1, '\0');
  std::string names;
  const std::string lines = ReadSmallFile(log + ".drop");
  for (std::size_t at = 0; at < lines.size();) {
    std::size_t end = lines.find("\r\n", at);
    if (end == std::string::npos) end = lines.size();
    if (end > at) names += DropName(lines.substr(at, end - at), wide) + nul;
    at = end + 2;
  }
  names += nul;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
  if (!memory) return;
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = wide;
  drop->pt = POINT{100, 150};
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(memory);
  // The receiver frees it (DragFinish); one that never comes takes it with the process.
  if (!PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0)) GlobalFree(memory);
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
  static const UINT menuItemsMessage = RegisterWindowMessageA(velloran::test::MenuItemsMessageName);
  static const UINT dropFilesMessage = RegisterWindowMessageA("VelloranTestDropFiles");
  if (code == HC_ACTION) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent->message == SB_SETTEXTA && LOBYTE(LOWORD(sent->wParam)) == 0 &&
        IsStatusBar(sent->hwnd))
      Record(sent->hwnd, reinterpret_cast<const char*>(sent->lParam));
    else if (sent->message == menuItemsMessage)
      ReportMenuItems(sent->hwnd, reinterpret_cast<HWND>(sent->wParam));
    else if (sent->message == dropFilesMessage)
      RelayDrop(sent->hwnd, sent->wParam == 1);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
