#pragma once
// Property checks inside fuzz targets: a failed check aborts, which libFuzzer
// and the replay driver both report as a finding, with the input.

#include <cstdio>
#include <cstdlib>

namespace velloran::fuzz {

[[noreturn]] inline void CheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
  std::abort();
}

}  // namespace velloran::fuzz

#define VELLORAN_FUZZ_CHECK(condition) \
  ((condition) ? void() : ::velloran::fuzz::CheckFailed(#condition, __FILE__, __LINE__))
