#include "framework/Control.h"

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/SizedStruct.h"

namespace velloran {
namespace {

HWND ParentHandle(const TWinControl* parent) {
  return parent ? parent->Handle() : nullptr;
}

}  // namespace

TWinControl::TWinControl(TComponent* owner)
    : TComponent(owner), parent_(dynamic_cast<TWinControl*>(owner)) {
  if (parent_) font_ = parent_->Font();
  font_.OnChange = [this] { ApplyFont(); };
}

TWinControl::~TWinControl() {
  // Children go first; then stop dispatching to this half-destroyed object
  // before the window itself is destroyed.
  DestroyComponents();
  if (HWND window = handle_) {
    Detach();
    DestroyWindow(window);
  }
}

TWinControl* TWinControl::FromHandle(HWND window) {
  if (!window) return nullptr;
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) != &StaticWndProc)
    return nullptr;
  return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void TWinControl::Attach(HWND window) {
  handle_ = window;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TWinControl::Detach() {
  if (!handle_) return;
  SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
  if (originalProc_) {
    SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc_));
  }
  handle_ = nullptr;
}

void TWinControl::CreateSystemWindow(const char* className, const ControlArgs& args) {
  PrepareFont(args);
  HWND window = CreateWindowExA(args.exStyle, className, args.text.c_str(),
                                args.style | (parent_ ? WS_CHILD : 0), args.left, args.top,
                                args.width, args.height, ParentHandle(parent_), nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (!window) throw Exception(std::string("Can not create a window of class ") + className);
  Attach(window);
  originalProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticWndProc)));
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(fontHandle_.get()), TRUE);
  ApplyTabOrder(args);
}

void TWinControl::CreateOwnWindow(const char* className, const ControlArgs& args, UINT classStyle,
                                  HBRUSH background, HICON icon, HWND parentOverride) {
  PrepareFont(args);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto existing = SizedStruct<WNDCLASSEXA>();
  if (!GetClassInfoExA(instance, className, &existing)) {
    auto windowClass = SizedStruct<WNDCLASSEXA>();
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = &StaticWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
    windowClass.hbrBackground = background;
    windowClass.hIcon = icon;
    windowClass.lpszClassName = className;
    if (!RegisterClassExA(&windowClass))
      throw Exception(std::string("Can not register the window class ") + className);
  }
  HWND parent = parentOverride ? parentOverride : ParentHandle(parent_);
  HWND window = CreateWindowExA(args.exStyle, className, args.text.c_str(),
                                args.style | (parent_ ? WS_CHILD : 0), args.left, args.top,
                                args.width, args.height, parent, nullptr, instance, this);
  if (!window) throw Exception(std::string("Can not create a window of class ") + className);
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(fontHandle_.get()), TRUE);
  ApplyTabOrder(args);
}

void TWinControl::ApplyTabOrder(const ControlArgs& args) {
  if (!args.tabOrder || !parent_) return;
  SetPropA(handle_, "VelloranTabOrder",
           reinterpret_cast<HANDLE>(static_cast<INT_PTR>(*args.tabOrder + 1)));
  // Windows tabs through siblings in their z-order: put this window after the
  // last sibling whose tab order is lower.
  HWND after = HWND_TOP;
  for (HWND sibling = GetWindow(parent_->Handle(), GW_CHILD); sibling;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling == handle_) continue;
    INT_PTR order = reinterpret_cast<INT_PTR>(GetPropA(sibling, "VelloranTabOrder"));
    if (order != 0 && order - 1 < *args.tabOrder) after = sibling;
  }
  SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    if (auto* self = static_cast<TWinControl*>(create->lpCreateParams)) self->Attach(window);
  }
  auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    LRESULT result = self->DefaultHandler(message, wParam, lParam);
    RemovePropA(window, "VelloranTabOrder");
    self->Detach();
    return result;
  }
  return self->Dispatch(message, wParam, lParam);
}

LRESULT TWinControl::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  LRESULT result = 0;
  GuardHandler(Application(), [&] { result = WndProc(message, wParam, lParam); });
  return result;
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Controls report to their parent; hand the notice to the control's object.
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
        child->CommandNotification(HIWORD(wParam));
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
        auto brush = reinterpret_cast<HBRUSH>(DefaultHandler(message, wParam, lParam));
        return reinterpret_cast<LRESULT>(child->ControlColor(reinterpret_cast<HDC>(wParam), brush));
      }
      break;
  }
  return DefaultHandler(message, wParam, lParam);
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  if (originalProc_) return CallWindowProcA(originalProc_, handle_, message, wParam, lParam);
  return DefWindowProcA(handle_, message, wParam, lParam);
}

