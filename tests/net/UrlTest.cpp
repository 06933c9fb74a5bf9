#include "net/HttpUrl.h"

#include <gtest/gtest.h>

#include "framework/Exception.h"

namespace velloran {
namespace {

TEST(NthWord, FieldsBetweenEveryDelimiter) {
  struct Case {
    std::string text;
    int n;
    std::string word;
  } cases[] = {
      {"http://host/x", 1, "http:"},
      {"http://host/x", 2, ""},
      {"http://host/x", 3, "host"},
      {"http://host/x", 4, "x"},
      {"http://host/x", 5, ""},
      {"", 1, ""},
      {"abc", 1, "abc"},
      {"abc", 2, ""},
      {"/a", 1, ""},
      {"a/", 2, ""},
      {"a/b", 0, ""},
      {"a/b", -1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NthWord(c.text, '/', c.n), c.word) << c.text << " " << c.n;
}

TEST(NthCharPos, PositionOfTheNthOccurrenceOrOnePastTheEnd) {
  struct Case {
    std::string text;
    int n;
    std::size_t position;
  } cases[] = {
      {"http://host/x", 1, 6},
      {"http://host/x", 3, 12},
      {"http://host/x", 4, 14},
      {"http://host/", 3, 13},  // the third is the last character
      {"http://host", 3, 12},
      {"", 1, 1},
      {"///", 2, 2},
      {"a/b", 0, 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NthCharPos(c.text, '/', c.n), c.position) << c.text << " " << c.n;
  }
}

TEST(ParseURL, SplitsPathHostAndPort) {
  struct Case {
    std::string url;
    std::string host;   // before
    std::int32_t port;  // before
    std::string urlAfter, path, hostAfter;
    std::int32_t portAfter;
  } cases[] = {
      {"http://list.example/list.php", "", 0, "http://list.example/list.php", "/list.php",
       "list.example", 80},
      {"http://list.example", "", 0, "http://list.example/", "/", "list.example", 80},
      {"http://list.example/", "", 0, "http://list.example/", "/", "list.example", 80},
      {"http://h:8080/a", "", 0, "http://h:8080/a", "/a", "h", 8080},
      {"HTTP://h/a?x=1/2", "", 21, "HTTP://h/a?x=1/2", "/a?x=1/2", "h", 80},  // a scheme resets
      {"/list.php", "prev", 8080, "/list.php", "/list.php", "prev", 8080},    // no scheme: kept
      {"h/a", "prev", 8080, "h/a", "/a", "h", 8080},
      {"h:81/a", "prev", 8080, "h:81/a", "/a", "h", 81},
      {"h", "prev", 0, "h/", "/", "h", 80},
      {"ftp://f/pub", "", 0, "ftp://f/pub", "/pub", "f", 21},
      {"Gopher://g/", "", 0, "Gopher://g/", "/", "g", 70},
      {"//h/a", "", 7, "//h/a", "/a", "h", 7},
      {"http:///a", "prev", 0, "http:///a", "/a", "prev", 80},  // empty host: kept
      {"http://h:0/a", "", 0, "http://h:0/a", "/a", "h", 0},
      {"http://h:65535/a", "", 0, "http://h:65535/a", "/a", "h", 65535},
      {"http://h:$1F90/a", "", 0, "http://h:$1F90/a", "/a", "h",
       8080},  // as the integer reader reads
      {"http://127.0.0.1:8080", "", 0, "http://127.0.0.1:8080/", "/", "127.0.0.1", 8080},
  };
  for (const auto& c : cases) {
    RequestTarget target{c.url, "old", c.host, c.port};
    ParseURL(target);
    EXPECT_EQ(target.URL, c.urlAfter) << c.url;
    EXPECT_EQ(target.RequestPath, c.path) << c.url;
    EXPECT_EQ(target.Host, c.hostAfter) << c.url;
    EXPECT_EQ(target.Port, c.portAfter) << c.url;
  }
}

TEST(ParseURL, ASecondPassAsksForTheSamePath) {
  // A reply of 303 to 399 runs the same URL again, after ParseURL changed it.
  for (std::string url : {"http://h", "http://h/", "h", "http://h:81", "http://h/a/"}) {
    RequestTarget first;
    first.URL = url;
    ParseURL(first);
    RequestTarget second = first;
    ParseURL(second);
    EXPECT_EQ(second.URL, first.URL) << url;
    EXPECT_EQ(second.RequestPath, first.RequestPath) << url;
  }
}

TEST(ParseURL, PortsCarryOverOnlyWhereNoSchemeSetsThem) {
  RequestTarget target;
  auto parse = [&](const std::string& url) {
    target.URL = url;
    ParseURL(target);
    return target.Host + ":" + std::to_string(target.Port);
  };
  EXPECT_EQ(parse("http://a:8080/x"), "a:8080");
  EXPECT_EQ(parse("/y"), "a:8080");
  EXPECT_EQ(parse("b/z"), "b:8080");
  EXPECT_EQ(parse("http://c/z"), "c:80");
  EXPECT_EQ(parse("d:9000/z"), "d:9000");
  EXPECT_EQ(parse("ftp://e"), "e:21");
  EXPECT_EQ(parse("/w"), "e:21");
}

TEST(ParseURL, PathIsCutAt256Characters) {
  std::string path = "/" + std::string(300, 'p');
  RequestTarget target;
  target.URL = "http://h" + path;
  ParseURL(target);
  EXPECT_EQ(target.RequestPath, path.substr(0, 256));
  target = {};
  target.URL = "h" + path;
  ParseURL(target);
  EXPECT_EQ(target.RequestPath, path.substr(0, 256));
}

TEST(ParseURL, RefusesEmptyAndSecureAddressesAndBadPorts) {
  struct Case {
    std::string url, message;
  } cases[] = {
      {"", "Empty URL"},
      {"https://h/", "HTTP Secure Socket is not supported"},
      {"HTTPS://h/", "HTTP Secure Socket is not supported"},
      {"http://h:x/", "'x' is not a valid integer value"},
      {"http://h:/", "'' is not a valid integer value"},
      {"http://h:80x/", "'80x' is not a valid integer value"},
      {"http://user:pw@h/", "'pw@h' is not a valid integer value"},
      {"http://h:99999999999/", "'99999999999' is not a valid integer value"},
      {"http://h:65536/", "'65536' is not a valid port number"},
      {"http://h:-1/", "'-1' is not a valid port number"},
  };
  for (const auto& c : cases) {
    RequestTarget target{c.url, "", "prev", 0};
    try {
      ParseURL(target);
      ADD_FAILURE() << c.url << " parsed";
    } catch (const EConvertError& error) {
      EXPECT_EQ(error.Message(), c.message) << c.url;
      EXPECT_EQ(target.Host, "prev");  // nothing connects to a half-parsed address
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), c.message) << c.url;
      EXPECT_EQ(c.message.find("valid"), std::string::npos) << c.url << ": not a conversion error";
    }
  }
}

TEST(ParseURL, RefusesAControlCharacterAnywhereNamingTheFirst) {
  using namespace std::string_literals;
  // In the path, a CR or LF would end the request line and start a header
  // line; in the host, the Host line.
  struct Case {
    std::string url, byte;
  } cases[] = {
      {"http://h/a\rb", "0x0D"},
      {"http://h/a\nb", "0x0A"},
      {"http://h/a\r\nX-Injected: 1", "0x0D"},
      {"http://h/a\0b"s, "0x00"},
      {"http://h/a\tb", "0x09"},
      {"http://h/a\x7F", "0x7F"},
      {"http://h/\x1F", "0x1F"},
      {"http://h\r/a", "0x0D"},
      {"http://h\n/a", "0x0A"},
      {"http://h\r\nX-Injected: 1/a", "0x0D"},
      {"http://h\0/a"s, "0x00"},
      {"http://h\t:81/a", "0x09"},
      {"/a\rb", "0x0D"},  // a Location on the same host
      {"bare\n", "0x0A"},
      {"http://h/" + std::string(300, 'p') + "\r", "0x0D"},  // past the path's 256 characters
      {"https://h/\r", "0x0D"},                              // before any other refusal
      {"http://h:x\r/", "0x0D"},
  };
  for (const auto& c : cases) {
    RequestTarget target{c.url, "old", "prev", 8080};
    try {
      ParseURL(target);
      ADD_FAILURE() << testing::PrintToString(c.url) << " parsed";
    } catch (const EConvertError& error) {
      ADD_FAILURE() << testing::PrintToString(c.url) << ": " << error.Message();
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(),
                "The address holds a control character (" + c.byte + "); nothing was sent")
          << testing::PrintToString(c.url);
      EXPECT_EQ(target.URL, c.url);
      EXPECT_EQ(target.RequestPath, "old");
      EXPECT_EQ(target.Host, "prev");
      EXPECT_EQ(target.Port, 8080);
    }
  }
  // Blanks and bytes past 0x7F are no control characters.
  RequestTarget target{"http://h/a b\x80\xFF~", "", "", 0};
  ParseURL(target);
  EXPECT_EQ(target.RequestPath, "/a b\x80\xFF~");
}

}  // namespace
}  // namespace velloran
