// velloran.exe started as a person would start it: its three logos read back
// from the screen and compared with the pictures our logo script drew, and
// clicked, with the shell's handler of the pages' addresses replaced by one
// that writes down what it was given.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>

#include "app/Links.h"
#include "framework/Handles.h"
#include "gif/GIFCompose.h"
#include "gif/GIFReader.h"
#include "tests/support/TempFiles.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

constexpr const char* Caption = "Velloran 1.1 [for WinMX 3] ";

struct Logo {
  const char* file;
  RECT bounds;  // in the main window's client area
  int width, height;
  const char* page;  // what a click opens
};

const Logo logos[] = {
    {"opennap.gif", {328, 24, 328 + 89, 24 + 33}, 88, 31, OpenNapProjectPage},
    {"winmx.gif", {432, 16, 432 + 225, 16 + 41}, 234, 39, WinMXHomePage},
    {"serverlist.gif", {664, 16, 664 + 65, 16 + 57}, 58, 55, ServerListHomePage},
};

void CloseKey(HKEY key) {
  RegCloseKey(key);
}
using UniqueKey = UniqueHandle<NullHandleTraits<HKEY, CloseKey>>;

UniqueKey OpenKey(HKEY root, const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
  return UniqueKey(key);
}

UniqueKey OpenCommandKey(const std::string& progId, REGSAM access) {
  return OpenKey(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command", access);
}

// The class whose open command the shell runs for a scheme's addresses: the
// one the user chose, else the scheme's own.
std::string HandlerClass(const char* scheme) {
  const std::string choice =
      std::string("Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\") + scheme +
      "\\UserChoice";
  char progId[256] = {};
  DWORD size = sizeof progId - 1;
  if (UniqueKey key = OpenKey(HKEY_CURRENT_USER, choice, KEY_QUERY_VALUE))
    if (RegQueryValueExA(key.get(), "ProgId", nullptr, nullptr, reinterpret_cast<BYTE*>(progId),
                         &size) == ERROR_SUCCESS &&
        progId[0])
      return progId;
  return scheme;
}

// While it lives, the shell opens web addresses, which the program hands it
// for its pages, by appending them to a file: the open command of the classes
// that handle http and https addresses is a cmd.exe that writes down its
// argument, and the commands they had come back when it goes, however the
// test ended. Windows lets only an administrator write the machine's classes,
// where browsers register theirs: there it can't stand in.
class PageRecorder {
 public:
  explicit PageRecorder(const std::string& logFile) {
    const std::string command = "cmd.exe /c echo %1>>\"" + logFile + "\"";
    for (const char* scheme : {"http", "https"})
      if (!Replace(scheme, command)) {
        refusal = std::string("the open command of ") + scheme + " addresses can't be replaced";
        return;
      }
  }
  ~PageRecorder() {
    for (const Saved& saved : replaced)
      if (UniqueKey key = OpenCommandKey(saved.progId, KEY_SET_VALUE))
        RegSetValueExA(key.get(), nullptr, 0, saved.type, saved.value.data(),
                       DWORD(saved.value.size()));
  }
  PageRecorder(const PageRecorder&) = delete;
  PageRecorder& operator=(const PageRecorder&) = delete;

  // Why the shell's commands were left as they were; empty when they were replaced.
  std::string refusal;

 private:
  struct Saved {
    std::string progId;
    DWORD type = REG_SZ;
    std::vector<BYTE> value;
  };

  bool Replace(const char* scheme, const std::string& command) {
    Saved saved{HandlerClass(scheme), REG_SZ, {}};
    UniqueKey key = OpenCommandKey(saved.progId, KEY_QUERY_VALUE | KEY_SET_VALUE);
    DWORD size = 0;
    if (!key ||
        RegQueryValueExA(key.get(), nullptr, nullptr, &saved.type, nullptr, &size) !=
            ERROR_SUCCESS ||
        size > 4096)
      return false;
    saved.value.resize(size);
    if (RegQueryValueExA(key.get(), nullptr, nullptr, &saved.type, saved.value.data(), &size) !=
        ERROR_SUCCESS)
      return false;
    saved.value.resize(size);
    if (RegSetValueExA(key.get(), nullptr, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(command.c_str()),
                       DWORD(command.size() + 1)) != ERROR_SUCCESS)
      return false;
    replaced.push_back(std::move(saved));
    return true;
  }

  std::vector<Saved> replaced;
};

TGIFPictureData LoadLogo(const char* name) {
  std::ifstream file(std::string(VELLORAN_LOGOS) + "\\" + name, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
  TGIFPictureData picture;
  EXPECT_TRUE(ReadGIF(bytes, {}, picture)) << name;
  return picture;
}

// The screen's colours of a client-area rectangle, 0x00RRGGBB, the top row first.
std::vector<std::uint32_t> ScreenColors(HWND window, const RECT& rect) {
  POINT origin{rect.left, rect.top};
  ClientToScreen(window, &origin);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  std::vector<std::uint32_t> colors(static_cast<const std::uint32_t*>(bits),
                                    static_cast<const std::uint32_t*>(bits) + width * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (std::uint32_t& color : colors) color &= 0xFFFFFF;
  return colors;
}

class Logos : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureCacheBesideProgram();
    program = std::make_unique<test::ChildProcess>(test::QuotedProgramPath("velloran.exe"));
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (window = test::FindTopLevelWindow(program->Id(), Caption)); }, 20000));
    SetForegroundWindow(window);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (test::WindowClass(child) == "VelloranGIFImage") pictures.push_back(child);
    // Let the first paint happen.
    Sleep(500);
  }

  std::unique_ptr<test::ChildProcess> program;
  HWND window = nullptr;
  std::vector<HWND> pictures;
};

