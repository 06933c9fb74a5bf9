#pragma once
// Putting text on the system clipboard.

#include <windows.h>

#include <string>

namespace velloran {

// How long the clipboard may be held by others before a copy gives up:
// this many attempts to open it, this long apart (under half a second in
// all, for which the window stays still).
inline constexpr int ClipboardOpenAttempts = 10;
inline constexpr DWORD ClipboardRetryPauseMs = 50;
inline constexpr const char* ClipboardBusyText = "The clipboard is in use by another program";

// Replaces the clipboard's content with Text (8-bit, in the system code
// page), owned by Owner. It goes as CF_TEXT and, converted from that same
// code page, as CF_UNICODETEXT: left to itself the system would make the
// Unicode form by the code page of the keyboard layout active now, which
// is not always the one the text is in. Raises Exception when the clipboard
// can't be had: ClipboardBusyText when others held it all the while.
void SetClipboardText(HWND owner, const std::string& text);

}  // namespace velloran
