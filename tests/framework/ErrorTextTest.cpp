#include "framework/ErrorText.h"

#include <gtest/gtest.h>

namespace velloran {

TEST(ErrorBoxText, AddsFullStopOnlyAfterBytesThatSortAfterDot) {
  struct Case {
    std::string message, shown;
  } cases[] = {
      {"Disk full", "Disk full."},
      {"Start WinMX 3 first!", "Start WinMX 3 first!"},  // "!" sorts before "."
      {"Finished.", "Finished."},
      {"Wait...", "Wait..."},
      {"Error 404", "Error 404."},
      {"Odd-", "Odd-"},         // "-" sorts before "."
      {"Path/", "Path/."},      // "/" sorts right after "."
      {"Caf\xE9", "Caf\xE9."},  // upper-half bytes compare unsigned
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

}  // namespace velloran
