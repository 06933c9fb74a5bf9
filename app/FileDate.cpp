#include "app/FileDate.h"

#include <windows.h>

#include "app/CacheFile.h"
#include "framework/FileAccess.h"
#include "framework/Handles.h"

namespace velloran {

namespace {

[[noreturn]] void RaiseLastError() {
  RaiseInOutError(static_cast<int>(GetLastError()));
}

SYSTEMTIME LocalLastWriteTime(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) RaiseLastError();
  UniqueKernelHandle file(handle);
  FILETIME written{};
  FILETIME local{};
  SYSTEMTIME time{};
  if (!GetFileTime(file.get(), nullptr, nullptr, &written) ||
      !FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &time))
    RaiseLastError();
  return time;
}

using FormatFunction = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCSTR, LPSTR, int);

std::string Formatted(FormatFunction format, DWORD flags, const SYSTEMTIME& time) {
  int size = format(LOCALE_USER_DEFAULT, flags, &time, nullptr, nullptr, 0);
  if (size <= 0) RaiseLastError();
  std::string text(static_cast<std::size_t>(size), '\0');
  size = format(LOCALE_USER_DEFAULT, flags, &time, nullptr, text.data(), size);
  if (size <= 0) RaiseLastError();
  text.resize(static_cast<std::size_t>(size) - 1);  // the count includes the terminating zero
  return text;
}

}  // namespace

std::string FileDateText(const std::string& path) {
  SYSTEMTIME time = LocalLastWriteTime(path);
  FileStamp stamp = TwoSecondStamp(
      FileStamp{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond});
  time.wSecond = static_cast<WORD>(stamp.second);
  time.wMilliseconds = 0;
  return StampText(stamp, Formatted(GetDateFormatA, DATE_SHORTDATE, time),
                   Formatted(GetTimeFormatA, 0, time));
}

}  // namespace velloran
