#pragma once
// Bevels, image areas and panels: windows of the system's Static class that
// paint and behave as these controls do. Bevels and image areas show what
// their parent shows behind them.
//
// Threading: user-interface thread only. Events run inside the parent's window
// procedure; an error that escapes one goes to the application's error box.

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/Control.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace velloran {

// A separator: a two-pixel etched line down its left edge, nothing else.
class TBevel : public TWinControl {
 public:
  TBevel(TComponent* owner, const ControlArgs& args);

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// An area without a picture of its own that answers clicks; pictures of other
// controls may lie over it.
class TImage : public TWinControl {
 public:
  TImage(TComponent* owner, const ControlArgs& args);

  std::function<void()> OnClick;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void CommandNotification(WORD code) override;
  HBRUSH ControlColor(HDC dc, HBRUSH defaultBrush) override;
};

struct PanelArgs : ControlArgs {
  TColor color = clBtnFace;
};

// A container with a lowered one-pixel frame and its caption centred. The
// controls created with the panel as owner lie inside it; disabling the panel
// disables them as well, and enabling it gives back those it disabled.
class TPanel : public TWinControl {
 public:
  TPanel(TComponent* owner, const PanelArgs& args);

  void SetEnabled(bool enabled) override;
  TColor Color() const { return color_; }
  void SetColor(TColor color);

  std::function<void()> OnClick;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void CommandNotification(WORD code) override;
  HBRUSH ControlColor(HDC dc, HBRUSH defaultBrush) override;

 private:
  void Paint(HDC dc);

  TColor color_;
  UniqueBrush ownBrush_;
  HBRUSH background_ = nullptr;  // ownBrush_ or a system colour's brush
  // Windows (views) this panel disabled, to be enabled again with it.
  std::vector<HWND> disabledChildren_;
};

}  // namespace velloran
