#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ListAddress.h"
#include "app/MainUnit.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/FileAccess.h"

namespace {

struct LocalFreer {
  void operator()(wchar_t** words) const { LocalFree(words); }
};

// The command line's words after the program's name, as the system splits
// them, wide: the run-time library's 8-bit ones have lost every letter of a
// file's name that the system code page lacks.
std::vector<std::wstring> CommandLineWords() {
  int count = 0;
  std::unique_ptr<wchar_t*, LocalFreer> words(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!words)
    throw velloran::Exception("The command line could not be read (error " +
                              std::to_string(GetLastError()) + ")");
  return std::vector<std::wstring>(words.get() + std::min(count, 1), words.get() + count);
}

// The variable's value in UTF-8; none when it is not set.
std::optional<std::string> EnvironmentVariable(const wchar_t* name) {
  std::wstring value(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    if (length < value.size()) {
      value.resize(length);
      return velloran::Utf8FromWide(value);
    }
    value.resize(length);
  }
}

// The list's sources by the command line's rules (app/ListAddress.h), which
// look at ASCII only and so read UTF-8 as they read the code page. The files
// stay in UTF-8, in which framework/FileAccess.h opens the user's files; the
// addresses go on in the code page, as the rest of the program takes texts.
velloran::ListSources StartSources() {
  std::vector<std::string> words;
  for (const std::wstring& word : CommandLineWords()) words.push_back(velloran::Utf8FromWide(word));
  const std::optional<std::string> environment =
      EnvironmentVariable(velloran::WideFromUtf8(velloran::ListUrlVariable).c_str());
  velloran::ListSources sources =
      velloran::ChooseListSources(words, environment ? environment->c_str() : nullptr);
  for (std::string& url : sources.urls)
    url = velloran::CodePageFromWide(velloran::WideFromUtf8(url));
  return sources;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velloran::TApplication application(instance);
  application.SetTitle("Velloran");
  // Errors of the start-up steps are shown by the window itself, which stays
  // open; only a window that could not be made at all (or a command line that
  // could not be read) ends the program here, with a non-zero exit code.
  return application.RunProgram([&] { application.Create<velloran::TForm1>(StartSources()); });
}
