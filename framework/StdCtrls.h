#pragma once
// The standard controls: labels, buttons, check boxes, radio buttons and edit
// boxes. Each is one window of the system's own class (Static, Button, Edit),
// so that assistive tools and other programs see ordinary Windows controls.
// Controls are made visible; those that take input are tab stops.
//
// Threading: user-interface thread only. Events run inside the parent's window
// procedure; an error that escapes one goes to the application's error box.

#include <windows.h>

#include <functional>

#include "framework/Control.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace velloran {

enum class TLabelAlignment { Left, Right, Center };

struct LabelArgs : ControlArgs {
  TLabelAlignment alignment = TLabelAlignment::Left;
  // Drawn over what its parent shows behind it rather than on a background.
  bool transparent = false;
};

// Text in its font's colour, not wrapped, clipped at its edges; a click on it
// fires OnClick. A Static window that paints itself, as the Static class would
// wrap the words of right-aligned text.
class TLabel : public TWinControl {
 public:
  TLabel(TComponent* owner, const LabelArgs& args);

  TLabelAlignment Alignment() const { return alignment_; }
  void SetAlignment(TLabelAlignment alignment);
  bool Transparent() const { return transparent_; }

  std::function<void()> OnClick;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void CommandNotification(WORD code) override;
  HBRUSH ControlColor(HDC dc, HBRUSH defaultBrush) override;

 private:
  void Paint(HDC dc);

  TLabelAlignment alignment_;
  bool transparent_;
};

class TButton : public TWinControl {
 public:
  TButton(TComponent* owner, const ControlArgs& args);

  std::function<void()> OnClick;

 protected:
  void CommandNotification(WORD code) override;
};

struct CheckableArgs : ControlArgs {
  bool checked = false;
};

// A check box that the system ticks and clears on each click.
class TCheckBox : public TWinControl {
 public:
  TCheckBox(TComponent* owner, const CheckableArgs& args);

  bool Checked() const;
  void SetChecked(bool checked);

  // After a click has changed Checked.
  std::function<void()> OnClick;

 protected:
  void CommandNotification(WORD code) override;
  HBRUSH ControlColor(HDC dc, HBRUSH defaultBrush) override;
};

// The radio buttons of one parent form one group: checking one clears the others.
class TRadioButton : public TWinControl {
 public:
  TRadioButton(TComponent* owner, const CheckableArgs& args);

  bool Checked() const;
  void SetChecked(bool checked);

  // After a click has checked this button.
  std::function<void()> OnClick;

 protected:
  void CommandNotification(WORD code) override;
  HBRUSH ControlColor(HDC dc, HBRUSH defaultBrush) override;

 private:
  void ClearOthers();
  // The dialog manager's group starts at the first radio button in tab order.
  void MarkGroupStart();
};

struct EditArgs : ControlArgs {
  TColor color = clWindow;
  bool readOnly = false;
};

// A borderless one-line edit box on a background of its own colour.
class TEdit : public TWinControl {
 public:
  TEdit(TComponent* owner, const EditArgs& args);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);

  // After the text changed, by the user or by the program.
  std::function<void()> OnChange;

 protected:
  void CommandNotification(WORD code) override;
  HBRUSH ControlColor(HDC dc, HBRUSH defaultBrush) override;

 private:
  TColor color_;
  UniqueBrush ownBrush_;
  HBRUSH background_ = nullptr;  // ownBrush_ or a system colour's brush
};

}  // namespace velloran
