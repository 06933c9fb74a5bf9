#pragma once
// Helpers for tests that run under Wine against real windows and processes.
// Every wait here has a limit, so that no test can hang the run.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velloran::test {

// The folder of the running test program, with a trailing backslash.
std::string ExeDirectory();
// A program beside the test program, quoted for a command line.
std::string QuotedProgramPath(const std::string& fileName);
// Without a cache file beside it velloran.exe downloads the list at once from
// its built-in list site, and the error box of that download holds the
// window: tests that look at the window start it from an empty cached list.
void EnsureCacheBesideProgram();

// Polls Condition every few milliseconds, handling this thread's messages in
// between, until it holds or TimeoutMs pass. Returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// A process started for a test; killed when the object goes if still running.
class ChildProcess {
 public:
  // CommandLine is passed as it is.
  explicit ChildProcess(const std::string& commandLine, const std::string& workingDirectory = "");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  // Waits for the process to end; returns false on time-out.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

 private:
  PROCESS_INFORMATION info_{};
};

// The WinMX stand-in (winmx-standin.exe beside the test program) writing the
// entries it is given to LogPath, with Settings as further environment
// variables; returns once its window shows, or null when it did not within
// 20 seconds. It ends by itself after two minutes, should a test crash.
std::unique_ptr<ChildProcess> StartWinmxStandin(
    const std::string& logPath, const std::map<std::string, std::string>& settings = {});

// The first visible top-level window of process Pid whose caption is exactly Caption.
HWND FindTopLevelWindow(DWORD pid, const std::string& caption);

std::string WindowText(HWND window);
// Writes what the screen shows of a window as a 24-bit BMP file.
void SaveWindowPicture(HWND window, const std::string& path);
std::string WindowClass(HWND window);
// The process's GDI objects, for tests of leaks.
int GdiObjectCount();

}  // namespace velloran::test

namespace velloran::test {

// What a message box showed: its caption, its texts, its buttons, whether it had an icon.
struct MessageBoxSeen {
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;
  bool hasIcon = false;
};

// Watches, from a thread of its own, for a message box of this process and
// closes it with its first button, recording what it showed. Until joined it
// is waiting; Wait returns false when no box appeared in time.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
  bool Wait(DWORD timeoutMs = 10000);
  const MessageBoxSeen& Seen() const { return seen_; }

 private:
  static DWORD WINAPI Watch(void* self);
  MessageBoxSeen seen_;
  HANDLE thread_ = nullptr;
  HANDLE stop_ = nullptr;
  volatile LONG found_ = 0;
};

// A message box of process Pid, or none.
HWND FindMessageBox(DWORD pid);
// The top-level windows of process Pid, one line each (class, text, shown or
// hidden), to explain a window that a test waited for in vain.
std::string DescribeWindows(DWORD pid);
MessageBoxSeen ReadMessageBox(HWND box);

}  // namespace velloran::test
