#include <cstdio>

#include "tools/velloran-tool/Commands.h"

namespace velloran::tool {

int Dump(const Arguments&) {
  std::fprintf(stderr, "velloran-tool: not available yet\n");
  return 1;
}

}  // namespace velloran::tool
