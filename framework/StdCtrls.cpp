#include "framework/StdCtrls.h"

#include <string>

namespace velloran {
namespace {

constexpr WORD ClickedCode = 0;  // BN_CLICKED and STN_CLICKED alike

DWORD AlignmentStyle(TLabelAlignment alignment) {
  switch (alignment) {
    case TLabelAlignment::Right:
      return SS_RIGHT;
    case TLabelAlignment::Center:
      return SS_CENTER;
    case TLabelAlignment::Left:
      break;
  }
  return SS_LEFT;
}

UINT AlignmentFormat(TLabelAlignment alignment) {
  switch (alignment) {
    case TLabelAlignment::Right:
      return DT_RIGHT;
    case TLabelAlignment::Center:
      return DT_CENTER;
    case TLabelAlignment::Left:
      break;
  }
  return DT_LEFT;
}

HBRUSH TextInFontColor(HDC dc, const TFont& font, HBRUSH background) {
  SetTextColor(dc, ColorToRGB(font.Color()));
  return background;
}

void Fire(const std::function<void()>& event) {
  if (event) event();
}

}  // namespace

// ---- TLabel

TLabel::TLabel(TComponent* owner, const LabelArgs& args)
    : TWinControl(owner), alignment_(args.alignment), transparent_(args.transparent) {
  CreateSystemWindow("Static", WithStyle(args, AlignmentStyle(alignment_) | SS_NOTIFY));
}

void TLabel::SetAlignment(TLabelAlignment alignment) {
  if (alignment_ == alignment) return;
  alignment_ = alignment;
  LONG style = GetWindowLongA(Handle(), GWL_STYLE);
  SetWindowLongA(Handle(), GWL_STYLE,
                 static_cast<LONG>((style & ~SS_TYPEMASK) | AlignmentStyle(alignment)));
  Invalidate();
}

LRESULT TLabel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The Static class keeps the text, the font and the clicks; the painting,
  // which it also does straight away on some messages, is ours.
  if (message == WM_ERASEBKGND) return 1;
  if (auto result = SelfPaintedStatic(message, wParam, lParam, [this](HDC dc) { Paint(dc); }))
    return *result;
  return TWinControl::WndProc(message, wParam, lParam);
}

void TLabel::Paint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  if (transparent_) PaintParentBackground(Handle(), dc);
  // Asked as the Static class asks, so that the parent has its say, and through
  // it ControlColor below.
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(Handle()), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(Handle())));
  if (brush) FillRect(dc, &client, brush);
  if (!IsWindowEnabled(Handle())) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  SelectScope font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(Handle(), WM_GETFONT, 0, 0)));
  std::string text = Text();
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client,
            AlignmentFormat(alignment_) | DT_EXPANDTABS);
}

void TLabel::CommandNotification(WORD code) {
  if (code == ClickedCode) Fire(OnClick);
}

HBRUSH TLabel::ControlColor(HDC dc, HBRUSH defaultBrush) {
  TextInFontColor(dc, Font(), defaultBrush);
  return transparent_ ? NoBackground(dc) : defaultBrush;
}

// ---- TButton

TButton::TButton(TComponent* owner, const ControlArgs& args) : TWinControl(owner) {
  CreateSystemWindow("Button", WithStyle(args, BS_PUSHBUTTON | WS_TABSTOP));
}

void TButton::CommandNotification(WORD code) {
  if (code == ClickedCode) Fire(OnClick);
}

// ---- TCheckBox

TCheckBox::TCheckBox(TComponent* owner, const CheckableArgs& args) : TWinControl(owner) {
  CreateSystemWindow("Button", WithStyle(args, BS_AUTOCHECKBOX | WS_TABSTOP));
  if (args.checked) SendMessageA(Handle(), BM_SETCHECK, BST_CHECKED, 0);
}

bool TCheckBox::Checked() const {
  return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
  if (Checked() == checked) return;
  SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::CommandNotification(WORD code) {
  if (code == ClickedCode) Fire(OnClick);
}

HBRUSH TCheckBox::ControlColor(HDC dc, HBRUSH defaultBrush) {
  return TextInFontColor(dc, Font(), defaultBrush);
}

// ---- TRadioButton

TRadioButton::TRadioButton(TComponent* owner, const CheckableArgs& args) : TWinControl(owner) {
  CreateSystemWindow("Button", WithStyle(args, BS_AUTORADIOBUTTON | WS_TABSTOP));
  MarkGroupStart();
  if (args.checked) SetChecked(true);
}

bool TRadioButton::Checked() const {
  return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetChecked(bool checked) {
  if (Checked() == checked) return;
  SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (checked) ClearOthers();
}

void TRadioButton::CommandNotification(WORD code) {
  if (code != ClickedCode) return;
  // The system clears the others only within the dialog manager's group,
  // which tab order may split; the group here is the parent's radio buttons.
  ClearOthers();
  Fire(OnClick);
}

HBRUSH TRadioButton::ControlColor(HDC dc, HBRUSH defaultBrush) {
  return TextInFontColor(dc, Font(), defaultBrush);
}

void TRadioButton::ClearOthers() {
  for (HWND sibling = GetWindow(GetParent(Handle()), GW_CHILD); sibling;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    auto* radio = dynamic_cast<TRadioButton*>(FromHandle(sibling));
    if (radio && radio != this) radio->SetChecked(false);
  }
}

void TRadioButton::MarkGroupStart() {
  bool first = true;
  for (HWND sibling = GetWindow(GetParent(Handle()), GW_CHILD); sibling;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (!dynamic_cast<TRadioButton*>(FromHandle(sibling))) continue;
    LONG style = GetWindowLongA(sibling, GWL_STYLE);
    LONG wanted = first ? (style | WS_GROUP) : (style & ~WS_GROUP);
    if (wanted != style) SetWindowLongA(sibling, GWL_STYLE, wanted);
    first = false;
  }
}

// ---- TEdit

TEdit::TEdit(TComponent* owner, const EditArgs& args)
    : TWinControl(owner), color_(args.color), background_(ColorBrush(color_, ownBrush_)) {
  CreateSystemWindow("Edit", WithStyle(args, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP |
                                                 (args.readOnly ? ES_READONLY : 0)));
}

void TEdit::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  background_ = ColorBrush(color_, ownBrush_);
  Invalidate();
}

bool TEdit::ReadOnly() const {
  return (GetWindowLongA(Handle(), GWL_STYLE) & ES_READONLY) != 0;
}

void TEdit::SetReadOnly(bool readOnly) {
  if (ReadOnly() == readOnly) return;
  SendMessageA(Handle(), EM_SETREADONLY, readOnly, 0);
}

void TEdit::CommandNotification(WORD code) {
  if (code == EN_CHANGE) Fire(OnChange);
}

HBRUSH TEdit::ControlColor(HDC dc, HBRUSH /*defaultBrush*/) {
  // Asked as WM_CTLCOLOREDIT, or as WM_CTLCOLORSTATIC while read-only or disabled.
  SetTextColor(dc, ColorToRGB(Font().Color()));
  SetBkColor(dc, ColorToRGB(color_));
  return background_;
}

}  // namespace velloran
