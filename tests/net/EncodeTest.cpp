#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/Streams.h"
#include "net/NMURL.h"
#include "net/NMUUE.h"

namespace velloran {
namespace {

TEST(UrlEncode, KeepsLettersAndDigitsMakesBlanksPlusAndEscapesTheRest) {
  struct Case {
    std::string text, encoded;
  } cases[] = {
      {"a b&c=d/\xE9", "a+b%26c%3Dd%2F%E9"},
      {"", ""},
      {"AZaz09", "AZaz09"},
      {"-._~", "%2D%2E%5F%7E"},
      {std::string("\0\x7F\x80\xFF", 4), "%00%7F%80%FF"},
      {"  ", "++"},
      {"+%", "%2B%25"},
  };
  for (const auto& c : cases) EXPECT_EQ(URLEncode(c.text), c.encoded) << c.text;
}

TEST(UrlEncode, EncodesTextsBeyond65535BytesInFull) {
  std::string text(70000, 'a');
  text[65536] = ' ';
  text.back() = '/';
  std::string encoded = URLEncode(text);
  ASSERT_EQ(encoded.size(), 70002u);
  EXPECT_EQ(encoded[65536], '+');
  EXPECT_EQ(encoded.substr(69999), "%2F");
}

TEST(UrlEncode, ComponentEncodesItsInputString) {
  TNMURL url(nullptr);
  bool errorFired = false;
  url.OnError = [&](TNMURL&, const std::string&, const std::string&) { errorFired = true; };
  url.SetInputString("a b");
  EXPECT_EQ(url.Encode(), "a+b");
  EXPECT_EQ(url.InputString(), "a b");
  EXPECT_FALSE(errorFired);
}

TEST(LineEncoder, Base64LinesOfUpTo45BytesWithFiller) {
  struct Case {
    std::string bytes, encoded;
  } cases[] = {
      {"abc", "YWJj\r\n"},
      {"ab", "YWI=\r\n"},
      {"a", "YQ==\r\n"},
      {"", ""},
      {"Aladdin:open sesame", "QWxhZGRpbjpvcGVuIHNlc2FtZQ==\r\n"},
      {std::string("\0\xFF\xFE", 3), "AP/+\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeLines(c.bytes, uuMime), c.encoded) << c.bytes;

  std::string bytes46;
  for (int i = 0; i < 46; ++i) bytes46 += static_cast<char>('0' + i % 10);
  std::string out = EncodeLines(bytes46, uuMime);
  std::string first = EncodeLines(bytes46.substr(0, 45), uuMime);
  ASSERT_EQ(first.size(), 62u);  // 60 characters, CR LF
  EXPECT_EQ(first.substr(60), "\r\n");
  EXPECT_EQ(first.substr(0, 8), "MDEyMzQ1");
  EXPECT_EQ(out, first + "NQ==\r\n");  // the 46th byte, "5", alone
}

TEST(LineEncoder, UuencodeLinesCarryTheirCountNoFillerAndAnEndLine) {
  struct Case {
    std::string bytes, encoded;
  } cases[] = {
      {"abc", "#86)C\r\n`\r\n"},
      {"ab", "\"86(\r\n`\r\n"},  // no filler for the short group
      {"a", "!80\r\n`\r\n"},
      {"", "`\r\n"},
      {std::string(3, '\0'), "#````\r\n`\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeLines(c.bytes, uuCode), c.encoded) << c.bytes;
  // 46 bytes: a full line of 45 ("M"), then one of 1 ("!").
  std::string out = EncodeLines(std::string(46, 'x'), uuCode);
  std::string full;
  for (int i = 0; i < 15; ++i) full += ">'AX";
  EXPECT_EQ(out, "M" + full + "\r\n!>`\r\n`\r\n");
}

TEST(LineEncoder, ComponentReadsFromTheStartRewindsItsOutputAndFiresItsEvents) {
  TMemoryStream input("xxabc");
  input.SetPosition(5);
  TMemoryStream output("keep:");
  output.SetPosition(5);
  TNMUUProcessor encoder(nullptr);
  std::vector<std::string> events;
  encoder.OnBeginEncode = [&](TComponent&) {
    events.push_back("begin at " + std::to_string(output.Position()));
  };
  encoder.OnEndEncode = [&](TComponent&) {
    events.push_back("end at " + std::to_string(output.Position()));
  };
  encoder.InputStream = &input;
  encoder.OutputStream = &output;
  EXPECT_EQ(encoder.Method(), uuMime);
  encoder.EncodeStream();
  EXPECT_EQ(output.Bytes(), "keep:eHhhYmM=\r\n");
  EXPECT_EQ(events, (std::vector<std::string>{"begin at 5", "end at 0"}));
  EXPECT_EQ(encoder.Alphabet(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
  encoder.SetMethod(uuCode);
  output.SetPosition(0);
  encoder.EncodeStream();
  EXPECT_EQ(encoder.Alphabet().size(), 64u);
  EXPECT_EQ(encoder.Alphabet().front(), '`');
  EXPECT_EQ(encoder.Alphabet().back(), '_');
  encoder.InputStream = nullptr;
  EXPECT_THROW(encoder.EncodeStream(), Exception);
}

}  // namespace
}  // namespace velloran
