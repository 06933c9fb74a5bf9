#include "app/ListAddress.h"

#include "app/Links.h"

namespace velloran {

std::string BuiltInListUrl() {
  return std::string("http://") + ServerListHost + "/list.php";
}

std::string ChooseListUrl(const std::vector<std::string>& arguments, const char* environment) {
  bool given = false;
  std::string url;
  const std::string_view option = ListUrlOption;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word == option) {
      given = true;
      url = i + 1 < arguments.size() ? arguments[++i] : std::string();
    } else if (word.size() > option.size() && word.compare(0, option.size(), option) == 0 &&
               word[option.size()] == '=') {
      given = true;
      url = word.substr(option.size() + 1);
    }
  }
  if (given) return url;
  if (environment && *environment) return environment;
  return BuiltInListUrl();
}

std::string ListUrlHost(std::string_view url) {
  // With "//" the host is the third "/"-separated field; without it, a
  // leading "/" means no host and anything else starts with the host.
  std::string_view host;
  if (std::size_t slashes = url.find("//"); slashes != std::string_view::npos) {
    std::size_t first = url.find('/');
    std::size_t second = url.find('/', first + 1);
    if (second != std::string_view::npos) {
      std::string_view rest = url.substr(second + 1);
      host = rest.substr(0, rest.find('/'));
    }
  } else if (!url.empty() && url.front() != '/') {
    host = url.substr(0, url.find('/'));
  }
  return std::string(host.substr(0, host.find(':')));
}

}  // namespace velloran
