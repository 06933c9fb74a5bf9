#include "framework/FileAccess.h"

#include <algorithm>
#include <utility>

#include "framework/Exception.h"
#include "framework/FileReplace.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace velloran {

namespace {

constexpr const char* FileNotFoundText = "File not found";
constexpr const char* AccessDeniedText = "File access denied";
constexpr const char* DiskFullText = "Disk full";
constexpr const char* EndOfFileText = "Read beyond end of file";

// One system call moves at most this much, so that sizes always fit its count type.
constexpr std::size_t MaxTransfer = std::size_t{1} << 30;

#ifdef _WIN32
HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}
[[noreturn]] void RaiseLastError() {
  RaiseInOutError(static_cast<int>(GetLastError()));
}

constexpr DWORD MoveIntoPlace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

class Win32ReplaceSteps final : public ReplaceSteps {
 public:
  Win32ReplaceSteps(const std::string& path, const std::string& newPath)
      : path_(path), newPath_(newPath) {}

  StepResult Replace() override {
    if (ReplaceFileA(path_.c_str(), newPath_.c_str(), nullptr, 0, nullptr, nullptr)) return {};
    const DWORD error = GetLastError();
    switch (error) {
      case ERROR_FILE_NOT_FOUND:
        return {StepOutcome::TargetMissing, static_cast<int>(error)};
      case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
      case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        return {StepOutcome::ReplacementNotMoved, static_cast<int>(error)};
      default:
        return {StepOutcome::Failed, static_cast<int>(error)};
    }
  }

  StepResult Move() override {
    if (MoveFileExA(newPath_.c_str(), path_.c_str(), MoveIntoPlace)) return {};
    return {StepOutcome::Failed, static_cast<int>(GetLastError())};
  }

 private:
  const std::string& path_;
  const std::string& newPath_;
};
#else
[[noreturn]] void RaiseLastError() {
  RaiseInOutError(errno);
}
#endif

}  // namespace

std::string InOutErrorText(int systemError) {
  switch (systemError) {
#ifdef _WIN32
    case ERROR_FILE_NOT_FOUND:
      return FileNotFoundText;
    case ERROR_ACCESS_DENIED:
      return AccessDeniedText;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return DiskFullText;
    case ERROR_HANDLE_EOF:
      return EndOfFileText;
#else
    case ENOENT:
      return FileNotFoundText;
    case EACCES:
    case EPERM:
    case EROFS:
      return AccessDeniedText;
    case ENOSPC:
    case EDQUOT:
      return DiskFullText;
#endif
    default:
      return "I/O error " + std::to_string(systemError);
  }
}

void RaiseInOutError(int systemError) {
  throw EInOutError(InOutErrorText(systemError));
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.Release();
  }
  return *this;
}

std::intptr_t FileHandle::Release() {
  return std::exchange(handle_, Invalid);
}

int FileHandle::Close() noexcept {
  std::intptr_t handle = Release();
  if (handle == Invalid) return 0;
#ifdef _WIN32
  return CloseHandle(AsHandle(handle)) ? 0 : static_cast<int>(GetLastError());
#else
  return close(static_cast<int>(handle)) == 0 ? 0 : errno;
#endif
}

#ifdef _WIN32

namespace {

constexpr DWORD ReadSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD ReadFlags = FILE_FLAG_SEQUENTIAL_SCAN;

FileHandle OpenedForReading(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) RaiseLastError();
  return FileHandle(reinterpret_cast<std::intptr_t>(handle));
}

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& text, char32_t code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | (code >> 6));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += static_cast<char>(0xE0 | (code >> 12));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (code >> 18));
    text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendUtf16(std::wstring& text, char32_t code) {
  if (code < 0x10000) {
    text += static_cast<wchar_t>(code);
  } else {
    code -= 0x10000;
    text += static_cast<wchar_t>(0xD800 | (code >> 10));
    text += static_cast<wchar_t>(0xDC00 | (code & 0x3FF));
  }
}

// The code point of the UTF-8 sequence at Text[At], moving At past it; a
// byte that starts no complete, shortest sequence stands for U+FFFD alone.
// The three-byte forms of surrogates pass: they are lone ones of a name.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
  constexpr char32_t Replacement = 0xFFFD;
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  std::size_t length = 0;
  char32_t code = 0;
  char32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 1, code = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 2, code = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 3, code = lead & 0x07, smallest = 0x10000;
  } else {
    return Replacement;
  }
  if (text.size() - at < length) return Replacement;
  for (std::size_t i = 0; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return Replacement;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF) return Replacement;
  at += length;
  return code;
}

}  // namespace

std::string Utf8FromWide(std::wstring_view wide) {
  std::string text;
  text.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t unit = static_cast<char16_t>(wide[i]);
    if (IsHighSurrogate(unit) && i + 1 < wide.size() &&
        IsLowSurrogate(static_cast<char16_t>(wide[i + 1]))) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char16_t>(wide[++i]) - 0xDC00);
    }
    AppendUtf8(text, unit);
  }
  return text;
}

std::wstring WideFromUtf8(std::string_view utf8) {
  std::wstring wide;
  wide.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    AppendUtf16(wide, NextCodePoint(utf8, at));
  }
  return wide;
}

std::wstring WideFromCodePage(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string CodePageFromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

InputFile::InputFile(const std::string& path)
    : file_(OpenedForReading(CreateFileA(path.c_str(), GENERIC_READ, ReadSharing, nullptr,
                                         OPEN_EXISTING, ReadFlags, nullptr))) {}

InputFile::InputFile(const Utf8Name& path)
    : file_(OpenedForReading(CreateFileW(WideFromUtf8(path.text).c_str(), GENERIC_READ, ReadSharing,
                                         nullptr, OPEN_EXISTING, ReadFlags, nullptr))) {}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
  DWORD count = 0;
  if (!ReadFile(AsHandle(file_.Get()), buffer, static_cast<DWORD>(std::min(size, MaxTransfer)),
                &count, nullptr))
    RaiseLastError();
  return count;
}

