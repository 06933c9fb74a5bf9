#pragma once
// A list site's pages and the cache files they give, and the status texts of
// a refresh, for the tests that run velloran.exe against a scripted list site.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/VelloranRun.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/WinTestSupport.h"

namespace velloran::test::list_site {

inline const std::string Head =
    "<html><body><table>\n<tr><th>Server</th><th>IP</th><th>Port</th><th>Network</th>"
    "<th>Users</th><th>Files</th><th>Giga bytes</th></tr>\n";
inline const std::string Foot =
    "</table><p><a href=\"/privacy.php\">Privacy Policy</a></p></body></html>";

inline std::string Row(int n) {
  std::string row = "<tr>";
  for (const std::string& cell :
       {"Server " + std::to_string(n), "127.0.0." + std::to_string(n), std::string("8888"),
        std::string("Net"), std::to_string(10 * n), std::to_string(100 * n), std::to_string(n)})
    row += "<td>" + cell + "</td>";
  return row + "</tr>\n";
}

// The cache file that a list of Rows servers made by Row gives.
inline std::string CacheOf(int rows) {
  std::vector<std::vector<std::string>> columns(7);
  for (int n = 1; n <= rows; ++n) {
    columns[0].push_back("Server" + std::to_string(n));
    columns[1].push_back("127.0.0." + std::to_string(n));
    columns[2].push_back("8888");
    columns[3].push_back("Net");
    columns[4].push_back(std::to_string(10 * n));
    columns[5].push_back(std::to_string(100 * n));
    columns[6].push_back(std::to_string(n));
  }
  std::string bytes = "7\r\n" + std::to_string(rows) + "\r\n";
  for (const auto& column : columns)
    for (const std::string& cell : column) bytes += cell + "\r\n";
  return bytes;
}

inline const std::string OldCache =
    "7\r\n2\r\nold one\r\nold two\r\n1.1.1.1\r\n2.2.2.2\r\n1\r\n2\r\na\r\nb\r\n"
    "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n";

inline std::string Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n";
}

inline std::string Joined(const std::vector<StatusText>& texts) {
  std::string all;
  for (const StatusText& text : texts)
    all += "[" + text.text + (text.panelEnabled ? "" : " (panel off)") + "] ";
  return all;
}

inline const std::string Page = Head + Row(1) + Row(2) + Row(3) + Foot;

// A third of the page, then silence far longer than the program waits.
inline LoopbackReply Stalled() {
  LoopbackReply reply;
  reply.head = Ok(Page) + Page.substr(0, Page.size() / 3);
  reply.chunks = {Page.substr(Page.size() / 3)};
  reply.delayMs = 45000;
  return reply;
}

// Head, then the page's first At bytes, then, once the client has had time
// to read them, End: a close, or a reset that breaks the connection off.
inline LoopbackReply CutPage(const std::string& head, std::size_t at,
                             LoopbackReply::End end = LoopbackReply::End::Close) {
  LoopbackReply reply;
  reply.head = head + Page.substr(0, at);
  reply.chunks = {""};
  reply.delayMs = 300;
  reply.end = end;
  return reply;
}

inline const std::string NoLength = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";

// The page's header, then the page in Pieces parts, DelayMs apart.
inline LoopbackReply SlowPage(int pieces, int delayMs) {
  LoopbackReply reply;
  reply.head = Ok(Page);
  std::size_t size = (Page.size() + pieces - 1) / pieces;
  for (std::size_t at = 0; at < Page.size(); at += size)
    reply.chunks.push_back(Page.substr(at, size));
  reply.delayMs = delayMs;
  return reply;
}

inline HWND GridWindow(const VelloranRun& run) {
  return FindWindowExA(run.Window(), nullptr, "VelloranGrid", nullptr);
}

// The grid's shortcut menu, opened as the menu key opens it; null when none showed.
inline HWND OpenGridMenuByKey(const VelloranRun& run) {
  HWND grid = GridWindow(run);
  PostMessageA(grid, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(grid), MAKELPARAM(-1, -1));
  return WaitForPopupMenu(run.Id(), 10000);
}

inline bool IsByteCount(const std::string& text) {
  const std::string tail = " bytes received... (Please wait)";
  return text.size() > tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The texts without the byte counts, and the counts on their own, checked to
// stand together right after the contacting text, counting up.
struct Progress {
  std::vector<StatusText> texts;
  std::vector<long> counts;
};

inline Progress Split(const std::vector<StatusText>& all) {
  Progress progress;
  bool countsEnded = false;
  for (const StatusText& text : all) {
    if (IsByteCount(text.text)) {
      EXPECT_FALSE(countsEnded) << "a byte count after another text: " << Joined(all);
      EXPECT_FALSE(text.panelEnabled) << text.text;
      long count = std::stol(text.text);
      if (!progress.counts.empty()) {
        EXPECT_GT(count, progress.counts.back()) << Joined(all);
      }
      progress.counts.push_back(count);
    } else {
      if (!progress.counts.empty()) countsEnded = true;
      progress.texts.push_back(text);
    }
  }
  return progress;
}

// Until the download is under way: its last text is a byte count.
inline bool WaitForByteCount(const VelloranRun& run) {
  return WaitUntil(
      [&] {
        auto texts = run.StatusTexts();
        return !texts.empty() && IsByteCount(texts.back().text);
      },
      20000);
}

}  // namespace velloran::test::list_site
