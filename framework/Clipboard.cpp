#include "framework/Clipboard.h"

#include <cstring>

#include "framework/Exception.h"
#include "framework/Handles.h"

namespace velloran {
namespace {

inline void FreeGlobal(HGLOBAL memory) {
  GlobalFree(memory);
}
using UniqueGlobal = UniqueHandle<NullHandleTraits<HGLOBAL, FreeGlobal>>;

// Sleeps for Milliseconds, still answering what other threads send to this
// one's windows: the program that holds the clipboard may be waiting on us
// (its EmptyClipboard sends our window, the last owner, WM_DESTROYCLIPBOARD).
// Input and posted messages wait, so that no handler of ours runs meanwhile.
void PauseAnsweringSentMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (DWORD waited = 0; waited < milliseconds; waited = GetTickCount() - start) {
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - waited, QS_SENDMESSAGE) !=
        WAIT_OBJECT_0)
      return;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// Another program, the system's clipboard history or a remote desktop session
// often holds the clipboard for a moment, just after a copy most of all: the
// clipboard is asked again a few times before it counts as busy.
bool OpenClipboardWhenFree(HWND owner) {
  for (int attempt = 1;; ++attempt) {
    if (OpenClipboard(owner)) return true;
    if (attempt == ClipboardOpenAttempts) return false;
    PauseAnsweringSentMessages(ClipboardRetryPauseMs);
  }
}

struct ClipboardScope {
  explicit ClipboardScope(HWND owner) : open(OpenClipboardWhenFree(owner)) {}
  ~ClipboardScope() {
    if (open) CloseClipboard();
  }
  bool open;
};

// A movable memory block holding Size bytes from Data.
UniqueGlobal GlobalCopy(const void* data, std::size_t size) {
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) throw Exception("Not enough memory for the clipboard");
  void* target = GlobalLock(memory.get());
  if (!target) throw Exception("Not enough memory for the clipboard");
  std::memcpy(target, data, size);
  GlobalUnlock(memory.get());
  return memory;
}

void Put(UINT format, UniqueGlobal memory) {
  // Once taken, the block is the system's.
  if (SetClipboardData(format, memory.get()))
    memory.release();
  else
    throw Exception("The clipboard did not take the text");
}

}  // namespace

void SetClipboardText(HWND owner, const std::string& text) {
  // Both forms end in a zero; a zero inside the text would cut it there.
  UniqueGlobal ansi = GlobalCopy(text.c_str(), text.size() + 1);
  const int wide = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring unicode(wide > 0 ? static_cast<std::size_t>(wide) : 1, L'\0');
  if (wide > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, unicode.data(), wide);
  UniqueGlobal utf16 = GlobalCopy(unicode.data(), unicode.size() * sizeof(wchar_t));

  ClipboardScope clipboard(owner);
  if (!clipboard.open) throw Exception(ClipboardBusyText);
  EmptyClipboard();
  Put(CF_TEXT, std::move(ansi));
  Put(CF_UNICODETEXT, std::move(utf16));
}

}  // namespace velloran