std::uint64_t InputFile::Size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(file_.Get()), &size)) RaiseLastError();
  return static_cast<std::uint64_t>(size.QuadPart);
}

OutputFile::OutputFile(const std::string& path) : path_(path), newPath_(path + ".new") {
  // No sharing: a second writer of the same list is refused while this one works.
  HANDLE handle = CreateFileA(newPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) RaiseLastError();
  file_ = FileHandle(reinterpret_cast<std::intptr_t>(handle));
}

OutputFile::~OutputFile() {
  if (leaveNewFile_) return;
  file_.Close();
  DeleteFileA(newPath_.c_str());
}

void OutputFile::Write(const char* data, std::size_t size) {
  while (size > 0) {
    DWORD chunk = static_cast<DWORD>(std::min(size, MaxTransfer));
    DWORD written = 0;
    if (!WriteFile(AsHandle(file_.Get()), data, chunk, &written, nullptr)) RaiseLastError();
    // A write that takes fewer bytes than it was given ran out of room.
    if (written < chunk) RaiseInOutError(ERROR_DISK_FULL);
    data += written;
    size -= written;
  }
}

void OutputFile::Commit() {
  // On the disk before it takes the old file's place: a crash right after the
  // replace must not leave an empty or partly written file where the old one was.
  if (!FlushFileBuffers(AsHandle(file_.Get()))) RaiseLastError();
  // The replace needs the file closed: this handle shares nothing.
  if (int error = file_.Close()) RaiseInOutError(error);
  Win32ReplaceSteps steps(path_, newPath_);
  ReplaceDecision decision = PutNewFileInPlace(steps, newPath_);
  if (decision.newFile != NewFileFate::Remove) leaveNewFile_ = true;
  if (!decision.error.empty()) throw EInOutError(std::move(decision.error));
}

bool PathMissing(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void MoveFileReplacing(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MoveIntoPlace)) RaiseLastError();
}

std::string ExecutablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) RaiseLastError();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

#else

InputFile::InputFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseLastError();
  file_ = FileHandle(fd);
}

InputFile::InputFile(const Utf8Name& path) : InputFile(path.text) {}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
  for (;;) {
    ssize_t count = read(static_cast<int>(file_.Get()), buffer, std::min(size, MaxTransfer));
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) RaiseLastError();
  }
}

std::uint64_t InputFile::Size() const {
  struct stat status {};
  if (fstat(static_cast<int>(file_.Get()), &status) != 0) RaiseLastError();
  return static_cast<std::uint64_t>(status.st_size);
}

OutputFile::OutputFile(const std::string& path) : path_(path), newPath_(path + ".new") {
  // Opened without truncating: the file may still be another writer's, which its lock tells.
  FileHandle file(open(newPath_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  if (!file) RaiseLastError();
  if (flock(static_cast<int>(file.Get()), LOCK_EX | LOCK_NB) != 0) RaiseLastError();
  if (ftruncate(static_cast<int>(file.Get()), 0) != 0) RaiseLastError();
  file_ = std::move(file);
}

OutputFile::~OutputFile() {
  if (leaveNewFile_) return;
  // Removed while still locked, so that no other writer picks up the leftover.
  unlink(newPath_.c_str());
  file_.Close();
}

void OutputFile::Write(const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = write(static_cast<int>(file_.Get()), data, std::min(size, MaxTransfer));
    if (written < 0) {
      if (errno == EINTR) continue;
      RaiseLastError();
    }
    if (written == 0) RaiseInOutError(ENOSPC);
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

void OutputFile::Commit() {
  // The new file takes over the old one's permissions, as a replace on Windows does.
  struct stat old {};
  if (stat(path_.c_str(), &old) == 0 &&
      fchmod(static_cast<int>(file_.Get()), old.st_mode & 07777) != 0)
    RaiseLastError();
  // On the disk before it takes the old file's place: a crash right after the
  // rename must not leave an empty or partly written file where the old one was.
  if (fsync(static_cast<int>(file_.Get())) != 0) RaiseLastError();
  // Renamed while still locked: no second writer can slip in between.
  if (rename(newPath_.c_str(), path_.c_str()) != 0) RaiseLastError();
  leaveNewFile_ = true;
  if (int error = file_.Close()) RaiseInOutError(error);
}

bool PathMissing(const std::string& path) {
  // The link itself, not what it points to: a link is something there.
  struct stat status {};
  if (lstat(path.c_str(), &status) == 0) return false;
  return errno == ENOENT || errno == ENOTDIR;
}

void MoveFileReplacing(const std::string& from, const std::string& to) {
  if (rename(from.c_str(), to.c_str()) != 0) RaiseLastError();
}

std::string ExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) RaiseLastError();
    if (static_cast<std::size_t>(length) < path.size()) {
      path.resize(static_cast<std::size_t>(length));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

#endif

std::string ReadWholeFile(const std::string& path) {
  InputFile file(path);
  std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    std::size_t count = file.Read(bytes.data() + filled, bytes.size() - filled);
    if (count == 0) break;
    filled += count;
  }
  bytes.resize(filled);
  // The size was only a hint: a file that grew meanwhile is read to its end.
  char block[64 * 1024];
  while (std::size_t count = file.Read(block, sizeof block)) bytes.append(block, count);
  return bytes;
}

}  // namespace velloran
