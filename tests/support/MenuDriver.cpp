#include "tests/support/MenuDriver.h"

#include <algorithm>

#include "tests/support/MenuItemsText.h"
#include "tests/support/WinTestSupport.h"

namespace velloran::test {
namespace {

constexpr UINT MN_GETHMENU_MESSAGE = 0x01E1;
constexpr const char* PopupMenuClass = "#32768";

struct MenuSearch {
  DWORD pid;
  HWND found = nullptr;
};

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<MenuSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.pid && IsWindowVisible(window) && WindowClass(window) == PopupMenuClass) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// A message-only window that keeps the text a WM_COPYDATA brings.
LRESULT CALLBACK ReplyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    auto* text = reinterpret_cast<std::string*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (text && data->lpData) text->assign(static_cast<const char*>(data->lpData), data->cbData);
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string ItemsTextFromOtherProcess(HWND menuWindow) {
  static const char* const ClassName = "VelloranTestMenuReply";
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ReplyProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = ClassName;
  RegisterClassA(&windowClass);  // fails harmlessly once registered
  HWND reply = CreateWindowExA(0, ClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
  if (!reply) return {};
  std::string text;
  SetWindowLongPtrA(reply, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&text));
  DWORD_PTR result = 0;
  // While this waits, the hook's WM_COPYDATA back to Reply is delivered.
  SendMessageTimeoutA(menuWindow, RegisterWindowMessageA(MenuItemsMessageName),
                      reinterpret_cast<WPARAM>(reply), 0, SMTO_ABORTIFHUNG, 5000, &result);
  DestroyWindow(reply);
  return text;
}

void PressKey(HWND menuWindow, WPARAM key) {
  PostMessageA(menuWindow, WM_KEYDOWN, key, 1);
  PostMessageA(menuWindow, WM_KEYUP, key, 0xC0000001);
}

}  // namespace

HWND WaitForPopupMenu(DWORD pid, DWORD timeoutMs) {
  MenuSearch search{pid};
  WaitUntil(
      [&] {
        EnumWindows(FindMenuWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

namespace {

// The lines of a menu's text; the highlighted one's position, or -1.
std::vector<std::string> MenuLines(const std::string& text, int* highlighted = nullptr) {
  std::vector<std::string> lines;
  if (highlighted) *highlighted = -1;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    if (line[0] == '*') {
      if (highlighted) *highlighted = static_cast<int>(lines.size());
      line.erase(0, 1);
    }
    lines.push_back(line);
  }
  return lines;
}

std::string ItemsText(HWND menuWindow) {
  DWORD owner = 0;
  GetWindowThreadProcessId(menuWindow, &owner);
  if (owner != GetCurrentProcessId()) return ItemsTextFromOtherProcess(menuWindow);
  auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU_MESSAGE, 0, 0));
  return menu ? MenuItemsText(menu) : std::string();
}

int HighlightedItem(HWND menuWindow) {
  int highlighted = -1;
  MenuLines(ItemsText(menuWindow), &highlighted);
  return highlighted;
}

}  // namespace

std::vector<PopupMenuItem> ParseMenuItemsText(const std::string& text) {
  std::vector<PopupMenuItem> items;
  for (const std::string& line : MenuLines(text)) {
    if (line == "|")
      items.push_back({"", false, true});
    else
      items.push_back({line.substr(1), line[0] == '+', false});
  }
  return items;
}

std::vector<PopupMenuItem> PopupMenuItems(HWND menuWindow) {
  return ParseMenuItemsText(ItemsText(menuWindow));
}

std::vector<std::string> PopupMenuCaptions(HWND menuWindow) {
  std::vector<std::string> captions;
  for (const PopupMenuItem& item : PopupMenuItems(menuWindow))
    if (!item.separator) captions.push_back(item.caption);
  return captions;
}

bool ChooseMenuItem(HWND menuWindow, const std::string& caption) {
  const std::vector<PopupMenuItem> items = PopupMenuItems(menuWindow);
  const auto wanted = std::find_if(items.begin(), items.end(), [&](const PopupMenuItem& item) {
    return !item.separator && item.caption == caption;
  });
  if (wanted == items.end() || !wanted->enabled) return false;
  const int target = static_cast<int>(wanted - items.begin());
  // Stepped by what the menu shows highlighted rather than by counting keys
  // from an assumed start: a menu opened from the keyboard may already
  // highlight an item, and Windows and Wine differ on which items the arrow
  // keys pass over. Twice round the menu is more than any path needs.
  for (std::size_t press = 0; press <= 2 * items.size(); ++press) {
    const int highlighted = HighlightedItem(menuWindow);
    if (highlighted == target) {
      PressKey(menuWindow, VK_RETURN);
      return true;
    }
    PressKey(menuWindow, VK_DOWN);
    WaitUntil([&] { return HighlightedItem(menuWindow) != highlighted; }, 2000);
  }
  return false;
}

void ClosePopupMenu(HWND menuWindow) {
  PressKey(menuWindow, VK_ESCAPE);
}

}  // namespace velloran::test
