// The address a row's IP and Port cells give the server check, over any
// bytes: the input up to its first line feed is the IP cell, the rest the
// Port cell. An address read from a cell prints back as exactly that cell
// (without its blanks), every address printed reads back as itself, and a
// port read is the cell's number, 1 to 65535.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/ServerCheck.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

std::string Dotted(std::uint32_t address) {
  return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
         std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view input = fuzz::BytesOf(data, size);
  const std::size_t split = input.find('\n');
  const std::string_view ip = input.substr(0, split);
  const std::string_view port = split == std::string_view::npos ? "" : input.substr(split + 1);

  if (const auto target = ConnectTargetOf(ip, port)) {
    VELLORAN_FUZZ_CHECK(Dotted(target->address) == Trimmed(ip));
    VELLORAN_FUZZ_CHECK(target->port >= 1);
    std::string_view digits = Trimmed(port);
    while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
    VELLORAN_FUZZ_CHECK(std::to_string(target->port) == digits);
  }
  // Any four bytes of the input, as an address, read back as themselves.
  std::uint32_t address = 0;
  for (std::size_t i = 0; i < 4 && i < size; ++i) address = address << 8 | data[i];
  const auto again = ConnectTargetOf(Dotted(address), "80");
  VELLORAN_FUZZ_CHECK(again && again->address == address && again->port == 80);
  return 0;
}
