#include "app/ListAddress.h"

#include "app/Links.h"
#include "net/HttpUrl.h"

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
  // The client's own reading: with "//" the host is the third "/"-separated
  // field; without it, a leading "/" means no host, anything else starts with it.
  std::string host;
  if (url.find("//") != std::string_view::npos) {
    host = NthWord(url, '/', 3);
  } else if (!url.empty() && url.front() != '/') {
    host = NthWord(url, '/', 1);
  }
  return host.substr(0, host.find(':'));
}

}  // namespace velloran
