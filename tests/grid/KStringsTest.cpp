#include "grid/KStrings.h"

#include <gtest/gtest.h>

#include <random>

namespace velloran {
namespace {

TEST(StoredForm, LinesJoinedByCommasAndQuotedWhenNeeded) {
  struct Case {
    std::string text, stored, readBack;
  } cases[] = {
      {"", "", ""},
      {"abc", "abc", "abc"},
      {"a b", "\"a b\"", "a b"},
      {"x,y", "\"x,y\"", "x,y"},
      {"say \"hi\"", "\"say \"\"hi\"\"\"", "say \"hi\""},
      {"a\nb", "a,b", "a\r\nb"},
      {"a\r\nb", "a,b", "a\r\nb"},
      {"a\rb", "a,b", "a\r\nb"},
      {"a\n\rb", "\"a\n\",b", "a\n\r\nb"},  // the first CR ends the line, LF and all
      {"one two\nthree", "\"one two\",three", "one two\r\nthree"},
      {"a\r\n", "a,", "a\r\n"},
      {"\r\n", ",", "\r\n"},
      {"a\n b\rc", "\"a\n b\",c", "a\n b\r\nc"},  // the first CR wins over an earlier LF
      {"tab\there", "\"tab\there\"", "tab\there"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToStored(c.text), c.stored) << c.text;
    EXPECT_EQ(StoredToText(c.stored), c.readBack) << c.stored;
    EXPECT_EQ(NormalizeCellText(c.text), c.readBack) << c.text;
  }
}

TEST(StoredForm, ReadingSkipsBlanksAroundItems) {
  EXPECT_EQ(StoredToText("  a ,  b  "), "a\r\nb");
  EXPECT_EQ(StoredToText("\"a\"b"), "ab");
  EXPECT_EQ(StoredToText("\"unterminated"), "unterminated");
  EXPECT_EQ(StoredToText(std::string("a\0b", 3)), "ab");
}

TEST(StoredForm, CellTextsSurviveTheRoundTripAndStoringIsStable) {
  // Cells keep the read-back text and make the stored form again when it is
  // shown; both must agree with storing the original text.
  std::mt19937 random(7);
  const char alphabet[] = {'a', 'Z', ' ', ',', '"', '\r', '\n', '\t', '\0', '\xE9', '1'};
  for (int n = 0; n < 5000; ++n) {
    std::string text;
    int length = random() % 12;
    for (int i = 0; i < length; ++i) text += alphabet[random() % sizeof alphabet];
    std::string stored = TextToStored(text);
    std::string shown = StoredToText(stored);
    EXPECT_EQ(TextToStored(shown), stored) << testing::PrintToString(text);
    if (!HasLineBreak(text)) {
      EXPECT_EQ(shown, text) << testing::PrintToString(text);
    }
  }
}

}  // namespace
}  // namespace velloran
