#pragma once
// Files dropped on a window from the shell (WM_DROPFILES).

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace velloran {

// The most names one drop hands on: a drop of a whole folder's files asks
// for no more than the first that holds what is wanted.
inline constexpr UINT MaxDroppedFiles = 256;

// Lets files be dropped on Window. On Windows 7 and later an elevated window
// would otherwise never see a drop from the (unelevated) shell, which sends
// the drop's messages from below its integrity level: they are let through
// here, where the system has the call (looked up at run time, so that older
// systems still start).
void AcceptDroppedFiles(HWND window);

// The names of a drop's files, in the order the drop gives them, at most
// MaxDroppedFiles, in UTF-8 (framework/FileAccess.h's Utf8Name): a name may
// hold letters that the system code page lacks. The drop's memory is
// released (DragFinish) either way.
std::vector<std::string> TakeDroppedFiles(HDROP drop);

}  // namespace velloran
