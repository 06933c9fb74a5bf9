#include "tests/support/WinTestSupport.h"

#include "framework/Handles.h"

#include <fstream>
#include <stdexcept>

namespace velloran::test {

void EnsureCacheBesideProgram() {
  std::string cache = ExeDirectory() + "servers.grd";
  if (GetFileAttributesA(cache.c_str()) == INVALID_FILE_ATTRIBUTES)
    std::ofstream(cache, std::ios::binary) << "7\r\n0\r\n";
}

std::string ExeDirectory() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string QuotedProgramPath(const std::string& fileName) {
  std::string quoted = "\"";
  quoted.append(ExeDirectory()).append(fileName).append("\"");
  return quoted;
}

std::unique_ptr<ChildProcess> StartWinmxStandin(
    const std::string& logPath, const std::map<std::string, std::string>& settings) {
  const std::string ready = "VelloranStandinReady" + std::to_string(GetCurrentProcessId());
  UniqueKernelHandle event(CreateEventA(nullptr, TRUE, FALSE, ready.c_str()));
  if (!event) return nullptr;
  SetEnvironmentVariableA("WINMX_STANDIN_LOG", logPath.c_str());
  SetEnvironmentVariableA("WINMX_STANDIN_READY_EVENT", ready.c_str());
  SetEnvironmentVariableA("WINMX_STANDIN_LIFETIME_MS", "120000");
  for (const auto& [name, value] : settings) SetEnvironmentVariableA(name.c_str(), value.c_str());
  auto standin = std::make_unique<ChildProcess>(QuotedProgramPath("winmx-standin.exe"));
  if (WaitForSingleObject(event.get(), 20000) != WAIT_OBJECT_0) return nullptr;
  return standin;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return true;
}

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& workingDirectory) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string mutableLine = commandLine;
  if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                      &info_))
    throw std::runtime_error("cannot start " + commandLine);
}

ChildProcess::~ChildProcess() {
  if (!info_.hProcess) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
  return true;
}

namespace {
struct FindRequest {
  DWORD pid;
  const std::string* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
  auto* request = reinterpret_cast<FindRequest*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == request->pid && IsWindowVisible(window) && WindowText(window) == *request->caption) {
    request->found = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindTopLevelWindow(DWORD pid, const std::string& caption) {
  FindRequest request{pid, &caption, nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

std::string WindowText(HWND window) {
  // WM_GETTEXT, not GetWindowTextA: for another process's controls the latter
  // gives the caption a control was made with, not what it shows.
  char buffer[1024];
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, 5000, &length))
    return "";
  return std::string(buffer, length);
}

void SaveWindowPicture(HWND window, const std::string& path) {
  RECT frame{};
  GetWindowRect(window, &frame);
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  int stride = (width * 3 + 3) & ~3;
  std::string pixels(static_cast<size_t>(stride) * height, '\0');
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

std::string WindowClass(HWND window) {
  char buffer[256];
  int length = GetClassNameA(window, buffer, sizeof buffer);
  return std::string(buffer, length > 0 ? length : 0);
}

// Wine's GetGuiResources is a stub that says 0; there the handle table is
// counted instead: Wine finds an object by its table index alone, without
// the upper word of its handle.
int GdiObjectCount() {
  DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count != 0) return static_cast<int>(count);
  int live = 0;
  for (ULONG_PTR index = 1; index < 0x10000; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
  return live;
}

}  // namespace velloran::test

namespace velloran::test {

namespace {
struct BoxRequest {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM lParam) {
  auto* request = reinterpret_cast<BoxRequest*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == request->pid && IsWindowVisible(window) && WindowClass(window) == "#32770") {
    request->found = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindMessageBox(DWORD pid) {
  BoxRequest request{pid, nullptr};
  EnumWindows(&MatchBox, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

namespace {
struct WindowList {
  DWORD pid;
  std::string lines;
};

BOOL CALLBACK DescribeWindow(HWND window, LPARAM lParam) {
  auto* list = reinterpret_cast<WindowList*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == list->pid)
    list->lines += WindowClass(window) + " \"" + WindowText(window) + "\" " +
                   (IsWindowVisible(window) ? "shown" : "hidden") + "\n";
  return TRUE;
}
}  // namespace

std::string DescribeWindows(DWORD pid) {
  WindowList list{pid, {}};
  EnumWindows(&DescribeWindow, reinterpret_cast<LPARAM>(&list));
  return list.lines.empty() ? "no windows\n" : list.lines;
}

MessageBoxSeen ReadMessageBox(HWND box) {
  MessageBoxSeen seen;
  seen.caption = WindowText(box);
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::string cls = WindowClass(child);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (cls == "Button") {
      if (IsWindowVisible(child)) seen.buttons.push_back(WindowText(child));
    } else if (cls == "Static") {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        // Some message boxes keep a hidden, empty icon control when they show none.
        seen.hasIcon = IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0;
      } else if (!WindowText(child).empty()) {
        seen.text = WindowText(child);
      }
    }
  }
  return seen;
}

MessageBoxWatcher::MessageBoxWatcher() {
  stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &Watch, this, 0, nullptr);
}

MessageBoxWatcher::~MessageBoxWatcher() {
  SetEvent(stop_);
  WaitForSingleObject(thread_, 10000);
  CloseHandle(thread_);
  CloseHandle(stop_);
}

DWORD WINAPI MessageBoxWatcher::Watch(void* parameter) {
  auto* self = static_cast<MessageBoxWatcher*>(parameter);
  while (WaitForSingleObject(self->stop_, 10) == WAIT_TIMEOUT) {
    HWND box = FindMessageBox(GetCurrentProcessId());
    if (!box) continue;
    // Give the box a moment to make its controls.
    Sleep(50);
    self->seen_ = ReadMessageBox(box);
    HWND button = FindWindowExA(box, nullptr, "Button", nullptr);
    PostMessageA(box, WM_COMMAND, button ? GetDlgCtrlID(button) : IDOK, 0);
    InterlockedExchange(&self->found_, 1);
    return 0;
  }
  return 0;
}

bool MessageBoxWatcher::Wait(DWORD timeoutMs) {
  // Joined only through found_: the box is closed on its own thread's loop.
  return WaitUntil([this] { return InterlockedCompareExchange(&found_, 0, 0) != 0; }, timeoutMs);
}

}  // namespace velloran::test
