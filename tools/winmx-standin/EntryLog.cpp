#include "EntryLog.h"

#include <fstream>

namespace standin {
namespace {

std::string Escaped(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\n':
        escaped += "\\n";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::string EntryLine(const Entry& entry) {
  return Escaped(entry.network) + '\t' + Escaped(entry.address) + '\t' + Escaped(entry.login) +
         '\t' + Escaped(entry.password) + '\t' + Escaped(entry.email) + '\t' +
         (entry.registerUser ? "1" : "0") + '\n';
}

void AppendEntry(const std::string& path, const Entry& entry) {
  if (path.empty()) return;
  // Opened and closed per entry: a reader sees the line once the form is gone.
  std::ofstream log(path, std::ios::binary | std::ios::app);
  log << EntryLine(entry);
}

}  // namespace standin