TEST_F(Logos, LieOverTheImageAreasAsTheLayoutPlacesThem) {
  ASSERT_EQ(pictures.size(), 3u);
  for (const Logo& logo : logos) {
    bool found = false;
    for (HWND picture : pictures) {
      RECT rect{};
      GetWindowRect(picture, &rect);
      MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
      found = found || EqualRect(&rect, &logo.bounds);
    }
    EXPECT_TRUE(found) << logo.file;
  }
}

TEST_F(Logos, ShowTheirPicturesAtTheTopLeftOverTheWindowsFace) {
  const std::uint32_t face = [] {
    COLORREF c = GetSysColor(COLOR_BTNFACE);
    return (std::uint32_t(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }();
  for (const Logo& logo : logos) {
    TGIFPictureData picture = LoadLogo(logo.file);
    ASSERT_EQ(picture.width, logo.width) << logo.file;
    ASSERT_EQ(picture.height, logo.height) << logo.file;
    TGIFComposer composer(picture);
    composer.DrawFrame(1);
    // What the control shows of the picture: its left part when it is the wider.
    RECT shown = logo.bounds;
    shown.right = std::min<LONG>(shown.right, shown.left + logo.width);
    shown.bottom = shown.top + logo.height;
    std::vector<std::uint32_t> screen = ScreenColors(window, shown);
    const int width = shown.right - shown.left;
    int wrong = 0;
    for (int y = 0; y < logo.height; ++y)
      for (int x = 0; x < width; ++x) {
        std::size_t at = std::size_t(y) * std::size_t(logo.width) + std::size_t(x);
        bool clear = composer.HasMask() && composer.Mask()[at];
        std::uint32_t expected = clear ? face : composer.Pixels()[at];
        if (screen[std::size_t(y) * std::size_t(width) + std::size_t(x)] != expected) ++wrong;
      }
    EXPECT_EQ(wrong, 0) << logo.file;
    EXPECT_EQ(picture.hasTransparency, std::string(logo.file) != "opennap.gif") << logo.file;
  }
}

TEST_F(Logos, TakeTheClicksOnTheirPicturesAndLeaveTheRestToWhatLiesBeneath) {
  for (const Logo& logo : logos) {
    POINT centre{logo.bounds.left + 20, logo.bounds.top + 15};
    ClientToScreen(window, &centre);
    HWND hit = WindowFromPoint(centre);
    EXPECT_EQ(test::WindowClass(hit), "VelloranGIFImage") << logo.file;
  }
  // The strip under the OpenNap logo belongs to the image area and its caption.
  POINT strip{328 + 60, 24 + 32};
  ClientToScreen(window, &strip);
  EXPECT_NE(test::WindowClass(WindowFromPoint(strip)), "VelloranGIFImage");
}

TEST_F(Logos, OpenTheirPagesWhenClicked) {
  test::TempFolder folder;
  const std::string log = folder.File("pages.txt");
  PageRecorder recorder(log);
  if (!recorder.refusal.empty()) GTEST_SKIP() << recorder.refusal;
  for (const Logo& logo : logos) {
    DeleteFileA(log.c_str());
    POINT point{logo.bounds.left + 20, logo.bounds.top + 15};
    ClientToScreen(window, &point);
    HWND hit = WindowFromPoint(point);
    ASSERT_EQ(test::WindowClass(hit), "VelloranGIFImage") << logo.file;
    ScreenToClient(hit, &point);
    PostMessageA(hit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    PostMessageA(hit, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    std::string opened;
    test::WaitUntil(
        [&] {
          opened = test::FileBytes(log);
          return opened.find('\n') != std::string::npos;
        },
        20000);
    while (!opened.empty() && std::isspace(static_cast<unsigned char>(opened.back())))
      opened.pop_back();
    EXPECT_EQ(opened, logo.page) << logo.file;
  }
}

}  // namespace
}  // namespace velloran
