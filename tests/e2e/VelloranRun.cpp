#include "tests/e2e/VelloranRun.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "tests/support/WinTestSupport.h"

namespace velloran::test {
namespace {

constexpr const char* Caption = "Velloran 1.1 [for WinMX 3] ";
constexpr const char* LayoutKey = "Software\\Velloran\\ServerList";
constexpr const char* MarkerName = "RefreshTestMarker";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<none>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring wide(MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  std::string text(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), static_cast<int>(text.size()),
                      nullptr, nullptr);
  return text;
}

// Sends the window the hook library's drop message (tests/e2e/StatusHook.cpp)
// for the names in the file beside the log.
bool RelayDrop(HWND window, bool wide) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, RegisterWindowMessageA("VelloranTestDropFiles"), wide, 0,
                             SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

void DeleteTree(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char name[256];
  while (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS) DeleteTree(key, name);
  RegCloseKey(key);
  RegDeleteKeyA(root, path.c_str());
}

}  // namespace

VelloranRun::VelloranRun() {
  static int count = 0;
  folder_ = ExeDirectory() + "refresh-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++count) + "\\";
  CreateDirectoryA(folder_.c_str(), nullptr);
  if (!CopyFileA((ExeDirectory() + "velloran.exe").c_str(), (folder_ + "velloran.exe").c_str(),
                 FALSE))
    throw std::runtime_error("cannot copy velloran.exe");
  logPath_ = folder_ + "status.log";
  DeleteFileA(logPath_.c_str());
}

VelloranRun::~VelloranRun() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(thread_);
    CloseHandle(process_);
  }
  if (hook_) UnhookWindowsHookEx(hook_);
  if (hookLibrary_) FreeLibrary(hookLibrary_);
  for (const char* name : {"velloran.exe", "servers.grd", "status.log"})
    DeleteFileA((folder_ + name).c_str());
  for (const std::wstring& path : files_) DeleteFileW(path.c_str());
  DeleteFileA((logPath_ + ".drop").c_str());
  RemoveDirectoryA((folder_ + "servers.grd").c_str());
  RemoveDirectoryA((folder_ + "servers.grd.new").c_str());
  RemoveDirectoryA(folder_.c_str());
}

void VelloranRun::WriteCache(const std::string& bytes) const {
  std::ofstream(CachePath(), std::ios::binary) << bytes;
}

std::string VelloranRun::WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = folder_ + name;
  std::ofstream(path, std::ios::binary) << bytes;
  files_.push_back(Wide(path));
  return path;
}

std::wstring VelloranRun::WriteFile(const std::wstring& name, const std::string& bytes) {
  const std::wstring path = Wide(folder_) + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + Utf8(path));
  DWORD written = 0;
  const BOOL wrote =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!wrote || written != bytes.size()) throw std::runtime_error("cannot write " + Utf8(path));
  files_.push_back(path);
  return path;
}

std::string VelloranRun::CacheBytes() const {
  return ReadFile(CachePath());
}

bool VelloranRun::Start(const std::string& arguments) {
  return Start(Wide(arguments));
}

bool VelloranRun::Start(const std::wstring& arguments) {
  hookLibrary_ = LoadLibraryA((ExeDirectory() + "status_hook.dll").c_str());
  if (!hookLibrary_) throw std::runtime_error("cannot load status_hook.dll");
  auto* proc = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(hookLibrary_, "StatusHookProc")));
  if (!proc) throw std::runtime_error("status_hook.dll has no StatusHookProc");
  // The child inherits the log's name; it starts held, so that the hook is
  // on its thread before it sets its first text.
  SetEnvironmentVariableA("VELLORAN_STATUS_LOG", logPath_.c_str());
  std::wstring line = L"\"" + Wide(folder_) + L"velloran.exe\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                nullptr, Wide(folder_).c_str(), &startup, &info);
  SetEnvironmentVariableA("VELLORAN_STATUS_LOG", nullptr);
  if (!started) throw std::runtime_error("cannot start " + Utf8(line));
  process_ = info.hProcess;
  thread_ = info.hThread;
  id_ = info.dwProcessId;
  hook_ = SetWindowsHookExA(WH_CALLWNDPROC, proc, hookLibrary_, info.dwThreadId);
  ResumeThread(thread_);
  if (!hook_) throw std::runtime_error("cannot set the status hook");
  return WaitUntil([&] { return (window_ = FindTopLevelWindow(id_, Caption)) != nullptr; }, 20000);
}

bool VelloranRun::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(process_, exitCode);
  return true;
}

HWND VelloranRun::StatusBar() const {
  return FindWindowExA(window_, nullptr, "msctls_statusbar32", nullptr);
}

HWND VelloranRun::Panel() const {
  HWND panel = ChildWindowFromPointEx(window_, POINT{12, 400}, CWP_ALL);
  return panel == window_ ? nullptr : panel;
}

HWND VelloranRun::PanelChild(const char* className, int left, int top) const {
  HWND panel = Panel();
  for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&rect), 2);
    if (WindowClass(child) == className && rect.left == left && rect.top == top) return child;
  }
  return nullptr;
}

std::vector<StatusText> VelloranRun::StatusTexts() const {
  std::vector<StatusText> texts;
  std::istringstream lines(ReadFile(logPath_));
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 2) continue;
    texts.push_back({line.substr(2), line[0] == '1'});
  }
  return texts;
}

bool VelloranRun::WaitForStatus(const std::string& text, DWORD timeoutMs,
                                bool panelEnabledAfter) const {
  return WaitUntil(
      [&] {
        std::vector<StatusText> texts = StatusTexts();
        return !texts.empty() && texts.back().text == text &&
               (!panelEnabledAfter || IsWindowEnabled(Panel()));
      },
      timeoutMs);
}

void VelloranRun::ClickRefresh() const {
  PostMessageA(RefreshButton(), BM_CLICK, 0, 0);
}

void VelloranRun::Close() const {
  PostMessageA(window_, WM_CLOSE, 0, 0);
}

bool VelloranRun::DropFiles(const std::vector<std::string>& paths) const {
  // The hook library makes the drop inside the program (tests/e2e/StatusHook.cpp).
  std::string names;
  for (const std::string& path : paths) names += path + "\r\n";
  std::ofstream(logPath_ + ".drop", std::ios::binary) << names;
  return RelayDrop(window_, false);
}

bool VelloranRun::DropFiles(const std::vector<std::wstring>& paths) const {
  // For a wide drop the names go in UTF-8.
  std::string names;
  for (const std::wstring& path : paths) names += Utf8(path) + "\r\n";
  std::ofstream(logPath_ + ".drop", std::ios::binary) << names;
  return RelayDrop(window_, true);
}

std::string ListRequest(const std::string& path, const std::string& host,
                        const std::string& cookie) {
  std::string request =
      "GET " + path + " HTTP/1.0\r\nHost: " + host +
      "\r\n"
      "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
      "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
  if (!cookie.empty()) request += "Cookie: " + cookie + "\r\n";
  return request + "Content-type: application/x-www-form-urlencoded\r\n\r\n";
}

void ResetLayoutKey() {
  DeleteTree(HKEY_CURRENT_USER, LayoutKey);
}

void SetLayoutMarker() {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, LayoutKey, &key) != ERROR_SUCCESS)
    throw std::runtime_error("cannot create the layout key");
  DWORD one = 1;
  RegSetValueExA(key, MarkerName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(key);
}

bool LayoutMarkerPresent() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, LayoutKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  bool present =
      RegQueryValueExA(key, MarkerName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return present;
}

bool LayoutKeyExists() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, LayoutKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace velloran::test
