// The server grid in a real window under Wine, driven by window messages.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/ServerGrid.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/GridControl.h"
#include "framework/Exception.h"
#include "framework/Registry.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

using test::GdiObjectCount;

class LiveGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpServerGrid(grid);
    FormArgs args;
    args.caption = "Grid test";
    args.clientWidth = 741;
    args.clientHeight = 468;
    form = &application.Create<TForm>(args);
    ControlArgs place;
    place.left = 9;
    place.top = 88;
    place.width = 720;
    place.height = 257;
    control = &form->Create<TGridControl>(grid, place);
    form->Show();
    application.ProcessMessages();
  }
  void TearDown() override { application.FreeComponent(*form); }

  void Fill(int rows) {
    grid.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
      grid.SetCells(0, r, "server" + std::to_string((r * 7919) % rows));
      grid.SetCells(4, r, std::to_string((r * 1047) % 5000));
    }
  }

  // A left click at a client point of the grid window, as the mouse sends it.
  void Click(int x, int y) { Drag(x, y, x, y); }
  void Drag(int x, int y, int releaseX, int releaseY) {
    HWND window = control->Handle();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    if (releaseX != x || releaseY != y)
      SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(releaseX, releaseY));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(releaseX, releaseY));
  }

  TApplication application{GetModuleHandleA(nullptr)};
  TKStringGrid grid;
  TForm* form = nullptr;
  TGridControl* control = nullptr;
};

TEST_F(LiveGrid, HeaderClicksSortThroughRealMessages) {
  grid.SetRowCount(3);
  const char* names[] = {"beta", "Alpha", "gamma"};
  for (int r = 0; r < 3; ++r) grid.SetCells(0, r, names[r]);
  Click(100, 8);
  EXPECT_EQ(grid.Columns()[0]->SortOrder(), TColumnSorting::csAsc);
  EXPECT_EQ(grid.Cells(0, 0), "Alpha");
  Click(100, 8);
  EXPECT_EQ(grid.Cells(0, 0), "gamma");
  Click(250, 8);  // IP: the Server arrow goes
  EXPECT_EQ(grid.Columns()[0]->SortOrder(), TColumnSorting::csNone);
  EXPECT_EQ(grid.Columns()[1]->SortOrder(), TColumnSorting::csAsc);
  grid.Columns()[1]->SetSortOrder(TColumnSorting::csNone);
  Drag(100, 8, 100, 120);  // dragged off the header: no sort
  EXPECT_EQ(grid.Columns()[0]->SortOrder(), TColumnSorting::csNone);
}

TEST_F(LiveGrid, SelectionAndScrollBarFollowTheRows) {
  Fill(100);
  grid.SetSelection({0, 0, 6, 5});
  EXPECT_EQ(grid.Selection(), (TGridRect{0, 0, 6, 5}));
  EXPECT_EQ(grid.CurrentRow(), 5);
  application.ProcessMessages();
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(control->Handle(), SB_VERT, &info));
  EXPECT_EQ(info.nMax, 99);
  EXPECT_EQ(static_cast<int>(info.nPage), grid.VisibleRowCount());
  SendMessageA(control->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(grid.TopRow(), 1 + grid.VisibleRowCount());
  // Keys come through the window too.
  SetFocus(control->Handle());
  SendMessageA(control->Handle(), WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(grid.CurrentRow(), 99);
  // The dialog manager leaves arrows, characters and Return to the grid.
  MSG enter{control->Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  LRESULT code =
      SendMessageA(control->Handle(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter));
  EXPECT_EQ(code & (DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTMESSAGE),
            DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTMESSAGE);
  // A line feed (the character of Ctrl+Return) marks the focused cell multi-line.
  PostMessageA(control->Handle(), WM_CHAR, '\n', 0);
  application.ProcessMessages();
  EXPECT_EQ(grid.CellFlags(grid.CurrentCol(), 99), MultiLineFlag);
}

TEST_F(LiveGrid, AClickOnAHeaderSorts100000RowsQuickly) {
  Fill(100000);
  application.ProcessMessages();
  // A click and the repaint it asked for.
  auto timedClick = [&](int x) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    Click(x, 8);
    application.ProcessMessages();
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  };
  double byNumber = timedClick(530);  // Users
  EXPECT_EQ(grid.Columns()[4]->SortOrder(), TColumnSorting::csAsc);
  EXPECT_EQ(grid.Cells(4, 0), "4999");
  double byText = timedClick(100);  // Server
  EXPECT_EQ(grid.Cells(0, 0), "server0");
  RecordProperty("header_click_seconds", std::to_string(byNumber));
  std::printf("header click on 100000 rows: %.3f s by number, %.3f s by text\n", byNumber, byText);
  // The goal is 0.2 s; the bound leaves room for a loaded machine.
  EXPECT_LT(byNumber, 2.0);
  EXPECT_LT(byText, 2.0);
}

TEST_F(LiveGrid, SmallWheelDeltasScrollByTheSystemsLinesPerNotch) {
  Fill(200);
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  ASSERT_GT(lines, 0u);
  ASSERT_LT(lines, 40u);  // a setting this test can count with
  auto wheel = [&](int delta, int times) {
    for (int i = 0; i < times; ++i)
      SendMessageA(control->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                   MAKELPARAM(100, 100));
  };
  // Deltas of 10, as precision touchpads send them: a row once they add up to one.
  int perRow = 120 / static_cast<int>(lines);
  wheel(-10, perRow / 10 - (perRow % 10 == 0 ? 1 : 0));
  EXPECT_EQ(grid.TopRow(), 1);
  wheel(-10, 12 - (perRow / 10 - (perRow % 10 == 0 ? 1 : 0)));
  EXPECT_EQ(grid.TopRow(), 1 + static_cast<int>(lines));
  wheel(-120, 1);
  EXPECT_EQ(grid.TopRow(), 1 + 2 * static_cast<int>(lines));
  wheel(120, 2);
  EXPECT_EQ(grid.TopRow(), 1);
}

TEST_F(LiveGrid, LosingTheCaptureMidDragEndsTheDrag) {
  Fill(100);
  HWND window = control->Handle();
  const int step = grid.DefaultRowHeight() + 1;
  auto rowY = [&](int dataRow) { return (dataRow + 1) * step + step / 2; };
  int clicks = 0;
  grid.OnHeaderClick = [&](TKStringGrid&, int) { ++clicks; };

  // Another window takes the capture (as a pop-up or Alt+Tab does).
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, rowY(2)));
  EXPECT_EQ(GetCapture(), window);
  SetCapture(form->Handle());
  SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, rowY(8)));
  EXPECT_EQ(grid.Selection(), (TGridRect{0, 2, 6, 2}));
  ReleaseCapture();

  // The system cancels the mode (a message box opens).
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, rowY(4)));
  SendMessageA(window, WM_CANCELMODE, 0, 0);
  EXPECT_NE(GetCapture(), window);
  SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, rowY(9)));
  EXPECT_EQ(grid.Selection(), (TGridRect{0, 4, 6, 4}));

  // A header press whose capture went: its release is no click.
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 8));
  SetCapture(form->Handle());
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(100, 8));
  ReleaseCapture();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(grid.Columns()[0]->SortOrder(), TColumnSorting::csNone);
  // A whole click still counts, although letting the capture go tells the grid too.
  Click(100, 8);
  EXPECT_EQ(clicks, 1);
}

