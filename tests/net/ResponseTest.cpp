#include "net/HttpResponse.h"

#include <gtest/gtest.h>

#include "ScriptedSource.h"
#include "framework/Exception.h"
#include "framework/Streams.h"

namespace velloran {
namespace {

struct Reading {
  ResponseHeaderFields fields;
  std::string header;
  std::string body;
};

// Reads a response as the client does: the header, then the rest as the body.
Reading Read(const std::string& bytes, std::vector<std::size_t> splits = {},
             ResponseHeaderFields before = {}) {
  test::ScriptedSource source(bytes, std::move(splits));
  StreamLines lines(source);
  Reading reading{std::move(before), "", ""};
  StringSink header(reading.header);
  ReadResponseHeader(lines, header, reading.fields);
  reading.body = lines.ReadRest(bytes.size());
  return reading;
}

TEST(ResponseHeader, StatusAndValuesFromTheirFixedPositions) {
  const std::string cap(300, 'v');
  struct Case {
    std::string bytes;
    std::int32_t reply;
    std::string location, cookie;
    std::int32_t total;
    std::size_t headerLength;  // the rest is the body
  } cases[] = {
      {"HTTP/1.0 200 OK\r\n\r\nbody", 200, "", "", 0, 19},
      {"HTTP/1.0 404\r\n\r\n", 404, "", "", 0, 16},  // no reason phrase
      {"HTTP/1.0 302 Found\nLocation: /other\n\nx", 302, "/other", "", 0, 37},
      {"HTTP/1.0 302 Found\r\nLocation:  /other\r\n\r\n", 302, " /other", "", 0, 41},
      {"HTTP/1.0 302 Found\r\nLocation:/other\r\n\r\n", 302, "-", "", 0, 39},
      {"HTTP/1.0 302 Found\r\nlocation: a\r\nLOCATION: b\r\n\r\n", 302, "b", "", 0, 48},
      {"HTTP/1.0 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n", 200, "-", "b=2", 0, 53},
      // The value as it came, attributes and all.
      {"HTTP/1.0 302 Found\r\nSet-Cookie: a=1; Path=/; HttpOnly\r\n\r\n", 302, "-",
       "a=1; Path=/; HttpOnly", 0, 57},
      // A CR inside a line ended by LF stays in the value: the client refuses
      // such a Location as its next address.
      {"HTTP/1.0 302 Found\r\nLocation: /a\rX-Injected: 1\n\r\n", 302, "/a\rX-Injected: 1", "", 0,
       49},
      {"HTTP/1.0 302 Found\r\nLocation: /a\r\r\n\r\n", 302, "/a\r", "", 0, 37},
      {"HTTP/1.0 302 Found\r\nSet-Cookie: a=1\r\r\n\r\n", 302, "-", "a=1\r", 0, 40},
      {"HTTP/1.0 200 OK\r\nSet-Cookie: " + cap + "\r\n\r\n", 200, "-", cap.substr(0, 256), 0,
       17 + 12 + 300 + 2 + 2},
      {"HTTP/1.0 301 M\r\nLocation: " + cap + "\r\n\r\n", 301, cap.substr(0, 256), "", 0,
       16 + 10 + 300 + 2 + 2},
      {"HTTP/1.0 200 OK\r\nContent-Length: 1234\r\n\r\n", 200, "-", "", 1234, 41},
      {"HTTP/1.0 200 OK\r\ncontent-length: x=7; 8\r\n\r\n", 200, "-", "", 7, 43},
      {"HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\n", 200, "-", "", 2147483647, 48},
      {"HTTP/1.0 200 OK\r\nContent-Length: none\r\n\r\n", 200, "-", "", 0, 41},
      {"HTTP/1.0 65736 OK\r\n\r\n", 65736, "-", "", 0, 21},             // not cut to 16 bits
      {"HTTP/1.0 99999999999 OK\r\n\r\n", 2147483647, "-", "", 0, 27},  // a failure, not 0
      {"HTTP/1.0 OK\r\n\r\n", 0, "-", "", 0, 15},
      {"HTTP/1.0  200 OK\r\n\r\n", 0, "-", "", 0, 20},  // second field is empty
      {"HTTP/1.0 $1F4 X\r\n\r\n", 500, "-", "", 0, 19},
      {"", 0, "-", "", 0, 0},                                 // no status line
      {"HTTP/1.0 200 OK\r\nServer: x", 200, "-", "", 0, 17},  // closed in a line: dropped
      {"HTTP/1.0 200 OK\r\n\n\r\n", 200, "-", "", 0, 18},     // LF alone ends it too
      {"HTTP/1.0 200 OK\r\n \r\n\r\n", 200, "-", "", 0, 22},  // a blank is no end
  };
  for (const auto& c : cases) {
    for (auto splits : std::vector<std::vector<std::size_t>>{{}, {1}, {3, 1, 7}}) {
      ResponseHeaderFields before;
      before.Location = "-";
      before.ReplyNumber = 7;
      before.BytesTotal = 9;
      before.CookieIn = "old";
      Reading r = Read(c.bytes, splits, before);
      SCOPED_TRACE(testing::PrintToString(c.bytes) + " in blocks " +
                   testing::PrintToString(splits));
      EXPECT_EQ(r.fields.ReplyNumber, c.reply);
      EXPECT_EQ(r.fields.Location, c.location == "" ? "-" : c.location);
      EXPECT_EQ(r.fields.CookieIn, c.cookie);
      EXPECT_EQ(r.fields.BytesTotal, c.total);
      EXPECT_EQ(r.header, c.bytes.substr(0, c.headerLength));
      if (c.bytes.find("\r\nServer: x") == std::string::npos) {
        EXPECT_EQ(r.header + r.body, c.bytes);
      }
    }
  }
}

// What a reader of the body needs to tell a whole reply from a cut one.
TEST(ResponseHeader, KnowsWhetherALengthCameAndWhetherTheHeaderEnded) {
  struct Case {
    std::string bytes;
    bool hasLength, complete;
  } cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", true, true},  // 0 is a length
      {"HTTP/1.0 200 OK\r\nContent-Length: 15\r\n\r\nbody", true, true},
      {"HTTP/1.0 200 OK\r\nContent-Length: none\r\n\r\n", false, true},
      {"HTTP/1.0 200 OK\r\n\r\n", false, true},
      {"HTTP/1.0 200 OK\n\n", false, true},
      {"HTTP/1.0 200 OK\r\nContent-Length: 15\r\n", true, false},  // closed before its end
      {"HTTP/1.0 200 OK\r\nContent-Le", false, false},
      {"", false, false},
  };
  for (const auto& c : cases) {
    ResponseHeaderFields before;
    before.HasContentLength = !c.hasLength;
    before.Complete = !c.complete;
    Reading r = Read(c.bytes, {3}, before);
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(r.fields.HasContentLength, c.hasLength);
    EXPECT_EQ(r.fields.Complete, c.complete);
  }
}

TEST(ResponseHeader, BodyBytesAreNeverTakenForTheHeader) {
  // The reader must stop at the header's end, whatever the blocks: the body is
  // read on by someone else.
  std::string bytes = "HTTP/1.0 200 OK\r\n\r\nline one\r\n\r\nline two";
  test::ScriptedSource source(bytes, {1});
  StreamLines lines(source);
  std::string header;
  StringSink sink(header);
  ResponseHeaderFields fields;
  ReadResponseHeader(lines, sink, fields);
  EXPECT_EQ(source.Delivered(), 19u);
}

std::string ErrorOf(const std::string& bytes) {
  try {
    Read(bytes, {4096});
  } catch (const ESockError& error) {
    return error.Message();
  }
  return "no error";
}

TEST(ResponseHeader, HeadersBeyondTheirBoundsEndWithAnError) {
  const std::string status = "HTTP/1.0 200 OK\r\n";
  std::string manyLines = status;
  for (int i = 0; i < 1000; ++i) manyLines += "X: 1\r\n";
  std::string bigLines = status;
  for (int i = 0; i < 17; ++i) bigLines += "X: " + std::string(65000, 'b') + "\r\n";
  std::string fitting = status;
  for (int i = 0; i < 998; ++i) fitting += "X: 1\r\n";  // status, 998 lines, end: 1000
  struct Case {
    std::string bytes, error;
  } cases[] = {
      {status + "X: " + std::string(70000, 'a') + "\r\n\r\n", "Line longer than 65536 bytes"},
      {std::string(65536, 'a'), "Line longer than 65536 bytes"},
      {status + "X: " + std::string(65531, 'a') + "\r\n\r\n", "no error"},  // 65,536 with CR LF
      {status + "X: " + std::string(65532, 'a') + "\r\n\r\n", "Line longer than 65536 bytes"},
      {manyLines + "\r\n", "HTTP header has more than 1000 lines"},
      {manyLines, "HTTP header has more than 1000 lines"},
      {fitting + "\r\n", "no error"},
      {bigLines + "\r\n", "HTTP header longer than 1048576 bytes"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.bytes), c.error) << c.bytes.size();
}

TEST(ResponseHeader, ALineSourceWithoutBoundsStillMeetsTheLineLimit) {
  // Whatever cuts the lines, the reader holds no line longer than the buffer.
  class Lines : public LineSource {
   public:
    std::string ReadLn() override {
      return turn++ == 0 ? "HTTP/1.0 200 OK\r\n" : "X: " + std::string(70000, 'x') + "\r\n";
    }
    int turn = 0;
  } lines;
  std::string header;
  StringSink sink(header);
  ResponseHeaderFields fields;
  try {
    ReadResponseHeader(lines, sink, fields);
    FAIL();
  } catch (const ESockError& error) {
    EXPECT_EQ(error.Message(), "Line longer than 65536 bytes");
  }
  EXPECT_EQ(header, "HTTP/1.0 200 OK\r\n");
}

TEST(ResponseHeader, AnEndlessHeaderIsReadOnlyUpToItsBound) {
  // A peer that sends header lines forever: the reading must stop by itself.
  class Endless : public ByteSource {
   public:
    std::size_t Read(char* buffer, std::size_t size) override {
      static const std::string chunk = "HTTP/1.0 200 OK\r\nX: y\r\n";
      std::size_t n = std::min(size, chunk.size());
      std::memcpy(buffer, chunk.data(), n);
      delivered += n;
      return n;
    }
    std::size_t delivered = 0;
  } endless;
  StreamLines lines(endless);
  std::string header;
  StringSink sink(header);
  ResponseHeaderFields fields;
  EXPECT_THROW(ReadResponseHeader(lines, sink, fields), ESockError);
  EXPECT_LT(endless.delivered, 100000u);
}

TEST(CookiePair, OnlyTheNameValuePairGoesBack) {
  using namespace std::string_literals;
  struct Case {
    std::string value, pair;
  } cases[] = {
      {"id=7", "id=7"},
      {"id=7; Path=/; HttpOnly", "id=7"},
      {"id=7;Secure", "id=7"},
      {"  id=7 \t; Path=/", "id=7"},
      {"\tid=7\t", "id=7"},
      {"a b=c d", "a b=c d"},  // blanks inside stay
      {"id=", "id="},
      {"HttpOnly", "HttpOnly"},
      {"; Path=/", ""},
      {" \t ", ""},
      {"", ""},
      {"id=7; Path=/\r\x01"s, "id=7"},  // what is dropped can't reach a request
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CookiePair(c.value), c.pair) << testing::PrintToString(c.value);
  }
}

