#include "benchmarks/ServerListPage.h"

#include <cstdio>

namespace velloran::bench {

std::string ServerListPage(int servers) {
  std::string page =
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
      "<html>\n<head>\n<title>OpenNap Server List</title>\n"
      "<link rel=\"stylesheet\" href=\"/style.css\" type=\"text/css\">\n</head>\n"
      "<body bgcolor=\"#FFFFFF\">\n<h1>Public OpenNap servers</h1>\n"
      "<p>Servers seen in the last 24 hours. Updated every 10 minutes.</p>\n"
      "<table class=\"list\" border=\"0\" cellpadding=\"2\" cellspacing=\"1\">\n"
      "<tr class=\"head\">\n  <th>Server</th>\n  <th>IP</th>\n  <th>Port</th>\n"
      "  <th>Network</th>\n  <th>Users</th>\n  <th>Files</th>\n  <th>Gigabytes</th>\n</tr>\n";
  static const char* const networks[] = {"OpenNapNet", "Solaris Network", "DigitalDawn",
                                         "NapNation", "FurthurNet"};
  char row[512];
  for (int i = 0; i < servers; ++i) {
    int length = std::snprintf(
        row, sizeof row,
        "<tr>\n"
        "  <td><a href=\"/server.php?id=%d\">Server %d Nap Hub</a></td>\n"
        "  <td>%d.%d.%d.%d</td>\n  <td>%d</td>\n"
        "  <td>%s</td>\n  <td align=\"right\">%d</td>\n  <td align=\"right\">%d</td>\n"
        "  <td align=\"right\">%d</td>\n</tr>\n",
        i, i, 10 + i % 200, (i / 7) % 256, (i / 3) % 256, i % 256, 8888 + i % 11, networks[i % 5],
        100 + i % 900, 10000 + (i * 37) % 900000, 1 + (i * 13) % 9000);
    page.append(row, static_cast<std::size_t>(length));
  }
  page +=
      "</table>\n<p class=\"foot\"><a href=\"/privacy.php\">Privacy Policy</a> &middot; "
      "<a href=\"/about.php\">About</a> &middot; &copy; 2003 the list site</p>\n"
      "</body>\n</html>\n";
  return page;
}

}  // namespace velloran::bench
