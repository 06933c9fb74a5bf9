#include "tests/support/MenuDriver.h"

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

std::vector<PopupMenuItem> ParseMenuItemsText(const std::string& text) {
  std::vector<PopupMenuItem> items;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    if (line == "|")
      items.push_back({"", false, true});
    else
      items.push_back({line.substr(1), line[0] == '+', false});
  }
  return items;
}

std::vector<PopupMenuItem> PopupMenuItems(HWND menuWindow) {
  DWORD owner = 0;
  GetWindowThreadProcessId(menuWindow, &owner);
  if (owner != GetCurrentProcessId())
    return ParseMenuItemsText(ItemsTextFromOtherProcess(menuWindow));
  auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU_MESSAGE, 0, 0));
  return menu ? ParseMenuItemsText(MenuItemsText(menu)) : std::vector<PopupMenuItem>{};
}

std::vector<std::string> PopupMenuCaptions(HWND menuWindow) {
  std::vector<std::string> captions;
  for (const PopupMenuItem& item : PopupMenuItems(menuWindow))
    if (!item.separator) captions.push_back(item.caption);
  return captions;
}

bool ChooseMenuItem(HWND menuWindow, const std::string& caption) {
  // The arrow keys step over separators only: disabled items take a step too.
  int steps = 0;
  for (const PopupMenuItem& item : PopupMenuItems(menuWindow)) {
    if (item.separator) continue;
    ++steps;
    if (item.caption != caption) continue;
    if (!item.enabled) return false;
    for (int i = 0; i < steps; ++i) PressKey(menuWindow, VK_DOWN);
    PressKey(menuWindow, VK_RETURN);
    return true;
  }
  return false;
}

void ClosePopupMenu(HWND menuWindow) {
  PressKey(menuWindow, VK_ESCAPE);
}

}  // namespace velloran::test
