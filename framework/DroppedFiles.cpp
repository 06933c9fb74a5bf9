#include "framework/DroppedFiles.h"

#include <algorithm>

#include "framework/FileAccess.h"

namespace velloran {
namespace {

// Not in every system's headers: the message by which the system copies a
// drop's memory into the receiving process.
constexpr UINT WM_COPYGLOBALDATA = 0x0049;

using ChangeFilterEx = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
using ChangeFilter = BOOL(WINAPI*)(UINT, DWORD);
constexpr DWORD AllowMessage = 1;  // MSGFLT_ALLOW and MSGFLT_ADD alike

template <typename Function>
Function SystemFunction(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

class DropRelease {
 public:
  explicit DropRelease(HDROP drop) : drop_(drop) {}
  ~DropRelease() { DragFinish(drop_); }
  DropRelease(const DropRelease&) = delete;
  DropRelease& operator=(const DropRelease&) = delete;

 private:
  HDROP drop_;
};

}  // namespace

void AcceptDroppedFiles(HWND window) {
  DragAcceptFiles(window, TRUE);
  const UINT messages[] = {WM_DROPFILES, WM_COPYDATA, WM_COPYGLOBALDATA};
  // Windows 7 and later: for this window only.
  if (auto forWindow = SystemFunction<ChangeFilterEx>("ChangeWindowMessageFilterEx")) {
    for (UINT message : messages) forWindow(window, message, AllowMessage, nullptr);
    return;
  }
  // Vista: for the whole process, the only way there is.
  if (auto forProcess = SystemFunction<ChangeFilter>("ChangeWindowMessageFilter")) {
    for (UINT message : messages) forProcess(message, AllowMessage);
  }
}

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
  DropRelease release(drop);
  std::vector<std::string> files;
  // The wide calls read a drop of either kind; the 8-bit ones would turn
  // letters outside the code page of a wide drop (the shell's) into "?".
  const UINT count = std::min(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), MaxDroppedFiles);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), length + 1));
    if (!name.empty()) files.push_back(Utf8FromWide(name));
  }
  return files;
}

}  // namespace velloran
