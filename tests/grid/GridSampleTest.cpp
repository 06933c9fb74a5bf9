// The in-place editor of grid-sample.exe, operated from outside with real
// keys and clicks as a person would; and velloran.exe's grid, which must not
// edit at all.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

// The sample's layout: column widths, default row height 18, one-pixel lines.
constexpr int Widths[] = {120, 100, 160, 60};
constexpr int RowStep = 19;

RECT CellRect(int col, int dataRow) {
  int left = 0;
  for (int c = 0; c < col; ++c) left += Widths[c] + 1;
  int top = (dataRow + 1) * RowStep;
  return {left, top, left + Widths[col], top + 18};
}

HWND ChildOfClass(HWND parent, const char* className, bool visibleOnly) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (test::WindowClass(child) == className && (!visibleOnly || IsWindowVisible(child)))
      return child;
  return nullptr;
}

void SendKey(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Keys and clicks through the system's input, to whichever window has the focus.
class RealInput {
 public:
  RealInput(HWND top, HANDLE process) : top_(top), process_(process) {}
  void Press(WORD vk, bool ctrl = false) {
    Foreground();
    if (ctrl) SendKey(VK_CONTROL, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (ctrl) SendKey(VK_CONTROL, true);
    Settle();
  }
  void Type(const std::string& text) {
    for (char c : text) {
      SHORT scan = VkKeyScanA(c);
      bool shift = (scan >> 8) & 1;
      Foreground();
      if (shift) SendKey(VK_SHIFT, false);
      SendKey(LOBYTE(scan), false);
      SendKey(LOBYTE(scan), true);
      if (shift) SendKey(VK_SHIFT, true);
    }
    Settle();
  }
  void Click(HWND window, int x, int y) {
    Foreground();
    POINT point{x, y};
    ClientToScreen(window, &point);
    // The place goes with the events: a cursor moved by itself may not have
    // arrived yet when the press does.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3]{};
    for (INPUT& event : input) {
      event.type = INPUT_MOUSE;
      event.mi.dx = MulDiv(point.x, 65535, width - 1);
      event.mi.dy = MulDiv(point.y, 65535, height - 1);
      event.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof input[0]);
    Settle();
  }

 private:
  void Foreground() {
    if (GetForegroundWindow() == top_) return;
    SetForegroundWindow(top_);
    test::WaitUntil([&] { return GetForegroundWindow() == top_; }, 5000);
  }
  // Until the other program has handled what was sent and waits for more.
  void Settle() {
    Sleep(20);
    WaitForInputIdle(process_, 5000);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(top_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
  }
  HWND top_;
  HANDLE process_;
};

class GridSample : public ::testing::Test {
 protected:
  void SetUp() override {
    program = std::make_unique<test::ChildProcess>(test::QuotedProgramPath("grid-sample.exe"));
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (form = test::FindTopLevelWindow(program->Id(), "Grid sample")); }, 20000));
    grid = ChildOfClass(form, "VelloranGrid", false);
    status = ChildOfClass(form, "msctls_statusbar32", false);
    ASSERT_TRUE(grid && status);
    input = std::make_unique<RealInput>(form, program->Handle());
  }
  void TearDown() override {
    // Closed, not killed: a window left behind would take the next test's clicks.
    if (form) PostMessageA(form, WM_CLOSE, 0, 0);
    if (program) {
      EXPECT_TRUE(program->WaitForExit(10000));
    }
  }

  void ClickCell(int col, int dataRow) {
    RECT cell = CellRect(col, dataRow);
    input->Click(grid, cell.left + 5, cell.top + 5);
  }
  // The open editor, or none.
  HWND Editor() {
    HWND editor = nullptr;
    test::WaitUntil([&] { return (editor = ChildOfClass(grid, "Edit", true)) != nullptr; }, 2000);
    return editor;
  }
  bool EditorClosed() {
    return test::WaitUntil([&] { return ChildOfClass(grid, "Edit", true) == nullptr; }, 2000);
  }
  // The editor's place in the grid's client area.
  RECT Place(HWND editor) {
    RECT rect{};
    GetWindowRect(editor, &rect);
    MapWindowPoints(HWND_DESKTOP, grid, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  std::string Status() { return test::WindowText(status); }
  // The cell's text, read back by opening the editor again.
  std::string ReadBack() {
    input->Press(VK_F2);
    HWND editor = Editor();
    std::string text = editor ? test::WindowText(editor) : "(no editor)";
    input->Press(VK_ESCAPE);
    return text;
  }

  std::unique_ptr<test::ChildProcess> program;
  HWND form = nullptr;
  HWND grid = nullptr;
  HWND status = nullptr;
  std::unique_ptr<RealInput> input;
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

TEST_F(GridSample, F2AndTypingOpenTheEditorOverTheCellAndReturnStores) {
  ClickCell(1, 2);
  input->Press(VK_F2);
  HWND editor = Editor();
  ASSERT_TRUE(editor);
  EXPECT_TRUE(SameRect(Place(editor), CellRect(1, 2))) << Show(Place(editor));
  LONG style = GetWindowLongA(editor, GWL_STYLE);
  EXPECT_TRUE(style & ES_NOHIDESEL);
  EXPECT_FALSE(style & (WS_VSCROLL | WS_BORDER | ES_WANTRETURN));
  EXPECT_EQ(test::WindowText(editor), "30");
  EXPECT_EQ(GetFocus(), nullptr);  // another thread's focus: not ours to see
  input->Type("abc");              // replaces the text, which the editor selected
  input->Press(VK_RETURN);
  EXPECT_TRUE(EditorClosed());
  EXPECT_EQ(Status(), "OnSetEditText 1,2: abc");
  EXPECT_EQ(ReadBack(), "abc");

  // Typing opens it too, with what was typed.
  ClickCell(0, 3);
  input->Type("Q");
  editor = Editor();
  ASSERT_TRUE(editor);
  EXPECT_TRUE(SameRect(Place(editor), CellRect(0, 3))) << Show(Place(editor));
  EXPECT_EQ(test::WindowText(editor), "Q");
  // Leaving the cell stores it as well.
  input->Press(VK_DOWN);
  EXPECT_TRUE(EditorClosed());
  EXPECT_EQ(Status(), "OnSetEditText 0,3: Q");
}

TEST_F(GridSample, EscapeRestoresTheCellAndFiresOnlyOnCancelEdit) {
  ClickCell(1, 4);
  input->Press(VK_F2);
  ASSERT_TRUE(Editor());
  input->Type("999");
  input->Press(VK_ESCAPE);
  EXPECT_TRUE(EditorClosed());
  EXPECT_EQ(Status(), "OnCancelEdit 1,4: 50");
  EXPECT_EQ(ReadBack(), "50");
  EXPECT_EQ(Status().rfind("OnCancelEdit", 0), 0u);  // no OnSetEditText on the way
}

TEST_F(GridSample, MultiLineCellsOpenTallWithAScrollBarAndReturnBreaksTheLine) {
  ClickCell(2, 1);
  input->Press(VK_F2);
  HWND editor = Editor();
  ASSERT_TRUE(editor);
  RECT cell = CellRect(2, 1);
  EXPECT_TRUE(SameRect(Place(editor), RECT{cell.left, cell.top, cell.right, cell.top + 100}))
      << Show(Place(editor));
  LONG style = GetWindowLongA(editor, GWL_STYLE);
  EXPECT_EQ(style & (WS_VSCROLL | WS_BORDER | ES_WANTRETURN),
            static_cast<LONG>(WS_VSCROLL | WS_BORDER | ES_WANTRETURN));
  EXPECT_EQ(test::WindowText(editor), "first line\r\nsecond line");
  input->Press(VK_END);
  input->Type("!");
  input->Press(VK_RETURN);  // a line break, the editor stays
  input->Type("third");
  EXPECT_TRUE(IsWindowVisible(editor));
  test::WaitUntil([&] { return test::WindowText(editor).size() >= 32; }, 2000);
  EXPECT_EQ(test::WindowText(editor), "first line\r\nsecond line!\r\nthird");
  input->Press(VK_RETURN, true);  // Ctrl+Return stores
  EXPECT_TRUE(EditorClosed());
  EXPECT_EQ(Status(), "OnSetEditText 2,1: first line\\r\\nsecond line!\\r\\nthird");
  EXPECT_EQ(ReadBack(), "first line\r\nsecond line!\r\nthird");

  // At the grid's bottom it grows upward: its bottom edge stays the cell's.
  ClickCell(2, 8);
  input->Press(VK_F2);
  editor = Editor();
  ASSERT_TRUE(editor);
  cell = CellRect(2, 8);
  EXPECT_TRUE(SameRect(Place(editor), RECT{cell.left, cell.bottom - 100, cell.right, cell.bottom}))
      << Show(Place(editor));
  input->Press(VK_ESCAPE);
  EXPECT_TRUE(EditorClosed());

  // A single-line cell afterwards gets the plain editor back.
  ClickCell(0, 0);
  input->Press(VK_F2);
  editor = Editor();
  ASSERT_TRUE(editor);
  EXPECT_FALSE(GetWindowLongA(editor, GWL_STYLE) & (WS_VSCROLL | WS_BORDER | ES_WANTRETURN));
  EXPECT_TRUE(SameRect(Place(editor), CellRect(0, 0))) << Show(Place(editor));
}

TEST_F(GridSample, TabPutsNoTabCharacterIntoTheText) {
  ClickCell(1, 5);
  input->Press(VK_F2);
  HWND editor = Editor();
  ASSERT_TRUE(editor);
  input->Type("ab");
  input->Press(VK_TAB);  // without goTabs it is no key of the grid's: nothing happens
  EXPECT_TRUE(IsWindowVisible(editor));
  EXPECT_EQ(test::WindowText(editor), "ab");
  input->Press(VK_RETURN);
  EXPECT_TRUE(EditorClosed());
  EXPECT_EQ(Status(), "OnSetEditText 1,5: ab");
  EXPECT_EQ(ReadBack(), "ab");
}

TEST_F(GridSample, AReadOnlyColumnOpensNothing) {
  ClickCell(3, 2);
  std::string before = Status();
  input->Press(VK_F2);
  input->Press(VK_RETURN);
  input->Type("7");
  Sleep(200);
  EXPECT_EQ(ChildOfClass(grid, "Edit", true), nullptr);
  EXPECT_EQ(Status(), before);
}

// velloran.exe in a folder of its own, with a cache file of two rows.
TEST(MainWindowGrid, ReturnF2AndTypingOpenNoEditor) {
  const std::string folder =
      test::ExeDirectory() + "no-edit-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((test::ExeDirectory() + "velloran.exe").c_str(),
                        (folder + "velloran.exe").c_str(), FALSE));
  {
    std::ofstream cache(folder + "servers.grd", std::ios::binary);
    cache << "7\r\n2\r\n";
    for (int cell = 0; cell < 14; ++cell) cache << "cell" << cell << "\r\n";
  }
  {
    test::ChildProcess program("\"" + folder + "velloran.exe\"");
    HWND window = nullptr;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
          return (window = test::FindTopLevelWindow(program.Id(), "Velloran 1.1 [for WinMX 3] "));
        },
        20000));
    HWND grid = ChildOfClass(window, "VelloranGrid", false);
    ASSERT_TRUE(grid);
    HWND status = ChildOfClass(window, "msctls_statusbar32", false);
    EXPECT_TRUE(test::WaitUntil([&] { return test::WindowText(status) == "2 servers"; }, 5000));
    RealInput input(window, program.Handle());
    input.Click(grid, 100, 19 + 5);  // data row 0
    input.Press(VK_RETURN);
    input.Press(VK_F2);
    input.Type("x");
    Sleep(200);
    EXPECT_EQ(ChildOfClass(grid, "Edit", false), nullptr);  // none was ever made
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(10000));
  }
  DeleteFileA((folder + "velloran.exe").c_str());
  DeleteFileA((folder + "servers.grd").c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace velloran
