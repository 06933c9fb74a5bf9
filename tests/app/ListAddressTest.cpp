#include "app/ListAddress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velloran {
namespace {

TEST(ListAddress, BuiltInAddressIsTheListSitesListPage) {
  EXPECT_EQ(BuiltInListUrl(), "http://www.napservers.example.com/list.php");
  EXPECT_EQ(ListUrlHost(BuiltInListUrl()), "www.napservers.example.com");
}

std::string Joined(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) joined += "[" + word + "] ";
  return joined;
}

TEST(ListAddress, OptionBeatsVariableBeatsBuiltIn) {
  using Urls = std::vector<std::string>;
  const Urls builtIn = {BuiltInListUrl()};
  struct Case {
    std::vector<std::string> arguments;
    const char* environment;
    Urls expected;
  } cases[] = {
      {{}, nullptr, builtIn},
      {{}, "", builtIn},
      {{}, " \t ", builtIn},
      {{}, "http://mirror.example/list.php", {"http://mirror.example/list.php"}},
      // Blanks separate the variable's addresses, however many stand between them.
      {{},
       " http://a.example/l \t http://b.example/l  ",
       {"http://a.example/l", "http://b.example/l"}},
      {{"--list-url", "http://127.0.0.1:8080/list.php"},
       "http://mirror.example/list.php http://other.example/",
       {"http://127.0.0.1:8080/list.php"}},
      {{"--list-url=http://a.example/l"}, nullptr, {"http://a.example/l"}},
      {{"--other", "--list-url", "http://a.example/", "more"}, nullptr, {"http://a.example/"}},
      // Every address given is tried, in the order given.
      {{"--list-url", "http://a.example/", "--list-url=http://b.example/", "--list-url",
        "http://a.example/"},
       "http://mirror.example/list.php",
       {"http://a.example/", "http://b.example/", "http://a.example/"}},
      // Given without its address: the empty address, which the refresh reports.
      {{"--list-url"}, "http://mirror.example/list.php", {""}},
      {{"--list-url", "http://a.example/", "--list-url"}, nullptr, {"http://a.example/", ""}},
      {{"--list-url="}, nullptr, {""}},
      // The word after the option is its address, whatever it looks like.
      {{"--list-url", "--list-url"}, nullptr, {"--list-url"}},
      // The option's address is taken as it is: it may hold a blank.
      {{"--list-url", "http://a.example/x y"}, nullptr, {"http://a.example/x y"}},
      // Other words are not taken for the option.
      {{"--list-urls", "x", "-list-url", "y"}, nullptr, builtIn},
      {{"--", "--list-url", "http://a.example/"}, nullptr, builtIn},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseListSources(c.arguments, c.environment).urls, c.expected)
        << Joined(c.arguments);
  }
}

TEST(ListAddress, WordsThatAreNoOptionsAreListFiles) {
  using Files = std::vector<std::string>;
  struct Case {
    std::vector<std::string> arguments;
    Files expected;
  } cases[] = {
      {{}, {}},
      {{"C:\\lists\\servers.htm"}, {"C:\\lists\\servers.htm"}},
      {{"a.grd", "--list-url", "http://a.example/", "b.htm", "--list-url=http://b.example/", "c"},
       {"a.grd", "b.htm", "c"}},
      // An option's address is never a file, even one that exists as a file.
      {{"--list-url", "a.grd"}, {}},
      // Unknown options are passed over; single dashes and blanks are names.
      {{"--verbose", "-x", "my list.htm"}, {"-x", "my list.htm"}},
      // After "--" everything is a name, "--" itself only once.
      {{"a", "--", "--list-url", "x", "--"}, {"a", "--list-url", "x", "--"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseListSources(c.arguments, nullptr).files, c.expected) << Joined(c.arguments);
  }
}

TEST(ListAddress, HostIsTheOneTheRequestGoesTo) {
  struct Case {
    const char* url;
    const char* host;
  } cases[] = {
      {"http://www.napservers.example.com/list.php", "www.napservers.example.com"},
      {"http://127.0.0.1:8080/list.php", "127.0.0.1"},
      {"http://127.0.0.1:8080", "127.0.0.1"},
      {"HTTP://Mirror.Example", "Mirror.Example"},
      {"mirror.example:81/list.php", "mirror.example"},
      {"mirror.example", "mirror.example"},
      {"/list.php", ""},
      {"", ""},
      {"http:/x", "http"},
      {"a/b//c", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ListUrlHost(c.url), c.host) << c.url;
}

}  // namespace
}  // namespace velloran
