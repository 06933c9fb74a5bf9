// Stopping a refresh, and a download that goes on while the program's own
// loops (a message box) read nothing; velloran.exe as a separate process
// against a scripted list site on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/ListSite.h"
#include "tests/e2e/VelloranRun.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

using test::LoopbackReply;
using test::LoopbackServer;
using test::StatusText;
using test::VelloranRun;
using namespace test::list_site;

constexpr const char* StoppedText = "Refresh stopped; the old list was kept.";

// "Stop refresh" from the grid's shortcut menu, opened as the menu key opens it.
bool ChooseStopRefresh(const VelloranRun& run) {
  HWND menu = OpenGridMenuByKey(run);
  if (!menu) return false;
  const std::vector<test::PopupMenuItem> items = test::PopupMenuItems(menu);
  EXPECT_FALSE(items.empty());
  if (!items.empty()) {
    EXPECT_EQ(items[0], (test::PopupMenuItem{"Stop refresh", true, false}));
  }
  return test::ChooseMenuItem(menu, "Stop refresh");
}

// Escape as the keyboard sends it to the focused grid.
void PressEscape(const VelloranRun& run) {
  HWND grid = GridWindow(run);
  PostMessageA(grid, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(grid, WM_KEYUP, VK_ESCAPE, 1u | (3u << 30));
}

TEST(StopRefresh, FromTheMenuOrEscapeKeepsTheOldListAndRefreshWorksAgain) {
  for (bool byEscape : {false, true}) {
    for (bool stalled : {true, false}) {
      SCOPED_TRACE(std::string(byEscape ? "Escape" : "the menu") +
                   (stalled ? ", a stalled download" : ", a slow download"));
      test::SetLayoutMarker();
      // The first connection is the refresh that is stopped; the next one is whole.
      LoopbackServer site(
          {stalled ? Stalled() : SlowPage(12, 1000), LoopbackReply::Text(Ok(Page) + Page)});
      VelloranRun run;
      run.WriteCache(OldCache);
      ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
      ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
      const std::string date = test::WindowText(run.LastRefreshed());
      run.ClickRefresh();
      ASSERT_TRUE(WaitForByteCount(run)) << Joined(run.StatusTexts());

      DWORD start = GetTickCount();
      if (byEscape) {
        PressEscape(run);
      } else {
        ASSERT_TRUE(ChooseStopRefresh(run));
        start = GetTickCount();
      }
      ASSERT_TRUE(run.WaitForStatus(StoppedText, 10000)) << Joined(run.StatusTexts());
      // Well within a second here; twice that allows for a busy machine.
      const DWORD elapsed = GetTickCount() - start;
      EXPECT_LT(elapsed, 2000u);
      std::printf("stopped after %lu ms\n", static_cast<unsigned long>(elapsed));

      const std::vector<StatusText> all = run.StatusTexts();
      EXPECT_EQ(Split(all).texts, (std::vector<StatusText>{{"2 servers", true},
                                                           {"Contacting 127.0.0.1...", false},
                                                           {"2 servers", false},
                                                           {StoppedText, false}}))
          << Joined(all);
      // No box, and nothing written.
      Sleep(500);
      EXPECT_EQ(test::FindMessageBox(run.Id()), nullptr);
      EXPECT_EQ(run.CacheBytes(), OldCache);
      EXPECT_EQ(test::WindowText(run.LastRefreshed()), date);
      EXPECT_TRUE(test::LayoutMarkerPresent());

      // At once a refresh again, which takes the whole page the site now sends.
      run.ClickRefresh();
      EXPECT_TRUE(run.WaitForStatus("3 servers", 20000)) << Joined(run.StatusTexts());
      EXPECT_EQ(run.CacheBytes(), CacheOf(3));
      EXPECT_EQ(site.Connections(), 2);
      run.Close();
      EXPECT_TRUE(run.WaitForExit(10000));
    }
  }
}

TEST(StopRefresh, WithoutARefreshEscapeAndTheMenuChangeNothing) {
  VelloranRun run;
  run.WriteCache(OldCache);
  ASSERT_TRUE(run.Start("--list-url http://127.0.0.1:1/list.php"));
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
  PressEscape(run);
  HWND menu = OpenGridMenuByKey(run);
  ASSERT_NE(menu, nullptr);
  const std::vector<std::string> captions = test::PopupMenuCaptions(menu);
  test::ClosePopupMenu(menu);
  EXPECT_TRUE(captions.empty() || captions[0] != "Stop refresh");
  Sleep(300);
  EXPECT_EQ(run.StatusTexts(), (std::vector<StatusText>{{"2 servers", true}}));
  EXPECT_TRUE(IsWindow(run.Window()));
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

// A message box holds the program's thread in a loop of its own that reads
// nothing from the socket; the site is live all the while, so its silence
// limit must not end the download, which goes on once the box is closed.
TEST(StallLimit, AMessageBoxHeldOpenDuringALiveDownloadDoesNotEndIt) {
  // 48 seconds in all, a piece every 3: longer than the limit and the box together.
  LoopbackServer site({SlowPage(16, 3000)});
  VelloranRun run;
  run.WriteCache(OldCache);
  const std::string page = run.WriteFile("list.htm", Page);
  ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
  run.ClickRefresh();
  ASSERT_TRUE(WaitForByteCount(run)) << Joined(run.StatusTexts());
  // A drop during a refresh is refused with a box.
  ASSERT_TRUE(run.DropFiles({page}));
  HWND box = nullptr;
  ASSERT_TRUE(
      test::WaitUntil([&] { return (box = test::FindMessageBox(run.Id())) != nullptr; }, 10000));
  Sleep(40000);
  EXPECT_TRUE(IsWindow(box));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(run.WaitForStatus("3 servers", 60000)) << Joined(run.StatusTexts());
  EXPECT_EQ(run.CacheBytes(), CacheOf(3));
  EXPECT_EQ(test::FindMessageBox(run.Id()), nullptr);
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

}  // namespace
}  // namespace velloran
