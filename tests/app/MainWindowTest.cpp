// velloran.exe started as a person would start it, its window read back from outside.
#include <gtest/gtest.h>
#include <windows.h>
// The module calls of kernel32 (Windows 7 and later), not psapi.dll's.
#define PSAPI_VERSION 2
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "app/FileDate.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

constexpr const char* Caption = "Velloran 1.1 [for WinMX 3] ";

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureCacheBesideProgram();
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

struct Placed {
  std::string className, text;
  RECT rect;  // in the parent's client area
};

std::vector<Placed> Children(HWND parent) {
  std::vector<Placed> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    children.push_back({test::WindowClass(child), test::WindowText(child), rect});
  }
  return children;
}

HWND ChildAt(HWND parent, const char* className, int left, int top) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    if (test::WindowClass(child) == className && rect.left == left && rect.top == top) return child;
  }
  return nullptr;
}

void ExpectControls(HWND parent, const std::vector<Placed>& expected) {
  std::vector<Placed> actual = Children(parent);
  for (const Placed& want : expected) {
    bool found = false;
    for (const Placed& have : actual) {
      if (have.className == want.className && have.text == want.text &&
          EqualRect(&have.rect, &want.rect)) {
        found = true;
        break;
      }
    }
    EXPECT_TRUE(found) << want.className << " \"" << want.text << "\" at " << want.rect.left << ","
                       << want.rect.top << " size " << want.rect.right - want.rect.left << "x"
                       << want.rect.bottom - want.rect.top;
  }
}

Placed At(const char* className, const char* text, int left, int top, int width, int height) {
  return {className, text, {left, top, left + width, top + height}};
}

