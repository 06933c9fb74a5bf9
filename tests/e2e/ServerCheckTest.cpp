// "Check servers" in velloran.exe, operated from outside through the grid's
// shortcut menu: rows pointing at listeners of this test on 127.0.0.1 (two
// that accept, a closed port, one whose queue is full so that it never
// answers) and one row without a dotted address.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/CacheFile.h"
#include "tests/e2e/GridRowLook.h"
#include "tests/e2e/VelloranRun.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/MemoryCellTable.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

using test::PopupMenuItem;
using test::WaitUntil;

struct Listeners {
  test::LoopbackServer first{{test::LoopbackReply::Text("")}};
  test::LoopbackServer second{{test::LoopbackReply::Text("")}};
  test::StalledListener silent;
  unsigned short closed = test::UnusedLoopbackPort();
};

std::vector<std::vector<std::string>> CheckRows(const Listeners& listeners) {
  auto row = [](std::string server, std::string ip, unsigned short port) {
    return std::vector<std::string>{server, ip, std::to_string(port), "Net", "10", "20", "30"};
  };
  return {
      row("alpha", "127.0.0.1", listeners.closed),
      row("bravo", "127.0.0.1", listeners.first.Port()),
      row("charlie", "127.0.0.1", listeners.silent.Port()),
      row("delta", "opennap.example.com", 8888),
      row("echo", "127.0.0.1", listeners.second.Port()),
  };
}

std::string RowText(const std::vector<std::string>& row) {
  std::string text;
  for (const std::string& cell : row) text += (text.empty() ? "" : "\t") + cell;
  return text + "\r\n";
}

class ServerCheckRun : public ::testing::Test {
 protected:
  void StartWith(const std::vector<std::vector<std::string>>& rows,
                 const std::string& listUrl = "http://127.0.0.1:1/list.php") {
    MemoryCellTable table;
    table.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table.RowCount(); ++r)
      for (int c = 0; c < 7; ++c) table.SetCell(c, r, rows[r][c]);
    SaveGridFile(table, run.CachePath());
    cacheBefore = run.CacheBytes();
    // No refresh starts by itself: a cache is there.
    ASSERT_TRUE(run.Start("--list-url " + listUrl));
    grid = FindWindowExA(run.Window(), nullptr, "VelloranGrid", nullptr);
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(run.WaitForStatus(std::to_string(rows.size()) + " servers", 10000));
    // A right click's menu shows at the mouse: in the corner, clear of the rows.
    SetCursorPos(0, 0);
  }

  // Opens the grid's shortcut menu with a right click on the first row.
  HWND OpenMenu() {
    PostMessageA(grid, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 25));
    PostMessageA(grid, WM_RBUTTONUP, 0, MAKELPARAM(20, 25));
    return test::WaitForPopupMenu(run.Id());
  }

  bool Choose(const std::string& caption) {
    HWND menu = OpenMenu();
    if (!menu) return false;
    const bool chosen = test::ChooseMenuItem(menu, caption);
    if (!chosen) test::ClosePopupMenu(menu);
    // The next menu must not find this one on its way out.
    WaitUntil([&] { return !IsWindowVisible(menu); }, 3000);
    return chosen;
  }

  std::vector<PopupMenuItem> MenuItems() {
    HWND menu = OpenMenu();
    if (!menu) return {};
    std::vector<PopupMenuItem> items = test::PopupMenuItems(menu);
    test::ClosePopupMenu(menu);
    WaitUntil([&] { return !IsWindowVisible(menu); }, 3000);
    // The check's own items come first, up to "Copy"; what other features
    // add follows them.
    auto copy = std::find_if(items.begin(), items.end(),
                             [](const PopupMenuItem& item) { return item.caption == "Copy"; });
    if (copy != items.end()) items.erase(copy + 1, items.end());
    return items;
  }

  // The rows' looks once Shown holds for them (the repaint follows the
  // status text), or as they are after a few seconds.
  std::vector<test::RowLook> LooksOnceShown(
      const std::function<bool(const std::vector<test::RowLook>&)>& shown) {
    std::vector<test::RowLook> looks;
    WaitUntil(
        [&] {
          looks = test::ReadRowLooks(grid, 5);
          return shown(looks);
        },
        3000);
    return looks;
  }

  std::vector<std::string> CheckTexts() const {
    std::vector<std::string> texts;
    for (const test::StatusText& status : run.StatusTexts())
      if (status.text.find("answered") != std::string::npos) texts.push_back(status.text);
    return texts;
  }

  test::VelloranRun run;
  HWND grid = nullptr;
  std::string cacheBefore;
};

