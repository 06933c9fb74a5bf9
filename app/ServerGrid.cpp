#include "app/ServerGrid.h"

#include "app/GridCompare.h"

namespace velloran {

void SetUpServerGrid(TKStringGrid& grid) {
  const unsigned bold = static_cast<unsigned>(TFontStyle::Bold);
  // The grid's fonts first: new columns copy them.
  grid.SetFont(TFont("Small Fonts", -8));
  grid.HeaderFont().Assign(TFont("MS Sans Serif", -11, bold));
  grid.FixedFont().Assign(TFont("Small Fonts", -8));
  grid.ActiveHeaderFont().Assign(TFont("MS Sans Serif", -11, bold, clWhite));
  grid.ActiveFixedFont().Assign(TFont("MS Sans Serif", -11, 0, clWhite));
  grid.SetHeaderColor(clBtnFace);
  grid.SetFixedColor(clBtnFace);
  grid.SetSelectedColor(clHighlight);
  grid.SetSelectedFontColor(clHighlightText);
  grid.SetDefaultRowHeight(16);
  grid.SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect |
                  goRowSelect | goThumbTracking);
  grid.SetScrollBars(TScrollStyle::ssVertical);

  struct ColumnSpec {
    const char* caption;
    int width;
  };
  const ColumnSpec columns[] = {{"Server", 204}, {"IP", 96},    {"Port", 64},     {"Network", 136},
                                {"Users", 64},   {"Files", 64}, {"Gigabytes", 64}};
  for (const ColumnSpec& wanted : columns) {
    TKGridColumn& column = grid.Columns().AddColumn();
    column.SetCaption(wanted.caption);
    column.SetWidth(wanted.width);
    column.SetHeaderFont(TFont("MS Sans Serif", -11));
  }
  grid.SetRowCount(0);
  grid.OnCompareRows = &GridCompareRows;
}

}  // namespace velloran
