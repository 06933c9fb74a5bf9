#pragma once
// The base grid: a table of cells with fixed rows and columns, column widths,
// one row height, a focused cell and a selection (anchor plus focused cell),
// scrolling, keyboard and mouse navigation, and painting through a per-cell
// hook. It decides everything itself and leaves the window to a host: the
// Win32 control forwards messages to it and paints it with GDI; tests drive
// it directly.
//
// Threading: one thread. Hooks may run inside any of the input handlers.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Geometry.h"
#include "framework/Graphics.h"
#include "framework/Mouse.h"

namespace velloran {

enum TGridOption : unsigned {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4,
  goDrawFocusSelected = 1u << 5,
  goRowSizing = 1u << 6,
  goColSizing = 1u << 7,
  goRowMoving = 1u << 8,
  goColMoving = 1u << 9,
  goEditing = 1u << 10,
  goTabs = 1u << 11,
  goRowSelect = 1u << 12,
  goAlwaysShowEditor = 1u << 13,
  goThumbTracking = 1u << 14,
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

enum TGridDrawState : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };

enum class TCursorKind { Default, HorizontalSplit, HourGlass };

// Virtual key codes the grid understands (the Windows values).
enum TGridKey : int {
  VK_Tab = 0x09,
  VK_Return = 0x0D,
  VK_Escape = 0x1B,
  VK_Prior = 0x21,
  VK_Next = 0x22,
  VK_End = 0x23,
  VK_Home = 0x24,
  VK_Left = 0x25,
  VK_Up = 0x26,
  VK_Right = 0x27,
  VK_Down = 0x28,
  VK_F2Key = 0x71,
};

// A wheel setting of "one screen per notch".
inline constexpr int WheelScrollsPage = -1;
// A wheel notch, as Windows counts it.
inline constexpr int WheelDelta = 120;

struct TGridCoord {
  int X = 0;
  int Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

// What the grid asks of its in-place editor (the Win32 one is TInplaceEdit).
class GridEditor {
 public:
  virtual ~GridEditor() = default;
  // Places the editor over Rect (the grid's client coordinates), shows it and
  // gives it the focus; Move only places it.
  virtual void ShowAt(const TRect& rect) = 0;
  virtual void Move(const TRect& rect) = 0;
  // Hides it; the focus goes back to the grid.
  virtual void Hide() = 0;
  virtual bool Shown() const = 0;
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
  // A character that opened the editor, handed on as if typed into it.
  virtual void TypeChar(char key) = 0;
};

// What the window does for the grid.
class GridHost {
 public:
  virtual ~GridHost() = default;
  virtual void InvalidateRect(const TRect& rect) = 0;
  virtual void InvalidateAll() = 0;
  // Row or column counts, sizes or the first row shown changed: update the scroll bars.
  virtual void ScrollRangeChanged() = 0;
  virtual void SetCursor(TCursorKind cursor) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Focused() const = 0;
  virtual TPoint ClientToScreen(TPoint point) const = 0;
  // The grid's in-place editor, made on the first call; the host owns it.
  virtual GridEditor& Editor() = 0;
};

class TCustomGrid {
 public:
  TCustomGrid();
  virtual ~TCustomGrid() = default;
  TCustomGrid(const TCustomGrid&) = delete;
  TCustomGrid& operator=(const TCustomGrid&) = delete;

  // The window, once there is one; without it the grid still works and paints nothing.
  void SetHost(GridHost* host);
  GridHost* Host() const { return host_; }

  // Size and layout.
  int ColCount() const { return colCount_; }
  void SetColCount(int count);
  int FrameRowCount() const { return rowCount_; }
  void SetFrameRowCount(int count);
  int FrameFixedCols() const { return fixedCols_; }
  void SetFrameFixedCols(int count);
  int FixedRows() const { return fixedRows_; }
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int width);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int width);
  unsigned Options() const { return options_; }
  void SetOptions(unsigned options);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  const TFont& Font() const { return font_; }
  TFont& Font() { return font_; }
  void SetFont(const TFont& font) { font_.Assign(font); }
  bool DefaultDrawing() const { return defaultDrawing_; }