// Presses Keys in their order and lets them go in the reverse order, as the
// keyboard does, to the window in the foreground.
void PressKeys(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::string ClipboardText(UINT format) {
  std::string text;
  if (!OpenClipboard(nullptr)) return "<not open>";
  if (HANDLE data = GetClipboardData(format)) {
    if (const void* bytes = GlobalLock(data)) {
      if (format == CF_UNICODETEXT) {
        const auto* wide = static_cast<const wchar_t*>(bytes);
        for (; *wide; ++wide) text += *wide < 128 ? static_cast<char>(*wide) : '?';
      } else {
        text = static_cast<const char*>(bytes);
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST_F(ServerCheckRun, ChecksMarksSelectsAndAddsOnlyTheServersThatAnswered) {
  Listeners listeners;
  const auto rows = CheckRows(listeners);
  ASSERT_NO_FATAL_FAILURE(StartWith(rows));

  const PopupMenuItem separator{"", false, true};
  EXPECT_EQ(MenuItems(), (std::vector<PopupMenuItem>{{"Check servers", true, false},
                                                     {"Select servers that answered", false, false},
                                                     separator,
                                                     {"Copy", true, false}}));
  ASSERT_TRUE(Choose("Check servers"));

  // The silent row holds the check for its five seconds: meanwhile it is
  // marked as being checked, the others already show their outcome.
  ASSERT_TRUE(WaitUntil(
      [&] { return run.StatusTexts().back().text == "Checking servers... 4 of 5, 2 answered"; },
      10000));
  EXPECT_EQ(MenuItems(), (std::vector<PopupMenuItem>{{"Check servers", false, false},
                                                     {"Stop checking", true, false},
                                                     {"Select servers that answered", true, false},
                                                     separator,
                                                     {"Copy", true, false}}));
  std::vector<test::RowLook> looks =
      LooksOnceShown([](const auto& rows) { return rows[2].checkingBand > 1000; });
  EXPECT_GT(looks[2].checkingBand, 1000) << Describe(looks[2]);
  EXPECT_LT(looks[2].greyText, 10) << Describe(looks[2]);

  ASSERT_TRUE(run.WaitForStatus("2 of 5 servers answered", 10000));
  const std::vector<std::string> texts = CheckTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts.front(), "Checking servers... 1 of 5, 0 answered");
  const std::regex progress("Checking servers\\.\\.\\. ([1-5]) of 5, ([0-2]) answered");
  for (std::size_t i = 0; i + 1 < texts.size(); ++i)
    EXPECT_TRUE(std::regex_match(texts[i], progress)) << texts[i];

  // Answered rows in their normal colours, the others grey; row 0 (alpha,
  // refused) has the cursor and so the selection's colours.
  looks = LooksOnceShown([](const auto& rows) { return rows[2].checkingBand == 0; });
  EXPECT_GT(looks[0].silverText, 10) << Describe(looks[0]);
  EXPECT_GT(looks[1].blackText, 10) << Describe(looks[1]);
  EXPECT_LT(looks[1].greyText, 10) << Describe(looks[1]);
  for (int grey : {2, 3}) {
    EXPECT_GT(looks[grey].greyText, 10) << grey << ": " << Describe(looks[grey]);
    EXPECT_EQ(looks[grey].blackText, 0) << grey << ": " << Describe(looks[grey]);
    EXPECT_EQ(looks[grey].checkingBand, 0) << grey << ": " << Describe(looks[grey]);
  }
  EXPECT_GT(looks[4].blackText, 10) << Describe(looks[4]);

  // The marks follow their rows through a sort: Server descending, then back.
  auto clickServerHeader = [&] {
    PostMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 8));
    PostMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(100, 8));
  };
  clickServerHeader();
  clickServerHeader();
  looks = LooksOnceShown([](const auto& rows) { return rows[3].blackText > 10; });
  for (int grey : {1, 2, 4})  // delta, charlie, alpha
    EXPECT_GT(looks[grey].greyText, 10) << "sorted " << grey << ": " << Describe(looks[grey]);
  EXPECT_GT(looks[3].blackText, 10) << "bravo: " << Describe(looks[3]);
  EXPECT_LT(looks[3].greyText, 10) << "bravo: " << Describe(looks[3]);
  clickServerHeader();
  looks = LooksOnceShown([](const auto& rows) { return rows[1].blackText > 10; });
  EXPECT_GT(looks[2].greyText, 10) << "charlie: " << Describe(looks[2]);

  // The two that answered go to the top, in their order, selected; Copy shows it.
  ASSERT_TRUE(Choose("Select servers that answered"));
  ASSERT_TRUE(Choose("Copy"));
  const std::string copied = RowText(rows[1]) + RowText(rows[4]);
  EXPECT_TRUE(WaitUntil([&] { return ClipboardText(CF_TEXT) == copied; }, 5000))
      << ClipboardText(CF_TEXT);
  EXPECT_EQ(ClipboardText(CF_UNICODETEXT), copied);
  looks = LooksOnceShown([](const auto& rows) { return rows[1].selection > 1000; });
  EXPECT_GT(looks[0].selection, 1000) << Describe(looks[0]);
  EXPECT_GT(looks[1].selection, 1000) << Describe(looks[1]);
  EXPECT_EQ(looks[2].selection, 0) << Describe(looks[2]);
  EXPECT_GT(looks[2].greyText, 10) << "alpha, now third, is still grey: " << Describe(looks[2]);

  // "Add servers" with "Add selected servers only" types exactly those two.
  const std::string log = run.Folder() + "entries.log";
  DeleteFileA(log.c_str());  // the folder's name may be an earlier run's
  auto standin = test::StartWinmxStandin(log);
  ASSERT_TRUE(standin);
  SendMessageA(run.PanelChild("Edit", 186, 44), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tester"));
  SendMessageA(run.PanelChild("Button", 320, 40), BM_CLICK, 0, 0);
  PostMessageA(run.PanelChild("Button", 0, 0), BM_CLICK, 0, 0);
  EXPECT_TRUE(run.WaitForStatus("Finished", 60000));
  std::ifstream entries(log, std::ios::binary);
  const std::string added((std::istreambuf_iterator<char>(entries)),
                          std::istreambuf_iterator<char>());
  const std::string tail = "\ttester\t\tyourname@example.com\t1\n";
  EXPECT_EQ(added, "Net\t127.0.0.1:" + rows[1][2] + tail + "Net\t127.0.0.1:" + rows[4][2] + tail);

  EXPECT_EQ(run.CacheBytes(), cacheBefore);
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

TEST_F(ServerCheckRun, StopAndTheKeyboardsWaysToTheMenu) {
  Listeners listeners;
  auto rows = CheckRows(listeners);
  // Two silent rows selected (the block of rows 2 and 3) are checked alone.
  rows[3] = rows[2];
  rows[3][0] = "delta";
  ASSERT_NO_FATAL_FAILURE(StartWith(rows));
  PostMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 17 * 3 + 8));
  PostMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(20, 17 * 3 + 8));
  SetForegroundWindow(run.Window());
  WaitUntil([] { return false; }, 200);
  PressKeys({VK_SHIFT, VK_DOWN});

  // Shift+F10 and the menu key reach the grid's menu through the system's default handling.
  for (const std::vector<WORD>& keys : {std::vector<WORD>{VK_SHIFT, VK_F10}, {VK_APPS}}) {
    WaitUntil([] { return false; }, 200);
    PressKeys(keys);
    HWND menu = test::WaitForPopupMenu(run.Id());
    ASSERT_NE(menu, nullptr) << "no menu for key " << keys.back();
    EXPECT_EQ(test::PopupMenuCaptions(menu).front(), "Check servers");
    // At the focused cell (row 3), not at the screen's corner where (-1, -1) would put it.
    RECT shown{};
    RECT cells{};
    GetWindowRect(menu, &shown);
    GetWindowRect(grid, &cells);
    EXPECT_GE(shown.left, cells.left) << keys.back();
    EXPECT_GE(shown.top, cells.top + 17 * 4 - 4) << keys.back();
    EXPECT_LE(shown.top, cells.top + 17 * 4 + 4) << keys.back();
    if (keys.back() == VK_APPS)
      ASSERT_TRUE(test::ChooseMenuItem(menu, "Check servers"));
    else
      test::ClosePopupMenu(menu);
    WaitUntil([&] { return !IsWindowVisible(menu); }, 3000);
  }
  ASSERT_TRUE(WaitUntil(
      [&] { return run.StatusTexts().back().text == "Checking servers... 0 of 2, 0 answered"; },
      5000))
      << run.StatusTexts().back().text;
  ASSERT_TRUE(Choose("Stop checking"));
  EXPECT_TRUE(run.WaitForStatus("Checking stopped: 0 of 2 checked, 0 answered", 5000));
  // Both selected rows in the selection's colour again, the menu's trace gone.
  const std::vector<test::RowLook> looks = LooksOnceShown(
      [](const auto& rows) { return rows[2].selection > 2000 && rows[3].selection > 2000; });
  for (int row : {2, 3}) EXPECT_LT(looks[row].greyText, 10) << row << ": " << Describe(looks[row]);

  // Closing during a check ends the program at once.
  ASSERT_TRUE(Choose("Check servers"));
  ASSERT_TRUE(WaitUntil([&] { return CheckTexts().size() >= 3; }, 5000));
  run.Close();
  EXPECT_TRUE(run.WaitForExit(3000));
  EXPECT_EQ(run.CacheBytes(), cacheBefore);
}

