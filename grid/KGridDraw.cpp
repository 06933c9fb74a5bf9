// Painting one cell of the server grid: colours with their fallbacks, fonts,
// alignment, and the sort arrow in the header.
#include "grid/kstrgrid.h"

namespace velloran {
namespace {

TColor Fallback(TColor value, TColor fallback, bool defaultLook) {
  return value == clNone || defaultLook ? fallback : value;
}

// A property that falls back in two steps: the canvas colour under the
// default look, else the property unless it is unset.
TColor LookOrUnset(TColor value, bool defaultLook, TColor lookColor, TColor unsetColor) {
  if (defaultLook) return lookColor;
  return value == clNone ? unsetColor : value;
}

TFont WithColor(const TFont& font, TColor color) {
  TFont result(font);
  result.SetColor(color);
  return result;
}

void DrawSortArrow(TCanvas& canvas, const TRect& rect, TColumnSorting order, TColor background) {
  const int x = rect.Right - 20;
  const int y = rect.Top + 10;
  TColor brush = canvas.BrushColor();
  TColor pen = canvas.PenColor();
  canvas.SetBrushColor(background);
  canvas.FillRect({rect.Right - 23, rect.Top + 2, rect.Right - 1, rect.Bottom - 2});
  canvas.SetBrushColor(clSilver);
  canvas.SetPenColor(clBlack);
  if (order == TColumnSorting::csAsc) {
    const TPoint points[] = {{x, y}, {x, y - 1}, {x + 4, y - 5}, {x + 8, y - 1}, {x + 8, y}};
    canvas.Polygon(points, 5);
    canvas.SetPenColor(clWhite);
    canvas.Line({x, y - 1}, {x + 4, y - 5});
  } else {
    const TPoint points[] = {{x, y - 5}, {x + 8, y - 5}, {x + 8, y - 4}, {x + 4, y}, {x, y - 4}};
    canvas.Polygon(points, 5);
    canvas.SetPenColor(clWhite);
    canvas.Line({x, y - 4}, {x + 4, y});
  }
  canvas.SetBrushColor(brush);
  canvas.SetPenColor(pen);
}

}  // namespace

void TKStringGrid::DrawCell(TCanvas& canvas, int col, int row, const TRect& rect, unsigned state) {
  if (visibleColumns_.Count() == 0 || col >= visibleColumns_.Count()) return;
  TKGridColumn& column = VisibleColumn(col);
  const bool look = defaultLook_;
  const TColor canvasFontColor = canvas.Font().Color();
  const TColor canvasBrush = Color();

  const TColor cellBackground = column.Color() == clNone ? Color() : column.Color();
  const TColor cellText = column.Font().Color();
  const TColor fixedText = Fallback(fixedFont_.Color(), canvasFontColor, look);
  const TColor headerText = Fallback(column.HeaderFont().Color(), canvasFontColor, look);
  const TColor activeFixedText = Fallback(activeFixedFont_.Color(), fixedText, look);
  const TColor activeHeaderText = Fallback(activeHeaderFont_.Color(), headerText, look);
  const TColor activeRowText = LookOrUnset(activeRowFontColor_, look, canvasFontColor, cellText);
  const TColor selectedText = LookOrUnset(selectedFontColor_, look, canvasFontColor, cellText);
  const TColor fixedBackground = LookOrUnset(fixedColor_, look, canvasBrush, cellBackground);
  const TColor ownHeader = column.HeaderColor() != clNone ? column.HeaderColor() : headerColor_;
  const TColor headerBackground = LookOrUnset(ownHeader, look, canvasBrush, cellBackground);
  const TColor activeFixedBackground = Fallback(activeFixedColor_, fixedBackground, look);
  const TColor activeHeaderBackground = Fallback(activeHeaderColor_, headerBackground, look);
  const TColor activeColBackground = Fallback(activeColColor_, cellBackground, look);
  const bool rowSelect = (Options() & goRowSelect) != 0;
  const TColor activeRowBackground =
      LookOrUnset(activeRowColor_, look, rowSelect ? canvasBrush : cellBackground, cellBackground);
  const TColor selectedBackground = LookOrUnset(selectedColor_, look, canvasBrush, cellBackground);

  TColor background;
  TFont font;
  std::string text;
  TAlignment alignment = column.Alignment();
  TColumnSorting arrow = TColumnSorting::csNone;

  if (row == 0) {
    if (col == CurrentCol()) {
      background = activeHeaderBackground;
      font = WithColor(activeHeaderFont_, activeHeaderText);
    } else {
      background = headerBackground;
      font = WithColor(column.HeaderFont(), headerText);
    }
    text = column.Caption();
    arrow = column.SortOrder();
  } else {
    const int dataRow = row - 1;
    const bool focusedRow = dataRow == CurrentRow();
    if (col < FrameFixedCols()) {
      if (focusedRow) {
        background = activeFixedBackground;
        font = WithColor(activeFixedFont_, activeFixedText);
      } else {
        background = fixedBackground;
        font = WithColor(fixedFont_, fixedText);
      }
    } else {
      TColor textColor = cellText;
      background = col == CurrentCol() ? activeColBackground : cellBackground;
      if (focusedRow) {
        background = activeRowBackground;
        textColor = activeRowText;
        if (rowSelect) {
          background = selectedBackground;
          textColor = selectedText;
        }
      } else {
        // The blank row of an empty grid is no data row: nothing of it is selected.
        const bool selected = (state & gdSelected) && !empty_;
        const bool focused = state & gdFocused;
        if ((selected && !focused) ||
            ((selected || focused) && (Options() & goDrawFocusSelected))) {
          background = selectedBackground;
          textColor = selectedText;
        }
      }
      font = WithColor(column.Font(), textColor);
    }
    TKCellProperties props{&font, background, alignment};
    if (OnGetCellProps) OnGetCellProps(*this, col, dataRow, props);
    background = props.Color;
    alignment = props.Alignment;
    if (!empty_) {
      text = (column.CellFlags(dataRow) & MultiLineFlag) ? column.StoredCell(dataRow)
                                                         : column.Cells(dataRow);
    }
  }

  canvas.SetFont(font);
  canvas.SetBrushColor(background);
  canvas.FillRect(rect);
  const int height = canvas.TextHeight(text);
  const int y = rect.Top + (rect.Bottom - rect.Top - height) / 2;
  int x = rect.Left + 3;
  if (alignment == TAlignment::taRightJustify)
    x = rect.Right - 3 - canvas.TextWidth(text);
  else if (alignment == TAlignment::taCenter)
    x = rect.Left + (rect.Right - rect.Left - canvas.TextWidth(text)) / 2;
  if (!text.empty()) canvas.TextRect(rect, x, y, text);
  if (row == 0 && arrow != TColumnSorting::csNone) DrawSortArrow(canvas, rect, arrow, background);

  if (row == 0) {
    if (OnDrawHeader) OnDrawHeader(*this, col, rect, state);
  } else if (OnDrawCell) {
    OnDrawCell(*this, col, row - 1, rect, state);
  }
}

}  // namespace velloran
