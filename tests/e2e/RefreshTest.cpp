// "Refresh" and the start-up download, with velloran.exe as a separate
// process against a scripted list site on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/FileDate.h"
#include "app/ListAddress.h"
#include "tests/e2e/ListSite.h"
#include "tests/e2e/VelloranRun.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

using test::LoopbackReply;
using test::LoopbackServer;
using test::StatusText;
using test::VelloranRun;
using namespace test::list_site;

TEST(FirstStart, DownloadsAtOnceShowingTheProgressAndWritesTheCache) {
  test::ResetLayoutKey();
  LoopbackServer site({SlowPage(4, 400)});
  VelloranRun run;
  ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));

  // Meanwhile: the panel is off, the grid is not.
  ASSERT_TRUE(WaitForByteCount(run)) << Joined(run.StatusTexts());
  EXPECT_FALSE(IsWindowEnabled(run.Panel()));
  EXPECT_TRUE(IsWindowEnabled(GridWindow(run)));

  ASSERT_TRUE(run.WaitForStatus("3 servers", 30000)) << Joined(run.StatusTexts());
  std::vector<StatusText> all = run.StatusTexts();
  Progress progress = Split(all);
  // Every text of the refresh comes with the panel off; the step that
  // follows sets the count text again, which changes nothing, and the panel on.
  EXPECT_EQ(progress.texts, (std::vector<StatusText>{{"Contacting 127.0.0.1...", false},
                                                     {"Download complete", false},
                                                     {"3 servers", false}}))
      << Joined(all);
  EXPECT_GE(progress.counts.size(), 2u) << Joined(all);
  ASSERT_FALSE(progress.counts.empty());
  EXPECT_EQ(progress.counts.back(), static_cast<long>(Page.size()));

  EXPECT_EQ(site.Requests(), std::vector<std::string>{test::ListRequest("/list.php", "127.0.0.1")});
  EXPECT_EQ(run.CacheBytes(), CacheOf(3));
  EXPECT_EQ(test::WindowText(run.LastRefreshed()), FileDateText(run.CachePath()));
  EXPECT_TRUE(test::LayoutKeyExists());
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

TEST(FirstStart, FollowsARedirectSendingItsCookieBack) {
  LoopbackServer site({LoopbackReply::Text("HTTP/1.0 302 Found\r\nLocation: /real/list.php\r\n"
                                           "Set-Cookie: session=abc\r\n\r\n"),
                       LoopbackReply::Text(Ok(Page) + Page)});
  VelloranRun run;
  ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
  ASSERT_TRUE(run.WaitForStatus("3 servers", 30000)) << Joined(run.StatusTexts());
  EXPECT_EQ(site.Requests(), (std::vector<std::string>{
                                 test::ListRequest("/list.php", "127.0.0.1"),
                                 test::ListRequest("/real/list.php", "127.0.0.1", "session=abc")}));
  EXPECT_EQ(run.CacheBytes(), CacheOf(3));
}

TEST(CachedStart, ShowsTheCacheAndAsksNothing) {
  LoopbackServer site({LoopbackReply::Text(Ok(Page) + Page)});
  VelloranRun run;
  run.WriteCache(OldCache);
  ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000)) << Joined(run.StatusTexts());
  EXPECT_EQ(run.StatusTexts(), (std::vector<StatusText>{{"2 servers", true}}));
  // Long enough for a download to have begun, had one been started.
  Sleep(500);
  EXPECT_EQ(site.Connections(), 0);
  EXPECT_EQ(run.CacheBytes(), OldCache);
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