TEST(CookiePair, AControlCharacterInThePairIsRefused) {
  using namespace std::string_literals;
  struct Case {
    std::string value, byte;
  } cases[] = {
      {"id=7\r", "0x0D"},
      {"id=7\rX-Injected: 1; Path=/", "0x0D"},
      {"id=\x00"s + "7", "0x00"},
      {"\x7F"
       "id=7",
       "0x7F"},
      {"id\t=7", "0x09"},  // a tab inside is no blank around
      {"id=7\n", "0x0A"},
  };
  for (const auto& c : cases) {
    try {
      CookiePair(c.value);
      ADD_FAILURE() << testing::PrintToString(c.value) << " taken";
    } catch (const ESockError& error) {
      EXPECT_EQ(error.Message(),
                "The reply's cookie holds a control character (" + c.byte + "); nothing was sent")
          << testing::PrintToString(c.value);
    }
  }
}

TEST(LineSplitter, CutsAfterEachLineFeedWhateverTheBlocks) {
  LineSplitter splitter;
  std::string line;
  splitter.Feed("a\r");
  EXPECT_FALSE(splitter.NextLine(line));
  splitter.Feed("\nb\n\nc");
  ASSERT_TRUE(splitter.NextLine(line));
  EXPECT_EQ(line, "a\r\n");
  ASSERT_TRUE(splitter.NextLine(line));
  EXPECT_EQ(line, "b\n");
  ASSERT_TRUE(splitter.NextLine(line));
  EXPECT_EQ(line, "\n");
  EXPECT_FALSE(splitter.NextLine(line));
  EXPECT_EQ(splitter.Pending(), "c");
  EXPECT_EQ(splitter.TakePending(), "c");
  EXPECT_EQ(splitter.Pending(), "");
}

TEST(LineSplitter, ALineMayFillTheBufferButNotMore) {
  LineSplitter splitter;
  std::string line;
  splitter.Feed(std::string(65535, 'a'));
  EXPECT_FALSE(splitter.NextLine(line));
  splitter.Feed("\nrest");
  ASSERT_TRUE(splitter.NextLine(line));
  EXPECT_EQ(line.size(), 65536u);
  splitter.Feed(std::string(65536, 'b'));
  EXPECT_THROW(splitter.NextLine(line), ESockError);
}

TEST(StreamLines, ACloseInTheMiddleOfALineDropsIt) {
  test::ScriptedSource source("one\ntwo", {2});
  StreamLines lines(source);
  EXPECT_EQ(lines.ReadLn(), "one\n");
  EXPECT_EQ(lines.ReadLn(), "");
  EXPECT_EQ(lines.ReadLn(), "");
  EXPECT_EQ(lines.ReadRest(100), "");
}

}  // namespace
}  // namespace velloran
