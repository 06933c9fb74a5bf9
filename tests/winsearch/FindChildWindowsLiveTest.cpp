#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/WinTestSupport.h"
#include "winsearch/RWSWin32.h"

namespace velloran {
namespace {

using test::ChildProcess;
using test::WindowClass;
using test::WindowText;

// The fixture's windows, found by another process's search of the live desktop.
class LiveWindowSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    tag = "VelloranTree" + std::to_string(GetCurrentProcessId());
    std::string eventName = tag + "Ready";
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(ready, nullptr);
    fixture = std::make_unique<ChildProcess>(test::QuotedProgramPath("window_tree_fixture.exe") +
                                             " " + tag + " " + eventName);
    DWORD waited = WaitForSingleObject(ready, 20000);
    CloseHandle(ready);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "fixture did not start";
    hWndList tops;
    ASSERT_EQ(FindChildWindows(GetDesktopWindow(), "", tag + " top", tops), 1);
    top = reinterpret_cast<HWND>(tops[0]);
  }

  std::vector<std::string> Texts(const hWndList& list) {
    std::vector<std::string> texts;
    for (WindowHandle window : list) texts.push_back(WindowText(ToHwnd(window)).substr(0, 10));
    return texts;
  }

  std::string tag;
  std::unique_ptr<ChildProcess> fixture;
  HWND top = nullptr;
  hWndList list;
};

TEST_F(LiveWindowSearch, FindsAnotherProcessesWindowsInPreOrder) {
  EXPECT_EQ(WindowClass(top), "VelloranFixtureTop");
  EXPECT_EQ(FindChildWindows(top, "edit", "", list), 1);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"first"}));

  // Every window below the top one: a parent before its children, children before the next sibling.
  EXPECT_EQ(FindChildWindows(top, "", "", list), 0);
  EXPECT_EQ(FindChildWindows(top, "", "N", list), 3);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"OpenNap Pr", "Panel", "inner"}));
  // "Add" and "Book" come one level deeper and later; the caption search finds substrings.
  EXPECT_EQ(FindChildWindows(top, "BUTTON", "", list), 2);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"Add", "Book"}));
  EXPECT_EQ(FindChildWindows(top, "button", "OK", list), 1);
}

TEST_F(LiveWindowSearch, DesktopSearchSeesTheOtherProcessAndTheTextLimit) {
  EXPECT_EQ(FindChildWindows(GetDesktopWindow(), "", "OPENNAP PROTOCOL NETWORKS", list), 1);
  EXPECT_EQ(GetParent(ToHwnd(list[0])), top);
  EXPECT_EQ(FindChildWindows(top, "static", std::string(254, 'q'), list), 1);
  EXPECT_EQ(FindChildWindows(top, "static", "qT", list), 0);
}

TEST_F(LiveWindowSearch, ClosedWindowsAreNotFound) {
  PostMessageA(top, WM_CLOSE, 0, 0);
  ASSERT_TRUE(fixture->WaitForExit(10000));
  EXPECT_EQ(FindChildWindows(GetDesktopWindow(), "", tag, list), 0);
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace velloran