TEST_F(MainWindow, EveryControlSitsWhereTheLayoutPutsIt) {
  // "Last refreshed" shows the date of the cache the program started from.
  const std::string date = FileDateText(test::ExeDirectory() + "servers.grd");
  ExpectControls(window, {
                             At("Static", "Velloran 1.1", 8, 8, 267, 63),
                             At("Static", "", 304, 8, 9, 65),    // Bevel1
                             At("Static", "", 328, 26, 89, 31),  // Image3
                             At("Static", "OpenNap", 327, 55, 39, 11),
                             At("Static", "", 431, 21, 226, 36),  // Image1
                             At("Static", "", 667, 15, 62, 58),   // Image2
                             At("VelloranGrid", "", 9, 88, 720, 257),
                             At("Static", "", 8, 352, 721, 89),  // Panel1
                             At("msctls_statusbar32", "0 servers", 0, 445, 741, 23),
                         });
  HWND panel = ChildAt(window, "Static", 8, 352);
  ASSERT_NE(panel, nullptr);
  ExpectControls(panel, {
                            At("Button", "Add servers", 0, 0, 721, 25),
                            At("Button", "Add selected servers only", 320, 40, 153, 17),
                            At("Button", "Select all above cursor", 320, 57, 145, 14),
                            At("Button", "by IP address", 7, 44, 72, 14),
                            At("Button", "by host", 7, 57, 58, 14),
                            At("Button", "Register on first connect", 8, 70, 121, 14),
                            At("Static", "Login", 152, 44, 23, 11),
                            At("Edit", "YourName", 186, 44, 98, 10),
                            At("Static", "Password", 133, 57, 42, 11),
                            At("Edit", "", 186, 57, 98, 10),
                            At("Static", "Email", 152, 70, 23, 11),
                            At("Edit", "yourname@example.com", 186, 71, 98, 10),
                            At("Static", ">", 528, 26, 27, 55),
                            At("Static", "Last refreshed", 560, 40, 59, 11),
                            At("Edit", date.c_str(), 560, 52, 100, 10),
                            At("Button", "Refresh", 560, 64, 100, 14),
                            At("Static", "?", 704, 72, 25, 22),
                        });

  // Tab order: the tab stops of the panel in their z-order.
  std::vector<std::string> tabStops;
  for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!(GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP)) continue;
    std::string text = test::WindowText(child);
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&rect), 2);
    tabStops.push_back(text.empty() ? test::WindowClass(child) + "@" + std::to_string(rect.top)
                                    : text);
  }
  EXPECT_EQ(tabStops,
            (std::vector<std::string>{"YourName", "Add servers", "Refresh", "Edit@57", "by host",
                                      "by IP address", date, "Select all above cursor",
                                      "Add selected servers only", "yourname@example.com",
                                      "Register on first connect"}));

  // The edit boxes: no border, Edit3 read-only; the radio buttons and check boxes' states.
  HWND edit3 = ChildAt(panel, "Edit", 560, 52);
  ASSERT_NE(edit3, nullptr);
  EXPECT_TRUE(GetWindowLongA(edit3, GWL_STYLE) & ES_READONLY);
  EXPECT_FALSE(GetWindowLongA(edit3, GWL_STYLE) & WS_BORDER);
  EXPECT_FALSE(GetWindowLongA(edit3, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(SendMessageA(ChildAt(panel, "Button", 7, 44), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(ChildAt(panel, "Button", 7, 57), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(ChildAt(panel, "Button", 8, 70), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(ChildAt(panel, "Button", 320, 40), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // A picture of it in the build tree, for a person to look at.
  test::SaveWindowPicture(window, test::ExeDirectory() + "MainWindow.bmp");
}

// The bytes of resource Id of type Type in the program file Path.
std::string ResourceBytes(const std::string& path, int type, int id) {
  HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!image) return "<no file>";
  std::string bytes = "<none>";
  if (HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type))) {
    const char* data = static_cast<const char*>(LockResource(LoadResource(image, found)));
    if (data) bytes.assign(data, SizeofResource(image, found));
  }
  FreeLibrary(image);
  return bytes;
}

// The file of the common controls that Process has loaded, in lower case;
// empty when it has none.
std::string CommonControlsFile(HANDLE process) {
  HMODULE modules[1024];
  DWORD size = 0;
  if (!EnumProcessModules(process, modules, sizeof modules, &size)) return "";
  for (DWORD i = 0; i < std::min<DWORD>(size / sizeof(HMODULE), std::size(modules)); ++i) {
    char path[MAX_PATH] = {};
    if (!GetModuleFileNameExA(process, modules[i], path, sizeof path)) continue;
    std::string file = path;
    std::transform(file.begin(), file.end(), file.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (file.size() >= 13 && file.compare(file.size() - 13, 13, "\\comctl32.dll") == 0) return file;
  }
  return "";
}

TEST_F(MainWindow, RunsWithItsManifest) {
  const std::string manifest = ResourceBytes(test::ExeDirectory() + "velloran.exe", 24, 1);
  for (const char* part : {
           "level=\"asInvoker\"", "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
       })
    EXPECT_NE(manifest.find(part), std::string::npos) << part << " in\n" << manifest;
  // The system took it: the running program has the themed controls' version,
  // which lives in an assembly folder of its own (the older one in system32).
  const std::string controls = CommonControlsFile(program->Handle());
  EXPECT_NE(controls.find("_microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
            std::string::npos)
      << controls;
}

TEST_F(MainWindow, ClosingItEndsTheProgram) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(program->WaitForExit(10000, &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

// velloran.exe copied into a folder of its own with a cache file beside it.
class StartWithCache : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = test::ExeDirectory() + "cache-start-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((test::ExeDirectory() + "velloran.exe").c_str(),
                          (folder + "velloran.exe").c_str(), FALSE));
  }
  void TearDown() override {
    program.reset();
    DeleteFileA((folder + "velloran.exe").c_str());
    DeleteFileA((folder + "servers.grd").c_str());
    RemoveDirectoryA(folder.c_str());
  }
  void WriteCache(const std::string& bytes) {
    std::ofstream(folder + "servers.grd", std::ios::binary) << bytes;
  }
  HWND Start() {
    std::string quoted = "\"" + folder + "velloran.exe\"";
    program = std::make_unique<test::ChildProcess>(quoted);
    HWND window = nullptr;
    test::WaitUntil([&] { return (window = test::FindTopLevelWindow(program->Id(), Caption)); },
                    20000);
    return window;
  }

  std::string folder;
  std::unique_ptr<test::ChildProcess> program;
};

TEST_F(StartWithCache, ShowsTheCachedListItsDateAndCount) {
  std::string cells;
  for (const char* cell : {"one.example", "two.example", "three.example", "1.1.1.1", "2.2.2.2",
                           "3.3.3.3", "8888", "8888", "7777"})
    cells += std::string(cell) + "\r\n";
  WriteCache("7\r\n3\r\n" + cells);
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  HWND status = FindWindowExA(window, nullptr, "msctls_statusbar32", nullptr);
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(test::WaitUntil([&] { return test::WindowText(status) == "3 servers"; }, 10000))
      << test::WindowText(status);
  HWND panel = ChildAt(window, "Static", 8, 352);
  ASSERT_NE(panel, nullptr);
  HWND edit3 = ChildAt(panel, "Edit", 560, 52);
  ASSERT_NE(edit3, nullptr);
  EXPECT_EQ(test::WindowText(edit3), FileDateText(folder + "servers.grd"));
  EXPECT_FALSE(test::WindowText(edit3).empty());
}

TEST_F(StartWithCache, AnUnreadableCacheIsReportedAndTheWindowStaysUsable) {
  WriteCache("7\r\nseven\r\n");
  HWND window = Start();
  ASSERT_NE(window, nullptr);
  HWND box = nullptr;
  ASSERT_TRUE(test::WaitUntil([&] { return (box = test::FindMessageBox(program->Id())); }, 10000));
  test::MessageBoxSeen seen = test::ReadMessageBox(box);
  EXPECT_EQ(seen.caption, "Velloran");
  EXPECT_EQ(seen.text, "Invalid numeric input.");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  // The count text comes after the failed step, so it is not shown.
  HWND status = FindWindowExA(window, nullptr, "msctls_statusbar32", nullptr);
  EXPECT_EQ(test::WindowText(status), "");
  EXPECT_TRUE(test::WaitUntil([&] { return !test::FindMessageBox(program->Id()); }, 5000));
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program->WaitForExit(10000));
}

TEST_F(StartWithCache, AddServersClickedFromOutsideFillsWinMXsForm) {
  WriteCache(
      "7\r\n2\r\none.example\r\ntwo.example\r\n1.1.1.1\r\n2.2.2.2\r\n8888\r\n7777\r\n"
      "Net One\r\nn/a\r\n");
  std::string log = folder + "entries.log";
  auto standin = test::StartWinmxStandin(log);
  ASSERT_TRUE(standin);

  HWND window = Start();
  ASSERT_NE(window, nullptr);
  HWND status = FindWindowExA(window, nullptr, "msctls_statusbar32", nullptr);
  ASSERT_TRUE(test::WaitUntil([&] { return test::WindowText(status) == "2 servers"; }, 10000));
  HWND panel = ChildAt(window, "Static", 8, 352);
  SendMessageA(ChildAt(panel, "Edit", 186, 44), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>("tester one"));
  SendMessageA(ChildAt(panel, "Edit", 186, 57), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("pa ss!"));
  PostMessageA(ChildAt(panel, "Button", 0, 0), BM_CLICK, 0, 0);

  EXPECT_TRUE(test::WaitUntil([&] { return test::WindowText(status) == "Finished"; }, 60000))
      << test::WindowText(status);
  // The cleaned texts went back into the boxes.
  EXPECT_EQ(test::WindowText(ChildAt(panel, "Edit", 186, 44)), "testerone");
  std::ifstream entries(log, std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(entries)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all,
            "Net One\t1.1.1.1:8888\ttesterone\tpass\tyourname@example.com\t1\n"
            "[two.example]\t2.2.2.2:7777\ttesterone\tpass\tyourname@example.com\t1\n");
  entries.close();
  DeleteFileA(log.c_str());
}

}  // namespace
}  // namespace velloran
