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

TEST(ListAddress, OptionBeatsVariableBeatsBuiltIn) {
  const std::string builtIn = BuiltInListUrl();
  struct Case {
    std::vector<std::string> arguments;
    const char* environment;
    std::string expected;
  } cases[] = {
      {{}, nullptr, builtIn},
      {{}, "", builtIn},
      {{}, "http://mirror.example/list.php", "http://mirror.example/list.php"},
      {{"--list-url", "http://127.0.0.1:8080/list.php"},
       "http://mirror.example/list.php",
       "http://127.0.0.1:8080/list.php"},
      {{"--list-url=http://a.example/l"}, nullptr, "http://a.example/l"},
      {{"--other", "--list-url", "http://a.example/", "more"}, nullptr, "http://a.example/"},
      {{"--list-url", "http://a.example/", "--list-url", "http://b.example/"},
       nullptr,
       "http://b.example/"},
      // Given without its address: the empty address, which the refresh reports.
      {{"--list-url"}, "http://mirror.example/list.php", ""},
      // Other words are not taken for the option.
      {{"--list-urls", "x", "-list-url", "y"}, nullptr, builtIn},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& word : c.arguments) joined += word + " ";
    EXPECT_EQ(ChooseListUrl(c.arguments, c.environment), c.expected) << joined;
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
