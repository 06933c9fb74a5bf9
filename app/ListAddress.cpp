#include "app/ListAddress.h"

#include "app/Links.h"
#include "net/HttpUrl.h"

namespace velloran {
namespace {

bool IsAddressBlank(char c) {
  return c == ' ' || c == '\t';
}

std::vector<std::string> BlankSeparated(std::string_view text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && IsAddressBlank(text[at])) ++at;
    std::size_t end = at;
    while (end < text.size() && !IsAddressBlank(text[end])) ++end;
    if (end > at) words.emplace_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

}  // namespace

std::string BuiltInListUrl() {
  return std::string("http://") + ServerListHost + "/list.php";
}

ListSources ChooseListSources(const std::vector<std::string>& arguments, const char* environment) {
  ListSources sources;
  bool given = false;
  bool optionsEnded = false;
  const std::string_view option = ListUrlOption;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (optionsEnded) {
      sources.files.push_back(word);
    } else if (word == option) {
      given = true;
      sources.urls.push_back(i + 1 < arguments.size() ? arguments[++i] : std::string());
    } else if (word.size() > option.size() && word.compare(0, option.size(), option) == 0 &&
               word[option.size()] == '=') {
      given = true;
      sources.urls.push_back(word.substr(option.size() + 1));
    } else if (word == "--") {
      optionsEnded = true;
    } else if (word.compare(0, 2, "--") != 0) {
      sources.files.push_back(word);
    }
  }
  if (!given && environment) sources.urls = BlankSeparated(environment);
  if (sources.urls.empty()) sources.urls.push_back(BuiltInListUrl());
  return sources;
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