// A list page of two servers, sent in four parts a quarter second apart,
// so that the refresh takes a second or so.
test::LoopbackReply SlowListPage() {
  std::string page =
      "<html><body><table><tr><th>Server</th><th>IP</th><th>Port</th>"
      "<th>Network</th><th>Users</th><th>Files</th><th>Gigabytes</th></tr>";
  for (const char* server : {"new one", "new two"}) {
    page += "<tr><td>";
    page += server;
    page += "</td><td>127.0.0.1</td><td>1</td><td>Net</td><td>1</td><td>2</td><td>3</td></tr>";
  }
  page += "</table><p>Privacy Policy</p></body></html>";
  test::LoopbackReply reply;
  reply.head = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
  const std::size_t part = page.size() / 4 + 1;
  for (std::size_t at = 0; at < page.size(); at += part)
    reply.chunks.push_back(page.substr(at, part));
  reply.delayMs = 250;
  return reply;
}

// A refresh has the status bar while it runs, and the new list it brings
// ends the check and drops the marks of the old rows.
TEST_F(ServerCheckRun, ARefreshDuringACheckReplacesTheRowsAndEndsTheCheck) {
  Listeners listeners;
  test::LoopbackServer site({SlowListPage()});
  ASSERT_NO_FATAL_FAILURE(StartWith(CheckRows(listeners), site.Url("/list.php")));
  ASSERT_TRUE(Choose("Check servers"));
  ASSERT_TRUE(WaitUntil(
      [&] { return run.StatusTexts().back().text == "Checking servers... 4 of 5, 2 answered"; },
      10000));
  const std::size_t before = run.StatusTexts().size();
  run.ClickRefresh();
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(run.Panel()); }, 5000));
  const std::vector<PopupMenuItem> during = MenuItems();
  // The refresh's own item comes first while it runs.
  ASSERT_GE(during.size(), 3u);
  EXPECT_EQ(during[0], (PopupMenuItem{"Stop refresh", true, false}));
  EXPECT_EQ(during[2], (PopupMenuItem{"Check servers", false, false}));
  ASSERT_TRUE(run.WaitForStatus("2 servers", 15000));
  // Past the silent server's five seconds: nothing of the check comes back.
  WaitUntil([] { return false; }, 5500);
  const std::vector<test::StatusText> texts = run.StatusTexts();
  EXPECT_EQ(texts.back().text, "2 servers");
  for (std::size_t i = before; i < texts.size(); ++i)
    EXPECT_EQ(texts[i].text.find("answered"), std::string::npos) << texts[i].text;
  EXPECT_EQ(MenuItems(), (std::vector<PopupMenuItem>{{"Check servers", true, false},
                                                     {"Select servers that answered", false, false},
                                                     {"", false, true},
                                                     {"Copy", true, false}}));
  const std::vector<test::RowLook> looks = test::ReadRowLooks(grid, 2);
  EXPECT_LT(looks[1].greyText, 10) << Describe(looks[1]);
  EXPECT_GT(looks[1].blackText, 10) << Describe(looks[1]);
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

