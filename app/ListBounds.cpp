#include "app/ListBounds.h"

#include <algorithm>

#include "app/DownloadVerdict.h"
#include "framework/FileAccess.h"

namespace velloran {
namespace {

std::string Megabytes(std::uint64_t bytes) {
  return std::to_string(bytes / (1024 * 1024)) + " MB";
}

}  // namespace

std::string_view WithoutOldListKept(std::string_view text) {
  if (text.ends_with(OldListKeptClause)) text.remove_suffix(OldListKeptClause.size());
  return text;
}

std::string TooManyServersText(int limit) {
  return "The list holds more than " + GroupedNumber(limit) +
         " servers, more than this program takes" + std::string(OldListKeptClause);
}

std::string ListFileTooLargeText(std::uint64_t limit) {
  return "The file is larger than " + Megabytes(limit) + ", too large for a server list" +
         std::string(OldListKeptClause);
}

std::string TooManyServersSentText(int limit) {
  return "sent a list of more than " + GroupedNumber(limit) +
         " servers, more than this program takes";
}

std::string ReplyTooLargeText(std::uint64_t limit) {
  return "sent more than " + Megabytes(limit) + ", more than any server list";
}

std::size_t BoundedSource::Read(char* buffer, std::size_t size) {
  // One byte past the limit is asked for, so that a source of exactly the
  // limit ends cleanly and one byte more is seen.
  const std::uint64_t room = limit_ + 1 - std::min(read_, limit_ + 1);
  const std::size_t count =
      source_.Read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(size, room)));
  read_ += count;
  if (read_ > limit_) throw EListTooLarge(ListFileTooLargeText(limit_));
  return count;
}

std::string ReadListBytes(const std::string& path, std::uint64_t limit) {
  InputFile file(path);
  const std::uint64_t size = file.Size();
  if (size > limit) throw EListTooLarge(ListFileTooLargeText(limit));
  BoundedSource bounded(file, limit);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(filled + 64 * 1024);
    const std::size_t count = bounded.Read(bytes.data() + filled, bytes.size() - filled);
    if (count == 0) break;
    filled += count;
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace velloran
