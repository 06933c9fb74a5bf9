#pragma once
// One bound for what a list can make, whatever door it comes through: a
// download, a list page file, a cache-format file. The largest honest list
// known holds 100,000 servers in a page of 23 MB; the bounds leave twice the
// servers and half as many bytes again, and no input within them makes the
// program's memory grow by more than a few hundred megabytes, in the 32-bit
// build too. Beyond them a list is refused, with a text that names the bound,
// before anything of the old list changes.

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Exception.h"
#include "framework/TextFile.h"

namespace velloran {

inline constexpr int MaxListRows = 200000;
inline constexpr std::uint64_t MaxListBytes = 32 * 1024 * 1024;

// What a refusal of a list ends with. A text that names several refusals
// says it once, and a tool that has no old list leaves it out.
inline constexpr std::string_view OldListKeptClause = "; the old list was kept";
std::string_view WithoutOldListKept(std::string_view text);

class EListTooLarge : public Exception {
 public:
  using Exception::Exception;
};

// "The list holds more than 200,000 servers, more than this program takes;
// the old list was kept"
std::string TooManyServersText(int limit = MaxListRows);
// "The file is larger than 32 MB, too large for a server list; the old list
// was kept"
std::string ListFileTooLargeText(std::uint64_t limit = MaxListBytes);
// What a list site did that sent more than the bound, worded to follow
// "The list site ": "sent more than 32 MB, more than any server list".
std::string ReplyTooLargeText(std::uint64_t limit = MaxListBytes);
// The same for a list of more servers than the bound: "sent a list of more
// than 200,000 servers, more than this program takes".
std::string TooManyServersSentText(int limit = MaxListRows);

// Source, of which at most Limit bytes are read: one more raises
// EListTooLarge with ListFileTooLargeText, whatever size the file system
// reported (a file may grow while it is read).
class BoundedSource : public ByteSource {
 public:
  BoundedSource(ByteSource& source, std::uint64_t limit) : source_(source), limit_(limit) {}
  std::size_t Read(char* buffer, std::size_t size) override;

 private:
  ByteSource& source_;
  std::uint64_t limit_;
  std::uint64_t read_ = 0;
};

// The whole content of the file at Path, refused (ListFileTooLargeText) past
// Limit bytes, before or while it is read.
std::string ReadListBytes(const std::string& path, std::uint64_t limit = MaxListBytes);

}  // namespace velloran