TEST_F(LiveGrid, RepaintsThatFailInACellHookLeakNoGdiObjects) {
  Fill(50);
  // The count sees one object more or less (else this test could prove nothing).
  int empty = GdiObjectCount();
  HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(GdiObjectCount(), empty + 1);
  DeleteObject(probe);
  ASSERT_EQ(GdiObjectCount(), empty);

  bool fail = false;
  int failures = 0;
  grid.OnDrawCell = [&](TKStringGrid&, int col, int row, const TRect&, unsigned) {
    if (fail && col == 3 && row == 2) throw Exception("cell hook failed");
  };
  auto repaint = [&] {
    InvalidateRect(control->Handle(), nullptr, FALSE);
    UpdateWindow(control->Handle());
  };
  auto failingRepaint = [&] {
    // The error reaches the error box; the watcher closes it.
    fail = true;
    test::MessageBoxWatcher watcher;
    repaint();
    ASSERT_TRUE(watcher.Wait());
    EXPECT_EQ(watcher.Seen().text, "cell hook failed.");
    ++failures;
    fail = false;
  };
  // The first paint and the first error box make what the process keeps for
  // good (fonts, the box's icon).
  repaint();
  failingRepaint();
  application.ProcessMessages();
  failures = 0;
  int before = GdiObjectCount();
  for (int i = 0; i < 1000; ++i) {
    if (i % 100 == 50)
      failingRepaint();
    else
      repaint();
  }
  application.ProcessMessages();
  EXPECT_EQ(failures, 10);
  EXPECT_EQ(GdiObjectCount(), before);
}

TEST(LiveGridLayout, SevenUnnamedColumnsWriteToOneKeyOfTheRealRegistry) {
  const std::string key = "\\Software\\VelloranTest\\ServerList";
  TKStringGrid grid;
  SetUpServerGrid(grid);
  grid.SetRegistry([] { return std::unique_ptr<RegistryAccess>(std::make_unique<TRegistry>()); });
  grid.Columns()[2]->SetWidth(70);
  grid.Columns().SaveToRegistry(key);

  HKEY opened = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VelloranTest\\ServerList", 0, KEY_READ, &opened),
      ERROR_SUCCESS);
  DWORD subKeys = 99;
  RegQueryInfoKeyA(opened, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr);
  EXPECT_EQ(subKeys, 0u);
  auto number = [&](const char* name) {
    DWORD value = 0, size = sizeof value, type = 0;
    EXPECT_EQ(
        RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
    return value;
  };
  EXPECT_EQ(number("Index"), 6u);
  EXPECT_EQ(number("Color"), 536870911u);
  EXPECT_EQ(number("SortOrder"), 0u);
  EXPECT_EQ(number("Visible"), 1u);
  EXPECT_EQ(number("Width"), 64u);  // the last column wrote last
  char caption[64] = {};
  DWORD size = sizeof caption, type = 0;
  EXPECT_EQ(
      RegQueryValueExA(opened, "Caption", nullptr, &type, reinterpret_cast<BYTE*>(caption), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(caption, "Gigabytes");
  RegCloseKey(opened);

  // Loading finds no sub-keys: nothing changes.
  grid.Columns().LoadFromRegistry(key, 1);
  EXPECT_EQ(grid.Columns().Count(), 7);
  EXPECT_EQ(grid.Columns()[2]->Width(), 70);

  auto registry = grid.OpenRegistry();
  DeleteRegKey(*registry, "\\Software\\VelloranTest");
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VelloranTest", 0, KEY_READ, &opened),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace velloran
