#include "framework/HiddenWindow.h"

#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

constexpr UINT Notice = WM_USER + 7;

TEST(HiddenWindow, DeliversMessagesToItsOwnHandlerAndIsNotOnTheDesktop) {
  TApplication application(GetModuleHandleA(nullptr));
  std::vector<WPARAM> seen;
  THiddenWindow window(&application,
                       [&](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
                         if (message != Notice) return std::nullopt;
                         seen.push_back(wParam);
                         return 42;
                       });
  ASSERT_NE(window.Handle(), nullptr);
  EXPECT_EQ(SendMessageA(window.Handle(), Notice, 1, 0), 42);
  PostMessageA(window.Handle(), Notice, 2, 0);
  application.ProcessMessages();
  EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2}));
  EXPECT_EQ(GetParent(window.Handle()), nullptr);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

TEST(HiddenWindow, ErrorInItsHandlerGoesToTheErrorBox) {
  TApplication application(GetModuleHandleA(nullptr));
  application.SetTitle("Velloran");
  THiddenWindow window(&application, [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == Notice) throw Exception("Socket error");
    return std::nullopt;
  });
  test::MessageBoxWatcher watcher;
  SendMessageA(window.Handle(), Notice, 0, 0);
  ASSERT_TRUE(watcher.Wait());
  EXPECT_EQ(watcher.Seen().text, "Socket error.");
}

TEST(HiddenWindow, GoesWithItsObject) {
  HWND handle;
  {
    TApplication application(GetModuleHandleA(nullptr));
    THiddenWindow window(
        &application, [](UINT, WPARAM, LPARAM) -> std::optional<LRESULT> { return std::nullopt; });
    handle = window.Handle();
    EXPECT_TRUE(IsWindow(handle));
  }
  EXPECT_FALSE(IsWindow(handle));
}

}  // namespace
}  // namespace velloran
