// A shortcut menu shown by this thread and driven from another one as a
// person at the keyboard would.
#include <windows.h>
#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/PopupMenu.h"
#include "tests/support/MenuDriver.h"

namespace velloran {
namespace {

using test::PopupMenuItem;

class PopupMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_.reset(CreateWindowExA(0, "STATIC", "menu owner", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(owner_);
    menu_.Add("First", [this] { picked_.push_back("First"); });
    menu_.Add(
        "Disabled", [this] { picked_.push_back("Disabled"); }, /*enabled=*/false);
    menu_.AddSeparator();
    menu_.Add("Last", [this] { picked_.push_back("Last"); });
  }

  // Shows the menu; Drive runs on another thread with the menu's window and
  // says what it saw. Returns once the menu has closed.
  template <typename Drive>
  void ShowAndDrive(Drive drive) {
    auto driver = std::async(std::launch::async, [drive] {
      HWND window = test::WaitForPopupMenu(GetCurrentProcessId());
      if (!window) return false;
      return drive(window);
    });
    menu_.Popup(owner_.get(), 20, 20);
    EXPECT_TRUE(driver.get());
  }

  UniqueWindow owner_;
  TPopupMenu menu_;
  std::vector<std::string> picked_;
};

TEST_F(PopupMenuTest, ShowsItsItemsAndRunsThePickedOneAfterClosing) {
  std::vector<PopupMenuItem> seen;
  ShowAndDrive([&seen](HWND window) {
    seen = test::PopupMenuItems(window);
    return test::ChooseMenuItem(window, "Last");
  });
  EXPECT_EQ(seen, (std::vector<PopupMenuItem>{{"First", true, false},
                                              {"Disabled", false, false},
                                              {"", false, true},
                                              {"Last", true, false}}));
  EXPECT_EQ(picked_, std::vector<std::string>{"Last"});
  EXPECT_FALSE(test::WaitForPopupMenu(GetCurrentProcessId(), 0));
}

TEST_F(PopupMenuTest, DismissedOrDisabledRunsNothing) {
  ShowAndDrive([](HWND window) {
    bool refused =
        !test::ChooseMenuItem(window, "Disabled") && !test::ChooseMenuItem(window, "None");
    test::ClosePopupMenu(window);
    return refused;
  });
  EXPECT_TRUE(picked_.empty());
}

TEST_F(PopupMenuTest, AnItemsErrorReachesTheCaller) {
  TPopupMenu failing;
  failing.Add("Fail", [] { throw std::runtime_error("item failed"); });
  auto driver = std::async(std::launch::async, [] {
    HWND window = test::WaitForPopupMenu(GetCurrentProcessId());
    return window && test::ChooseMenuItem(window, "Fail");
  });
  EXPECT_THROW(failing.Popup(owner_.get(), 20, 20), std::runtime_error);
  EXPECT_TRUE(driver.get());
}

}  // namespace
}  // namespace velloran