  // The client area the host gives the grid.
  void SetClientSize(int width, int height);
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }

  // Focus, selection and scrolling (grid coordinates: fixed rows and columns count).
  int Col() const { return current_.X; }
  int Row() const { return current_.Y; }
  TGridCoord Anchor() const { return anchor_; }
  // Moves the focus (and the anchor unless the selection is being extended).
  void FocusCell(int col, int row, bool moveAnchor);
  TGridRect FrameSelection() const;
  void SetFrameSelection(const TGridRect& selection);
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int col);
  // Non-fixed rows and columns that are shown whole.
  int VisibleRowCount() const;
  int VisibleColCount() const;
  // The largest TopRow that still fills the client area.
  int MaxTopRow() const;

  // Geometry.
  TRect CellRect(int col, int row) const;
  TGridCoord MouseCoord(int x, int y) const;
  int FixedWidth() const;
  int FixedHeight() const;

  // Input, as the window receives it. Derived grids refine these.
  virtual void KeyDown(int& key, unsigned shift);
  // A character for the grid itself: Return opens or closes the editor.
  virtual void KeyPress(char& key);
  // A character typed into the grid's window: with goEditing a printable one
  // (or backspace) opens the editor and goes into it; else KeyPress.
  void CharInput(char key);
  virtual void MouseDown(TMouseButton button, unsigned shift, int x, int y);
  virtual void MouseMove(unsigned shift, int x, int y);
  virtual void MouseUp(TMouseButton button, unsigned shift, int x, int y);
  // Delta as Windows counts it (120 a notch; touchpads and smooth wheels send
  // less), LinesPerNotch the user's setting (WheelScrollsPage: a screen a
  // notch; 0: no scrolling). What does not make a whole row yet is kept for
  // the next message in the same direction.
  virtual void MouseWheel(int delta, int linesPerNotch);
  // The mouse capture is gone (another window took it, a menu or a message box
  // opened): ends a selection, a sizing or a press as a release outside would.
  virtual void CancelMouse();
  // Scroll bar input: the first non-fixed row to show.
  void VerticalScrollTo(int topRow);
  virtual void ContextMenu(int screenX, int screenY) { (void)screenX, (void)screenY; }

  // In-place editing (goEditing). The editor opens over the focused cell on
  // Return, F2 or typing, filled by GetEditText; Return or leaving the cell
  // stores its text through SetEditText and closes it. With goAlwaysShowEditor
  // it opens wherever the focus goes and Return does not close it.
  bool EditorMode() const { return editorMode_; }
  void ShowEditor();
  // Stores the editor's text and closes it. An error from storing leaves it open.
  void HideEditor();
  // The editor, if one is open over the focused cell.
  GridEditor* OpenEditor() const { return editorMode_ ? editor_ : nullptr; }

  // Paints every cell that meets Area.
  void Paint(TCanvas& canvas, const TRect& area);

  void Invalidate();
  void InvalidateCell(int col, int row);
  // Painting is suspended while the count is above zero.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();

 protected:
  // The per-cell paint hook.
  virtual void DrawCell(TCanvas& canvas, int col, int row, const TRect& rect, unsigned state);
  // Asked before the focus moves; false keeps it where it is.
  virtual bool SelectCell(int col, int row) {
    (void)col, (void)row;
    return true;
  }
  // May the editor open over the focused cell? goEditing on, goRowSelect off, a host.
  virtual bool CanEditShow() const;
  // The text the editor starts with, and where its text goes (grid coordinates).
  virtual std::string GetEditText(int col, int row) {
    (void)col, (void)row;
    return {};
  }
  virtual void SetEditText(int col, int row, const std::string& value) {
    (void)col, (void)row, (void)value;
  }
  virtual void ColWidthsChanged() {}
  virtual void RowHeightsChanged() {}
  virtual void TopLeftChanged() {}
  // Which column boundary (its column) the point lies on for sizing, or -1.
  int SizingColumnAt(int x, int y) const;
  bool IsSizingColumns() const { return sizingCol_ >= 0; }
  bool IsSelectingWithMouse() const { return selecting_; }
  void ScrollBy(int rows);

 private:
  void ClampFocus();
  void MoveFocusBy(int dx, int dy, bool extend);
  void ScrollInView(int col, int row);
  // The right edge of column Col if LeftCol were Left.
  int ColRightFor(int col, int left) const;
  void ChangeTopLeft(int top, int left);
  void Changed();
  void PaintLines(TCanvas& canvas, int lastCol, int lastRow, int right, int bottom);
  // After a move, a scroll or a resize: the open editor follows its cell, or
  // closes when the cell went out of sight.
  void PlaceEditor();

  GridHost* host_ = nullptr;
  int colCount_ = 5;
  int rowCount_ = 5;
  int fixedCols_ = 1;
  int fixedRows_ = 1;
  std::vector<int> colWidths_;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  int gridLineWidth_ = 1;
  unsigned options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
  TColor color_ = clWindow;
  TFont font_;
  bool defaultDrawing_ = true;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  TGridCoord current_{1, 1};
  TGridCoord anchor_{1, 1};
  int topRow_ = 1;
  int leftCol_ = 1;
  int updateCount_ = 0;
  bool selecting_ = false;
  int sizingCol_ = -1;
  int sizingLastX_ = 0;
  // Wheel movement not yet scrolled, in rows times WheelDelta.
  int wheelRemainder_ = 0;
  GridEditor* editor_ = nullptr;
  bool editorMode_ = false;
  bool placingEditor_ = false;
};

}  // namespace velloran
