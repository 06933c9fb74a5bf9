#include "AddForm.h"

#include <iterator>
#include <string>

#include "Guard.h"

namespace standin {
namespace {

constexpr const char* ClassName = "WinMXStandinAddForm";
constexpr UINT_PTR ControlTimer = 1;
constexpr int RegisterBoxId = 200;
constexpr int FirstEditId = 100;

struct ControlSpec {
  const char* className;
  const char* text;
  DWORD style;
  int x, y, width, height;
  int id;
};

// Labels sit before their boxes, as in a dialog template: they change nothing
// for a search by class, and a person sees what each box is for.
constexpr ControlSpec Controls[] = {
    {"Static", "Network name", 0, 10, 13, 110, 16, 0},
    {"Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 125, 10, 170, 20, FirstEditId},
    {"Static", "Server (host:port)", 0, 10, 39, 110, 16, 0},
    {"Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 125, 36, 170, 20, FirstEditId + 1},
    {"Static", "Login name", 0, 10, 65, 110, 16, 0},
    {"Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 125, 62, 170, 20, FirstEditId + 2},
    {"Static", "Password", 0, 10, 91, 110, 16, 0},
    {"Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 125, 88, 170, 20, FirstEditId + 3},
    {"Static", "E-mail", 0, 10, 117, 110, 16, 0},
    {"Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 125, 114, 170, 20, FirstEditId + 4},
    {"Button", "Register user name", WS_TABSTOP | BS_AUTOCHECKBOX, 125, 142, 170, 18,
     RegisterBoxId},
    {"Button", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 125, 172, 80, 24, IDOK},
    {"Button", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 215, 172, 80, 24, IDCANCEL},
};

void RegisterFormClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(instance, ClassName, &windowClass)) return;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = ClassName;
  RegisterClassA(&windowClass);
}

std::string Text(HWND control) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(
      static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

AddForm::AddForm(HWND owner, const Options& options, std::function<void(const Entry&)> onAccepted)
    : options_(options), onAccepted_(std::move(onAccepted)) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterFormClass(instance, &StaticProc);
  const bool stepByStep = options_.controlDelayMs > 0;
  // A dialog template shows the frame once its controls are made; step by step
  // the frame shows first, the way a slow program lets a search see it early.
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | (stepByStep ? WS_VISIBLE : 0);
  RECT frame{0, 0, 305, 206};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  RECT ownerFrame{};
  GetWindowRect(owner, &ownerFrame);
  window_ = CreateWindowExA(WS_EX_DLGMODALFRAME, ClassName, "Add New OpenNap", style,
                            ownerFrame.left + 40, ownerFrame.top + 40, frame.right - frame.left,
                            frame.bottom - frame.top, owner, nullptr, instance, this);
  if (!window_) {
    closed_ = true;
    return;
  }
  if (stepByStep) {
    SetTimer(window_, ControlTimer, options_.controlDelayMs, nullptr);
    return;
  }
  while (CreateNextControl()) {
  }
  ShowWindow(window_, SW_SHOW);
  Completed();
}

AddForm::~AddForm() {
  if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK AddForm::StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* creating =
        static_cast<AddForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    creating->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
  }
  auto* form = reinterpret_cast<AddForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!form) return DefWindowProcA(window, message, wParam, lParam);
  return Guarded([&] { return form->Proc(message, wParam, lParam); });
}

LRESULT AddForm::Proc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == ControlTimer && !CreateNextControl()) {
        KillTimer(window_, ControlTimer);
        Completed();
      }
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) Accept();
      if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) DestroyWindow(window_);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      closed_ = true;
      return 0;
    case WM_NCDESTROY: {
      HWND window = window_;
      window_ = nullptr;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      return DefWindowProcA(window, message, wParam, lParam);
    }
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

bool AddForm::CreateNextControl() {
  if (nextControl_ < std::size(Controls) && !options_.registerBox &&
      Controls[nextControl_].id == RegisterBoxId)
    ++nextControl_;
  if (nextControl_ >= std::size(Controls)) return false;
  const ControlSpec& next = Controls[nextControl_++];
  HWND control = CreateWindowExA(
      next.className[0] == 'E' ? WS_EX_CLIENTEDGE : 0, next.className, next.text,
      WS_CHILD | WS_VISIBLE | next.style, next.x, next.y, next.width, next.height, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(next.id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return true;
}

void AddForm::Completed() {
  // A WinMX that hangs right after showing the form: it answers nothing while it sleeps.
  if (options_.freezeMs > 0) Sleep(options_.freezeMs);
}

void AddForm::Accept() {
  if (options_.reject) return;
  Entry entry;
  entry.network = Text(GetDlgItem(window_, FirstEditId));
  entry.address = Text(GetDlgItem(window_, FirstEditId + 1));
  entry.login = Text(GetDlgItem(window_, FirstEditId + 2));
  entry.password = Text(GetDlgItem(window_, FirstEditId + 3));
  entry.email = Text(GetDlgItem(window_, FirstEditId + 4));
  entry.registerUser = IsDlgButtonChecked(window_, RegisterBoxId) == BST_CHECKED;
  onAccepted_(entry);
  // Like a modal dialog's end, the form goes after the click has returned.
  PostMessageA(window_, WM_CLOSE, 0, 0);
}

}  // namespace standin
