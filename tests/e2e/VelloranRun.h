#pragma once
// velloran.exe run from a folder of its own against a list site on
// 127.0.0.1, watched from outside: its window, its controls, its message
// boxes, its cache file, and every text of its status bar in the order set
// (a hook library on its user-interface thread records them).

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace velloran::test {

// One text of the status bar's first panel, and whether the lower control
// panel was enabled when it was set.
struct StatusText {
  std::string text;
  bool panelEnabled;
  bool operator==(const StatusText&) const = default;
};

class VelloranRun {
 public:
  // A fresh folder with a copy of velloran.exe; no cache file yet.
  VelloranRun();
  ~VelloranRun();
  VelloranRun(const VelloranRun&) = delete;
  VelloranRun& operator=(const VelloranRun&) = delete;

  const std::string& Folder() const { return folder_; }
  std::string CachePath() const { return folder_ + "servers.grd"; }
  void WriteCache(const std::string& bytes) const;
  // The cache file's bytes; "<none>" when there is no file.
  std::string CacheBytes() const;
  // A file of these bytes in the run's folder, removed with it; its full path.
  std::string WriteFile(const std::string& name, const std::string& bytes);
  // The same for a name that may hold any letter, the code page's or not.
  std::wstring WriteFile(const std::wstring& name, const std::string& bytes);

  // Starts the program with these command-line words after its name, the
  // hook set before its first instruction; waits for its main window.
  // Returns false when no window came.
  bool Start(const std::string& arguments);
  // The same with a wide command line, which reaches the program as it is;
  // an 8-bit one would lose the letters that the code page lacks.
  bool Start(const std::wstring& arguments);
  HWND Window() const { return window_; }
  HANDLE Process() const { return process_; }
  DWORD Id() const { return id_; }
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;

  HWND StatusBar() const;
  HWND Panel() const;
  HWND PanelChild(const char* className, int left, int top) const;
  HWND RefreshButton() const { return PanelChild("Button", 560, 64); }
  HWND LastRefreshed() const { return PanelChild("Edit", 560, 52); }

  std::vector<StatusText> StatusTexts() const;
  // Waits until the last status text is Text (and, when given, the panel
  // enabled again, as it is after every refresh).
  bool WaitForStatus(const std::string& text, DWORD timeoutMs, bool panelEnabledAfter = true) const;
  // Clicks "Refresh" as a person would, through the button's own message.
  void ClickRefresh() const;
  // Closes the window as the system menu would.
  void Close() const;
  // Drops the files of Paths (full paths) on the window, as the shell ends a
  // drag: an 8-bit drop, as older programs make it, or a wide one, as the shell does.
  bool DropFiles(const std::vector<std::string>& paths) const;
  bool DropFiles(const std::vector<std::wstring>& paths) const;

 private:
  std::string folder_;
  std::string logPath_;
  std::vector<std::wstring> files_;
  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD id_ = 0;
  HWND window_ = nullptr;
  HMODULE hookLibrary_ = nullptr;
  HHOOK hook_ = nullptr;
};

// The request that the program's refresh sends for Path to Host, byte for byte.
std::string ListRequest(const std::string& path, const std::string& host,
                        const std::string& cookie = "");

// The registry key of the grid's layout, and a marker value in it that only
// a layout save removes.
void ResetLayoutKey();
void SetLayoutMarker();
bool LayoutMarkerPresent();
bool LayoutKeyExists();

}  // namespace velloran::test
