// winmx-standin: a stand-in for WinMX 3, as far as "Add servers" relies on it.
// It shows a main window with a child whose text is "OpenNap Protocol
// Networks" and an "Add" button beside it under the same parent. "Add" (a
// click, or a BM_CLICK posted from another process) opens "Add New OpenNap"
// with five edit boxes (network, address, login name, password, e-mail), a
// check box "Register user name", "OK" and "Cancel", made in that order. "OK"
// records the entry and closes the form; the main window lists what it took.
//
// Settings, from the environment (numbers are milliseconds; a flag is on when
// set to anything but "" or "0"):
//   WINMX_STANDIN_LOG              file that gets one line per accepted entry:
//                                  network, address, login, password, e-mail,
//                                  tick (1 or 0), tab-separated; \\ \t \r \n
//                                  stand for those characters in a text
//   WINMX_STANDIN_READY_EVENT      name of an event set once the main window shows
//   WINMX_STANDIN_OPEN_DELAY_MS    pause between the click on Add and the form
//   WINMX_STANDIN_CONTROL_DELAY_MS the form's frame shows first and its controls
//                                  follow one by one, this far apart
//   WINMX_STANDIN_FREEZE_MS        once the form is complete, answer nothing this long
//   WINMX_STANDIN_LIFETIME_MS      close by itself after this long (0: never)
//   WINMX_STANDIN_REJECT           flag: OK takes nothing and the form stays open
//   WINMX_STANDIN_NO_ADD_BUTTON    flag: no Add button
//   WINMX_STANDIN_NO_REGISTER_BOX  flag: the form has no "Register user name" box
// While a form is open or about to open, further clicks on Add do nothing.
#include <windows.h>

#include <memory>

#include "AddForm.h"
#include "EntryLog.h"
#include "Guard.h"
#include "Options.h"

namespace standin {
namespace {

constexpr const char* MainClassName = "WinMXStandinMain";
constexpr int AddButtonId = 10;
constexpr UINT_PTR OpenTimer = 1;
constexpr UINT_PTR LifetimeTimer = 2;

struct MainState {
  Options options;
  HWND window = nullptr;
  HWND entries = nullptr;
  bool opening = false;
  std::unique_ptr<AddForm> form;
};

HWND Child(HWND parent, const char* className, const char* text, DWORD style, int x, int y,
           int width, int height, int id) {
  HWND control = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                 height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return control;
}

void OpenForm(MainState& state) {
  state.opening = false;
  state.form = std::make_unique<AddForm>(state.window, state.options, [&state](const Entry& entry) {
    AppendEntry(state.options.logPath, entry);
    std::string shown = entry.network + "  " + entry.address;
    SendMessageA(state.entries, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  });
}

void AddClicked(MainState& state) {
  if ((state.form && !state.form->Closed()) || state.opening) return;
  if (state.options.openDelayMs == 0) {
    OpenForm(state);
    return;
  }
  state.opening = true;
  SetTimer(state.window, OpenTimer, state.options.openDelayMs, nullptr);
}

LRESULT MainMessage(MainState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == AddButtonId && HIWORD(wParam) == BN_CLICKED) AddClicked(state);
      return 0;
    case WM_TIMER:
      if (wParam == OpenTimer) {
        KillTimer(window, OpenTimer);
        OpenForm(state);
      } else if (wParam == LifetimeTimer) {
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* creating =
        static_cast<MainState*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    creating->window = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
  }
  auto* state = reinterpret_cast<MainState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  return Guarded([&] { return MainMessage(*state, window, message, wParam, lParam); });
}

void SignalReady(const std::string& eventName) {
  if (eventName.empty()) return;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName.c_str());
  if (!ready) return;
  SetEvent(ready);
  CloseHandle(ready);
}

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  using namespace standin;
  MainState state;
  state.options = ReadOptions();

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &MainProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = MainClassName;
  if (!RegisterClassA(&windowClass)) return 1;

  HWND window = CreateWindowExA(0, MainClassName, "WinMX 3 stand-in", WS_OVERLAPPEDWINDOW, 60, 60,
                                460, 320, nullptr, nullptr, instance, &state);
  if (!window) return 1;
  // The Add button lies beside the networks window, under the same parent.
  Child(window, "Static", "OpenNap Protocol Networks", 0, 10, 14, 200, 18, 0);
  if (state.options.addButton)
    Child(window, "Button", "Add", BS_PUSHBUTTON, 220, 10, 70, 24, AddButtonId);
  state.entries = Child(window, "ListBox", "", WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 10,
                        44, 425, 220, 0);
  if (state.options.lifetimeMs > 0)
    SetTimer(window, LifetimeTimer, state.options.lifetimeMs, nullptr);
  ShowWindow(window, show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(window);
  SignalReady(state.options.readyEvent);

  MSG message;
  BOOL got;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}