std::string TWinControl::Text() const {
  int length = GetWindowTextLengthA(handle_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(handle_, text.data(), length + 1);
  text.resize(copied > 0 ? copied : 0);
  return text;
}

void TWinControl::SetText(const std::string& text) {
  if (Text() == text) return;
  SetWindowTextA(handle_, text.c_str());
}

bool TWinControl::Enabled() const {
  return IsWindowEnabled(handle_) != FALSE;
}

void TWinControl::SetEnabled(bool enabled) {
  if (Enabled() == enabled) return;
  EnableWindow(handle_, enabled);
}

bool TWinControl::Visible() const {
  return (GetWindowLongA(handle_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TWinControl::SetVisible(bool visible) {
  if (Visible() == visible) return;
  ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

RECT TWinControl::BoundsRect() const {
  RECT rect{};
  GetWindowRect(handle_, &rect);
  if (HWND parent = GetParent(handle_); parent && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetFont(const TFont& font) {
  if (!font_.SameLook(font)) {
    font_ = font;  // the font's change notice applies it
  } else if (!fontHandle_) {
    ApplyFont();
  }
}

void TWinControl::PrepareFont(const ControlArgs& args) {
  if (args.font) font_ = *args.font;
  if (!fontHandle_) fontHandle_ = CreateFontHandle(font_);
}

void TWinControl::ApplyFont() {
  UniqueFont fresh = CreateFontHandle(font_);
  if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(fresh.get()), TRUE);
  // The old font goes only once the window no longer uses it.
  fontHandle_ = std::move(fresh);
}

std::optional<LRESULT> TWinControl::SelfPaintedStatic(UINT message, WPARAM wParam, LPARAM lParam,
                                                      const std::function<void(HDC)>& paint) {
  switch (message) {
    case WM_PAINT: {
      PaintScope scope(Handle());
      paint(scope.dc());
      return 0;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(Handle(), message, wParam, lParam);
      Invalidate();
      return result;
    }
    case WM_ENABLE:
      Invalidate();
      return 0;
    default:
      return std::nullopt;
  }
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

UniqueFont CreateFontHandle(const TFont& font) {
  LOGFONTA description{};
  description.lfHeight = font.Height();
  description.lfWeight = font.Bold() ? FW_BOLD : FW_NORMAL;
  description.lfItalic = (font.Styles() & static_cast<unsigned>(TFontStyle::Italic)) != 0;
  description.lfUnderline = (font.Styles() & static_cast<unsigned>(TFontStyle::Underline)) != 0;
  description.lfStrikeOut = (font.Styles() & static_cast<unsigned>(TFontStyle::StrikeOut)) != 0;
  description.lfCharSet = DEFAULT_CHARSET;
  description.lfOutPrecision = OUT_DEFAULT_PRECIS;
  description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  description.lfQuality = DEFAULT_QUALITY;
  description.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynA(description.lfFaceName, font.Name().c_str(), LF_FACESIZE);
  return UniqueFont(CreateFontIndirectA(&description));
}

COLORREF ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return GetSysColor(SystemColorIndex(color));
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

ControlArgs WithStyle(const ControlArgs& args, DWORD style, DWORD exStyle) {
  ControlArgs result = args;
  result.style |= style | WS_VISIBLE;
  result.exStyle |= exStyle;
  return result;
}

HBRUSH NoBackground(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void PaintParentBackground(HWND window, HDC dc) {
  HWND parent = GetParent(window);
  if (!parent) return;
  // The parent paints in its own coordinates: shift them onto this window.
  POINT origin{0, 0};
  MapWindowPoints(window, parent, &origin, 1);
  POINT old{};
  OffsetWindowOrgEx(dc, origin.x, origin.y, &old);
  SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SetWindowOrgEx(dc, old.x, old.y, nullptr);
}

HBRUSH ColorBrush(TColor color, UniqueBrush& owned) {
  if (IsSystemColor(color)) {
    owned.reset();
    return GetSysColorBrush(SystemColorIndex(color));
  }
  owned = UniqueBrush(CreateSolidBrush(ColorToRGB(color)));
  return owned.get();
}

}  // namespace velloran
