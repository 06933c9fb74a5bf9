// Loading a server list from a file: the main window's part. Three ways in
// (the shortcut menu's command with the Open dialog, a drop on the window,
// the command line) end in LoadListFiles, which reads each file into rows of
// its own first, so that a file that is no list never touches the grid.
//
// The files' names come in UTF-8 from all three (framework/FileAccess.h's
// Utf8Name), taken from the system's wide calls: a name may hold letters
// that the system code page, in which the program's other texts are, lacks.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "app/ListFile.h"
#include "app/MainUnit.h"
#include "framework/Application.h"
#include "framework/DroppedFiles.h"
#include "framework/ErrorText.h"
#include "framework/Exception.h"
#include "framework/FileAccess.h"

namespace velloran {
namespace {

constexpr const char* LoadListCaption = "Load list from file...";
constexpr const char* RefreshBusyText =
    "A refresh is under way; load the list from a file once it has ended.";
constexpr const char* AddingServersBusyText =
    "Servers are being added to WinMX; load the list from a file once that has ended.";
constexpr const char* NoFileHeldListText =
    "None of the files holds a server list; the old list was kept:";

// A list's file of several: its line of the box says what happened to it;
// that the old list stays, the box says once. In UTF-8, as the name is; the
// error's text is in the code page.
std::string FailureLine(const std::string& path, const std::string& text) {
  return "\n" + path + ": " + Utf8FromWide(WideFromCodePage(WithoutOldListKept(text)));
}

// The application's error box (framework/Application.h) for Text, in UTF-8,
// shown with the wide call: the 8-bit one would show the letters of the
// files' names that the code page lacks as "?".
void ShowErrorNamingFiles(TForm& form, const std::string& text) {
  HWND owner = IsWindowVisible(form.Handle()) ? form.Handle() : GetActiveWindow();
  const TApplication* application = form.Application();
  const std::wstring caption = application ? WideFromCodePage(application->Title()) : L"";
  MessageBoxW(owner, WideFromUtf8(ErrorBoxText(text)).c_str(),
              application ? caption.c_str() : nullptr, MB_OK | MB_ICONERROR);
}

// The system's Open dialog for one list file; empty when the user cancelled.
std::string AskForListFile(HWND owner) {
  // Each filter is its text and its patterns, and a second NUL ends the list.
  static const wchar_t Filters[] =
      L"List pages (*.htm;*.html)\0*.htm;*.html\0"
      L"Cache files (*.grd)\0*.grd\0"
      L"All files (*.*)\0*.*\0";
  // Room for the long paths that the dialog can hand out.
  std::wstring name(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = Filters;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = L"Load list from file";
  // The program's working folder stays where it was.
  dialog.Flags =
      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) {
    if (DWORD error = CommDlgExtendedError())
      throw Exception("The Open dialog failed (error " + std::to_string(error) + ")");
    return {};
  }
  name.resize(name.find(L'\0'));
  return Utf8FromWide(name);
}

}  // namespace

void TForm1::AddListFileItems(TPopupMenu& menu) {
  menu.Add(LoadListCaption, [this] { LoadListFromDialog(); });
}

void TForm1::AcceptListFiles() {
  AcceptDroppedFiles(Handle());
  OnDropFiles = [this](const std::vector<std::string>& files) { LoadListFiles(files); };
}

void TForm1::LoadListFromDialog() {
  // Asked before the dialog too: nobody should pick a file only to hear no.
  if (ListLoadRefused()) return;
  const std::string path = AskForListFile(Handle());
  if (!path.empty()) LoadListFiles({path});
}

bool TForm1::ListLoadRefused() {
  // A refresh or a run under way is below on this thread's stack, waiting for
  // messages: a new list now would change the rows under it.
  const char* refusal = refreshing_      ? RefreshBusyText
                        : addingServers_ ? AddingServersBusyText
                                         : nullptr;
  if (refusal) Application()->ShowMessage(refusal);
  return refusal != nullptr;
}

void TForm1::LoadListFiles(const std::vector<std::string>& paths) {
  if (ListLoadRefused() || paths.empty()) return;
  if (paths.size() == 1) {
    LoadListFile(paths.front());
    AckwList();
    return;
  }
  std::string failures;
  for (const std::string& path : paths) {
    try {
      LoadListFile(path);
      AckwList();
      return;
    } catch (const Exception& error) {
      if (listTaken_) throw;
      failures += FailureLine(path, error.what());
    }
  }
  ShowErrorNamingFiles(*this, NoFileHeldListText + failures);
}

void TForm1::LoadListFile(const std::string& path) {
  listTaken_ = false;
  ListRows rows(Grid.ColumnCount());
  {
    InputFile file(Utf8Name{path});
    ReadListFile(file, file.Size(), rows);
  }
  listTaken_ = true;
  ReplaceList(rows);
}

}  // namespace velloran
