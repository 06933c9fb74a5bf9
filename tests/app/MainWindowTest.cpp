// velloran.exe started as a person would start it, its window read back from outside.
#include <gtest/gtest.h>

#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

constexpr const char* Caption = "Velloran 1.1 [for WinMX 3] ";

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    program = std::make_unique<test::ChildProcess>(test::QuotedProgramPath("velloran.exe"));
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (window = test::FindTopLevelWindow(program->Id(), Caption)); }, 20000))
        << "no main window";
  }

  std::unique_ptr<test::ChildProcess> program;
  HWND window = nullptr;
};

TEST_F(MainWindow, HasItsFixedLookAndPlace) {
  EXPECT_EQ(test::WindowText(window), Caption);

  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right - client.left, 741);
  EXPECT_EQ(client.bottom - client.top, 468);

  LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_VISIBLE);

  RECT frame{};
  GetWindowRect(window, &frame);
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN) +
             (GetSystemMetrics(SM_CXVIRTUALSCREEN) - (frame.right - frame.left)) / 2;
  int top = GetSystemMetrics(SM_YVIRTUALSCREEN) +
            (GetSystemMetrics(SM_CYVIRTUALSCREEN) - (frame.bottom - frame.top)) / 2;
  EXPECT_EQ(frame.left, left);
  EXPECT_EQ(frame.top, top);

  // The program carries its own icon (Wine does not answer WM_GETICON across processes).
  HMODULE image = LoadLibraryExA((test::ExeDirectory() + "velloran.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  for (int size : {16, 32, 48}) {
    HICON icon =
        static_cast<HICON>(LoadImageA(image, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
    EXPECT_NE(icon, nullptr) << size;
    ICONINFO info{};
    if (icon && GetIconInfo(icon, &info)) {
      BITMAP bitmap{};
      GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
      EXPECT_EQ(bitmap.bmWidth, size);
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
    }
    if (icon) DestroyIcon(icon);
  }
  FreeLibrary(image);

  // The face colour of buttons behind the controls, read off the screen at a
  // point that no control covers.
  POINT free{290, 80};
  ClientToScreen(window, &free);
  HDC screen = GetDC(nullptr);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_TRUE(test::WaitUntil([&] { return GetPixel(screen, free.x, free.y) == face; }, 5000))
      << std::hex << GetPixel(screen, free.x, free.y) << " vs " << face;
  ReleaseDC(nullptr, screen);
}

TEST_F(MainWindow, ClosingItEndsTheProgram) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(program->WaitForExit(10000, &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace velloran