// A save that could not put its new file in place left it beside the place:
// the next start takes it when it is whole, and downloads when it is not.
TEST(CachedStart, TakesAWholeNewFileThatASaveLeftBehind) {
  for (bool whole : {true, false}) {
    SCOPED_TRACE(whole ? "whole" : "cut off");
    LoopbackServer site({LoopbackReply::Text(Ok(Page) + Page)});
    VelloranRun run;
    const std::string newFile = whole ? OldCache : OldCache.substr(0, OldCache.size() - 9);
    run.WriteFile("servers.grd.new", newFile);
    ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
    ASSERT_TRUE(run.WaitForStatus(whole ? "2 servers" : "3 servers", 20000))
        << Joined(run.StatusTexts());
    EXPECT_EQ(site.Connections(), whole ? 0 : 1);
    EXPECT_EQ(run.CacheBytes(), whole ? OldCache : CacheOf(3));
    // Taken, it is gone from beside the place; cut off, the download's save replaced it.
    EXPECT_EQ(GetFileAttributesA((run.CachePath() + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
    run.Close();
    EXPECT_TRUE(run.WaitForExit(10000));
  }
}

// A whole page replaces the list: one without rows is a real empty list, and
// without a length the end of the server table tells a whole page.
TEST(Refresh, AWholePageIsTaken) {
  struct Case {
    const char* name;
    std::string reply;
    const char* countText;
    std::string cache;
  } cases[] = {
      {"the table without rows", Ok(Head + Foot) + Head + Foot, "0 servers", "7\r\n0\r\n"},
      {"no length", NoLength + Page, "3 servers", CacheOf(3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer site({LoopbackReply::Text(c.reply)});
    VelloranRun run;
    run.WriteCache(OldCache);
    ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
    ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
    run.ClickRefresh();
    ASSERT_TRUE(run.WaitForStatus(c.countText, 20000)) << Joined(run.StatusTexts());
    EXPECT_EQ(run.CacheBytes(), c.cache);
    EXPECT_EQ(test::FindMessageBox(run.Id()), nullptr);
  }
}

// A refresh that fails, from a window with a cached list of two servers:
// the texts in order, the message box (or none), and nothing changed.
struct Failure {
  const char* name;
  std::vector<LoopbackReply> script;
  // Empty: the list site's own address.
  std::string url;
  std::vector<std::string> texts;  // after the contacting text, byte counts aside
  std::string box;                 // empty: no message box
  DWORD limitMs = 20000;
  // The box Wine shows instead, where it differs from Windows.
  std::string wineBox = "";
};

void ExpectFailedRefresh(const Failure& failure) {
  SCOPED_TRACE(failure.name);
  test::SetLayoutMarker();
  LoopbackServer site(failure.script);
  std::string url = failure.url.empty() ? site.Url("/list.php") : failure.url;
  VelloranRun run;
  run.WriteCache(OldCache);
  ASSERT_TRUE(run.Start("--list-url " + url));
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
  const std::string date = test::WindowText(run.LastRefreshed());
  ASSERT_FALSE(date.empty());

  run.ClickRefresh();
  HWND box = nullptr;
  ASSERT_TRUE(test::WaitUntil(
      [&] {
        auto texts = run.StatusTexts();
        if (texts.size() < 3 || texts.back().text != "2 servers") return false;
        if (!failure.box.empty()) return (box = test::FindMessageBox(run.Id())) != nullptr;
        return IsWindowEnabled(run.Panel()) != FALSE;
      },
      failure.limitMs))
      << Joined(run.StatusTexts());
  if (box) {
    test::MessageBoxSeen seen = test::ReadMessageBox(box);
    EXPECT_EQ(seen.caption, "Velloran");
    if (failure.wineBox.empty() || seen.text != failure.wineBox) {
      EXPECT_EQ(seen.text, failure.box);
    }
    // The count text and the panel came before the box.
    EXPECT_TRUE(IsWindowEnabled(run.Panel()));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  } else {
    Sleep(500);
    EXPECT_EQ(test::FindMessageBox(run.Id()), nullptr);
  }

  std::vector<StatusText> all = run.StatusTexts();
  std::vector<StatusText> expected = {{"2 servers", true},
                                      {"Contacting " + ListUrlHost(url) + "...", false}};
  for (const std::string& text : failure.texts) expected.push_back({text, false});
  expected.push_back({"2 servers", false});
  EXPECT_EQ(Split(all).texts, expected) << Joined(all);
  EXPECT_EQ(run.CacheBytes(), OldCache);
  EXPECT_EQ(test::WindowText(run.LastRefreshed()), date);
  EXPECT_TRUE(test::LayoutMarkerPresent());
  EXPECT_TRUE(test::WaitUntil([&] { return IsWindowEnabled(run.Panel()) != FALSE; }, 5000));
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

LoopbackReply ClosedAtOnce() {
  LoopbackReply reply;
  return reply;
}

const char* const NoList = "The page holds no server list; the old list was kept.";

TEST(Refresh, AFailedOrForeignReplyKeepsTheOldList) {
  // A label longer than 63 characters fails in the resolver itself, before
  // any query could leave the machine.
  const std::string unresolvable = "http://" + std::string(64, 'a') + ".invalid/list.php";
  const Failure failures[] = {
      {"404",
       {LoopbackReply::Text("HTTP/1.0 404 Not Found\r\n\r\n<html>No such page</html>")},
       "",
       {"Error downloading!"},
       ""},
      {"no status line, closed at once", {ClosedAtOnce()}, "", {"Error downloading!"}, NoList},
      {"a page without the table",
       {LoopbackReply::Text(Ok("") + "<html><body><h1>Down for maintenance</h1></body></html>")},
       "",
       {"Error downloading!"},
       NoList},
      {"refused",
       {},
       "http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/list.php",
       {"Connection failed!"},
       "Connection Failed."},
      {"unresolvable host",
       {},
       unresolvable,
       {"Invalid host or DNS error!"},
       "Null Remote Address."},
  };
  for (const Failure& failure : failures) ExpectFailedRefresh(failure);
}

// A reply cut short is a failed download, however it was cut; only a whole
// page replaces the list.
TEST(Refresh, ACutReplyIsAFailedDownloadAndKeepsTheOldList) {
  const std::size_t half = Page.size() / 2;
  const std::size_t beforeEnd = Page.size() - Foot.size() + Foot.find("Privacy");
  const std::string total = std::to_string(Page.size());
  auto closedAfter = [&](std::size_t bytes) {
    return "The list site closed the connection after " + std::to_string(bytes) + " of " + total +
           " bytes; the old list was kept.";
  };
  auto closedInTable = [](std::size_t bytes) {
    return "The list site closed the connection in the middle of the server table, after " +
           std::to_string(bytes) + " bytes; the old list was kept.";
  };
  const std::string reset =
      "The list site broke off the connection (10054:Connection reset by peer)";
  // Wine's close notice for a reset carries no error, so there a reset reads
  // as the close it also is; the length or the table's end still tells the cut.
  using End = LoopbackReply::End;
  const Failure failures[] = {
      {"length, cut in half",
       {CutPage(Ok(Page), half)},
       "",
       {"Error downloading!"},
       closedAfter(half)},
      {"length, cut after the table's header",
       {CutPage(Ok(Page), Head.size())},
       "",
       {"Error downloading!"},
       closedAfter(Head.size())},
      {"length, cut before the end text",
       {CutPage(Ok(Page), beforeEnd)},
       "",
       {"Error downloading!"},
       closedAfter(beforeEnd)},
      {"no length, cut in half",
       {CutPage(NoLength, half)},
       "",
       {"Error downloading!"},
       closedInTable(half)},
      {"no length, cut after the table's header",
       {CutPage(NoLength, Head.size())},
       "",
       {"Error downloading!"},
       closedInTable(Head.size())},
      {"no length, cut before the end text",
       {CutPage(NoLength, beforeEnd)},
       "",
       {"Error downloading!"},
       closedInTable(beforeEnd)},
      {"cut in the reply's header",
       {LoopbackReply::Text("HTTP/1.0 200 OK\r\nContent-Length: 90\r\nContent-Ty")},
       "",
       {"Error downloading!"},
       "The list site closed the connection in the middle of the reply's header; the old list "
       "was kept."},
      {"reset in the body",
       {CutPage(Ok(Page), half, End::Reset)},
       "",
       {"Error downloading!"},
       reset + " after " + std::to_string(half) + " bytes; the old list was kept.",
       20000,
       closedAfter(half)},
      {"reset in the body without a length",
       {CutPage(NoLength, half, End::Reset)},
       "",
       {"Error downloading!"},
       reset + " after " + std::to_string(half) + " bytes; the old list was kept.",
       20000,
       closedInTable(half)},
      {"reset before the first body byte",
       {CutPage(Ok(Page), 0, End::Reset)},
       "",
       {"Error downloading!"},
       reset + " before any of the page arrived; the old list was kept.",
       20000,
       closedAfter(0)},
  };
  for (const Failure& failure : failures) ExpectFailedRefresh(failure);
}

// No server list comes near 32 MB: a site that sends more is refused as soon
// as it passes the bound, whatever it announced.
TEST(Refresh, AReplyPastTheBoundOfAListIsRefused) {
  LoopbackReply flood;
  flood.head = NoLength + Head;
  flood.chunks = {std::string(1024 * 1024, 'x')};
  flood.repeat = 40;
  ExpectFailedRefresh({"more than 32 MB",
                       {flood},
                       "",
                       {"Error downloading!"},
                       "The list site sent more than 32 MB, more than any server list; the old "
                       "list was kept."});
}

TEST(Refresh, AStalledDownloadEndsAfterItsLimit) {
  ExpectFailedRefresh({"stall",
                       {Stalled()},
                       "",
                       {},
                       "The list site sent nothing for 30 seconds; the download was stopped and "
                       "the old list kept.",
                       60000});
}

// Slower in all than the time-out, but never silent for as long: it finishes.
TEST(Refresh, ASlowButLiveDownloadFinishes) {
  LoopbackServer site({SlowPage(12, 3000)});
  VelloranRun run;
  run.WriteCache(OldCache);
  ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
  run.ClickRefresh();
  ASSERT_TRUE(run.WaitForStatus("3 servers", 90000)) << Joined(run.StatusTexts());
  EXPECT_EQ(Split(run.StatusTexts()).counts.size(), 12u) << Joined(run.StatusTexts());
  EXPECT_EQ(run.CacheBytes(), CacheOf(3));
  EXPECT_EQ(test::FindMessageBox(run.Id()), nullptr);
}

TEST(Refresh, ClosingDuringTheDownloadEndsTheProgramAtOnceAndWritesNothing) {
  test::ResetLayoutKey();
  LoopbackServer site({Stalled()});
  VelloranRun run;
  ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
  ASSERT_TRUE(WaitForByteCount(run)) << Joined(run.StatusTexts());
  DWORD start = GetTickCount();
  run.Close();
  DWORD exitCode = 1;
  ASSERT_TRUE(run.WaitForExit(10000, &exitCode));
  // Well within a second here (a few hundred milliseconds, most of them
  // Wine's own process teardown); twice that allows for a busy machine.
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_LT(elapsed, 2000u);
  std::printf("closed after %lu ms\n", static_cast<unsigned long>(elapsed));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(run.CacheBytes(), "<none>");
  EXPECT_FALSE(test::LayoutKeyExists());
}

TEST(Refresh, ASaveThatFailsAfterAGoodDownloadIsReported) {
  LoopbackServer site({LoopbackReply::Text(Ok(Page) + Page)});
  VelloranRun run;
  // Folders where the cache file and its new content should go: no cache to
  // load, and none can be written. (Wine's ReplaceFile would even move a
  // folder aside for the file, so the new content's place is taken too.)
  CreateDirectoryA(run.CachePath().c_str(), nullptr);
  CreateDirectoryA((run.CachePath() + ".new").c_str(), nullptr);
  ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
  HWND box = nullptr;
  ASSERT_TRUE(
      test::WaitUntil([&] { return (box = test::FindMessageBox(run.Id())) != nullptr; }, 20000))
      << Joined(run.StatusTexts());
  test::MessageBoxSeen seen = test::ReadMessageBox(box);
  EXPECT_EQ(seen.text, "File access denied.");
  std::vector<StatusText> all = run.StatusTexts();
  EXPECT_EQ(Split(all).texts, (std::vector<StatusText>{{"Contacting 127.0.0.1...", false},
                                                       {"Download complete", false},
                                                       {"3 servers", false}}))
      << Joined(all);
  EXPECT_TRUE(IsWindowEnabled(run.Panel()));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace
}  // namespace velloran