// User and kernel time of a process so far, in milliseconds.
double CpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

// Forty silent servers: the first 32 run out of time together and make room
// for the last 8, which shows that no more than 32 were tried at once.
TEST_F(ServerCheckRun, ACheckOfSilentServersCostsAboutWhatAnIdleWindowCosts) {
  Listeners listeners;
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 40; ++i)
    rows.push_back({std::to_string(1000 + i), "127.0.0.1", std::to_string(listeners.silent.Port()),
                    "Net", "1", "2", "3"});
  ASSERT_NO_FATAL_FAILURE(StartWith(rows));
  const DWORD idleStart = GetTickCount();
  const double idleCpuStart = CpuMs(run.Process());
  // Watched as the check will be, so that both cost the same from outside.
  WaitUntil([&] { return run.StatusTexts().back().text == "never"; }, 5000);
  const double idleRate = (CpuMs(run.Process()) - idleCpuStart) / (GetTickCount() - idleStart);

  ASSERT_TRUE(Choose("Check servers"));
  const double checkCpuStart = CpuMs(run.Process());
  const DWORD checkStart = GetTickCount();
  ASSERT_TRUE(WaitUntil(
      [&] { return run.StatusTexts().back().text == "Checking servers... 32 of 40, 0 answered"; },
      10000))
      << run.StatusTexts().back().text;
  const std::vector<std::string> early = CheckTexts();
  EXPECT_EQ(early, (std::vector<std::string>{"Checking servers... 0 of 40, 0 answered",
                                             "Checking servers... 32 of 40, 0 answered"}));
  ASSERT_TRUE(run.WaitForStatus("0 of 40 servers answered", 15000));
  const DWORD checkMs = GetTickCount() - checkStart;
  const double checkCpu = CpuMs(run.Process()) - checkCpuStart;
  std::printf(
      "idle: %.1f ms of CPU per second; check of 40 silent servers: %.1f ms of CPU in %lu ms "
      "(%.1f ms per second)\n",
      idleRate * 1000, checkCpu, checkMs, checkCpu * 1000 / checkMs);
  // The check sleeps in the message loop like the idle window: any more than
  // a twentieth of a core would be a wait that spins.
  EXPECT_LT(checkCpu * 1000 / checkMs, idleRate * 1000 + 50);
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

}  // namespace
}  // namespace velloran
