#pragma once
// Files on disk for the text-file facility: the one place that knows the
// operating system's file calls (Win32 in the Windows builds, POSIX natively).
// Every failure raises EInOutError with the system's reason: "File not found",
// "File access denied", "Disk full", "Read beyond end of file", or
// "I/O error N" with the system's error number N.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/TextFile.h"

namespace velloran {

// The reason text for a system error number (GetLastError on Windows, errno elsewhere).
std::string InOutErrorText(int systemError);
[[noreturn]] void RaiseInOutError(int systemError);

// An open operating-system file; closed when it goes.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(std::intptr_t handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(FileHandle&& other) noexcept : handle_(other.Release()) {}
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  std::intptr_t Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Invalid; }
  std::intptr_t Release();
  // Closes the file; returns the system's error number, 0 when it closed cleanly.
  int Close() noexcept;

  static constexpr std::intptr_t Invalid = -1;

 private:
  std::intptr_t handle_ = Invalid;
};

// A file's name in UTF-8. Names that the user hands over (command line, drop,
// Open dialog) travel so: the system code page, which the other names here
// are in on Windows, lacks most of the world's letters. Natively every name
// is one.
struct Utf8Name {
  std::string text;
};

#ifdef _WIN32
// The system's wide (UTF-16) strings in UTF-8 and back. A lone surrogate,
// which a Windows file name may hold, keeps a three-byte form of its own
// (as WTF-8 writes it), so that every name comes back as it was; bytes that
// are no UTF-8 come back as U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);
std::wstring WideFromUtf8(std::string_view utf8);
// The same for the system code page, in which the program's other texts are;
// a letter the code page lacks comes out as the system's stand-in ("?").
std::wstring WideFromCodePage(std::string_view text);
std::string CodePageFromWide(std::wstring_view wide);
#endif

// An existing file opened for reading; others may read and write it meanwhile.
class InputFile : public ByteSource {
 public:
  explicit InputFile(const std::string& path);
  explicit InputFile(const Utf8Name& path);
  std::size_t Read(char* buffer, std::size_t size) override;
  std::uint64_t Size() const;

 private:
  FileHandle file_;
};

// A new content for the file at Path. The bytes go into a file of their own
// beside it (Path followed by ".new"); Commit flushes that file to the disk
// and then puts it in Path's place, so a write that fails part-way leaves the
// old file as it was. Without Commit the unfinished file is removed when the
// object goes, and so is it when Commit fails with the old file unchanged.
// Only when the old file may already be gone (Windows took it away but could
// not move the new one after it) does a failing Commit keep the ".new" file:
// its error then names that file.
//
// The new file takes over the old one's attributes and permissions. A ".new"
// file that a crash left behind is overwritten and so gone after the next
// save. While one writer holds the ".new" file, a second writer of the same
// path fails (a sharing violation, "I/O error 32" on Windows) instead of
// mixing its bytes in.
class OutputFile : public ByteSink {
 public:
  explicit OutputFile(const std::string& path);
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(const char* data, std::size_t size) override;
  void Commit();

 private:
  std::string path_;
  std::string newPath_;
  FileHandle file_;
  // The new file is in place, or kept on purpose: the destructor leaves it alone.
  bool leaveNewFile_ = false;
};

// True only when the system says that nothing is at Path, neither file nor
// folder. Any other answer, an error included, counts as something there, so
// that no caller puts a file over one it could not look at.
bool PathMissing(const std::string& path);

// Moves the file at From to To, replacing a file there. On Windows it returns
// once the move is on the disk.
void MoveFileReplacing(const std::string& from, const std::string& to);

// The whole content of a file.
std::string ReadWholeFile(const std::string& path);

// The full path of the running program's executable.
std::string ExecutablePath();

}  // namespace velloran
