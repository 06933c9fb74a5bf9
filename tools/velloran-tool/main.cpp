// velloran-tool: the program's own code, for people and scripts.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "app/ListBounds.h"
#include "tools/velloran-tool/Commands.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

struct Command {
  const char* name;
  const char* usage;
  int (*run)(const velloran::tool::Arguments&);
};

const Command commands[] = {
    {"sort",
     "sort COLUMN ORDER   rows of 7 tab-separated cells from stdin, sorted (COLUMN 0-6, ORDER "
     "asc|dsc)",
     &velloran::tool::Sort},
    {"dump", "dump FILE           the rows of a cache file, 7 tab-separated cells a line",
     &velloran::tool::Dump},
    {"scrape", "scrape PAGE FILE    the list page PAGE scraped into the cache file FILE",
     &velloran::tool::Scrape},
    {"gif", "gif FILE [PAM-FILE] the facts of a GIF file, and its composed frames as a PAM file",
     &velloran::tool::Gif},
#ifdef _WIN32
    {"get",
     "get [--no-redirect] URL [HEADER-FILE BODY-FILE]   one Get with the program's client: its "
     "events, results and files",
     &velloran::tool::Get},
#endif
};

}  // namespace

namespace velloran::tool {

void PrintListError(const std::string& text) {
  const std::string_view shown = WithoutOldListKept(text);
  std::fprintf(stderr, "%.*s\n", static_cast<int>(shown.size()), shown.data());
}

}  // namespace velloran::tool

namespace {

int Usage() {
  std::fprintf(stderr, "usage: velloran-tool COMMAND ARGUMENTS...\n");
  for (const Command& command : commands) std::fprintf(stderr, "  %s\n", command.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Bytes in, bytes out: no CR LF translation of the rows.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc < 2) return Usage();
  for (const Command& command : commands) {
    if (std::strcmp(argv[1], command.name) == 0)
      return command.run(velloran::tool::Arguments(argv + 2, argv + argc));
  }
  return Usage();
}
