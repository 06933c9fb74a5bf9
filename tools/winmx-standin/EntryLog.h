#pragma once
// One accepted entry per line: network, address, login name, password,
// e-mail and the tick (1 or 0), separated by tabs. A backslash, tab, CR or LF
// inside a text is written as \\, \t, \r or \n, so that every entry stays one line.

#include <string>

namespace standin {

struct Entry {
  std::string network;
  std::string address;
  std::string login;
  std::string password;
  std::string email;
  bool registerUser = false;
};

std::string EntryLine(const Entry& entry);
// Appends the entry's line to the file; does nothing without a path.
void AppendEntry(const std::string& path, const Entry& entry);

}  // namespace standin
