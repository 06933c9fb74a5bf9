#include <gtest/gtest.h>

#include "tests/grid/RecordingCanvas.h"
#include "tests/grid/ServerGridFixture.h"

namespace velloran {
namespace {

class GridDrawing : public test::ServerGridTest {
 protected:
  test::RecordingCanvas Paint() {
    test::RecordingCanvas canvas;
    grid.Paint(canvas, {0, 0, grid.ClientWidth(), grid.ClientHeight()});
    return canvas;
  }
  const test::RecordingCanvas::Text& TextOf(const test::RecordingCanvas& canvas,
                                            const std::string& text) {
    const auto* found = canvas.Find(text);
    EXPECT_NE(found, nullptr) << text;
    static const test::RecordingCanvas::Text none{};
    return found ? *found : none;
  }
};

TEST_F(GridDrawing, HeaderOfTheFocusedColumnIsActive) {
  Fill({{"s1", "1.2.3.4"}});
  auto canvas = Paint();
  const auto& server = TextOf(canvas, "Server");
  EXPECT_EQ(server.font.Color(), clWhite);
  EXPECT_TRUE(server.font.Bold());
  EXPECT_EQ(canvas.FillOf(grid.CellRect(0, 0)), clGray);
  const auto& ip = TextOf(canvas, "IP");
  EXPECT_EQ(ip.font.Name(), "MS Sans Serif");
  EXPECT_EQ(ip.font.Height(), -11);
  EXPECT_FALSE(ip.font.Bold());
  EXPECT_EQ(canvas.FillOf(grid.CellRect(1, 0)), clBtnFace);
  // Text sits 3 pixels in and is centred vertically (16 - 13) / 2.
  EXPECT_EQ(ip.x, grid.CellRect(1, 0).Left + 3);
  EXPECT_EQ(ip.y, grid.CellRect(1, 0).Top + 1);
}

TEST_F(GridDrawing, FocusedAndSelectedRowsUseTheHighlight) {
  Fill({{"r0"}, {"r1"}, {"r2"}, {"r3"}});
  grid.SetSelection({0, 1, 6, 2});  // rows 1 and 2, focus on 2
  auto canvas = Paint();
  EXPECT_EQ(TextOf(canvas, "r0").font.Color(), clWindowText);
  EXPECT_EQ(canvas.FillOf(grid.CellRect(0, 1)), clWindow);
  for (const char* text : {"r1", "r2"})
    EXPECT_EQ(TextOf(canvas, text).font.Color(), clHighlightText);
  EXPECT_EQ(canvas.FillOf(grid.CellRect(0, 2)), clHighlight);
  EXPECT_EQ(canvas.FillOf(grid.CellRect(3, 3)), clHighlight);
  EXPECT_EQ(TextOf(canvas, "r0").font.Name(), "Small Fonts");
}

TEST_F(GridDrawing, SortArrowUnderTheHeadersRightEdge) {
  Fill({{"b"}, {"a"}});
  ClickHeader(IPX);
  auto canvas = Paint();
  TRect header = grid.CellRect(1, 0);
  int x = header.Right - 20, y = header.Top + 10;
  bool found = false;
  for (const auto& shape : canvas.shapes) {
    if (shape.points.size() != 5) continue;
    found = true;
    EXPECT_EQ(shape.points, (std::vector<TPoint>{
                                {x, y}, {x, y - 1}, {x + 4, y - 5}, {x + 8, y - 1}, {x + 8, y}}));
    EXPECT_EQ(shape.brush, clSilver);
    EXPECT_EQ(shape.pen, clBlack);
  }
  EXPECT_TRUE(found);
  ClickHeader(IPX);
  canvas = Paint();
  for (const auto& shape : canvas.shapes)
    if (shape.points.size() == 5) {
      EXPECT_EQ(shape.points[0], (TPoint{x, y - 5}));
    }
}

TEST_F(GridDrawing, CellPropertiesAndAlignmentPlaceTheText) {
  Fill({{"left", "right"}});
  grid.Columns()[1]->SetAlignment(TAlignment::taRightJustify);
  grid.OnGetCellProps = [](TKStringGrid&, int col, int, TKCellProperties& props) {
    if (col == 0) {
      props.Alignment = TAlignment::taCenter;
      props.Color = clGray;
    }
  };
  grid.SetSelection({0, 0, 0, 0});
  grid.FocusCell(0, 1, true);
  auto canvas = Paint();
  TRect first = grid.CellRect(0, 1), second = grid.CellRect(1, 1);
  EXPECT_EQ(TextOf(canvas, "right").x, second.Right - 3 - 6 * 5);
  EXPECT_EQ(TextOf(canvas, "left").x, first.Left + (first.Width() - 6 * 4) / 2);
  EXPECT_EQ(canvas.FillOf(first), clGray);
}

TEST_F(GridDrawing, DefaultLookUsesTheCanvasColours) {
  Fill({{"r0"}, {"r1"}});
  grid.SetDefaultLook(true);
  auto canvas = Paint();
  EXPECT_EQ(canvas.FillOf(grid.CellRect(1, 0)), grid.Color());
  EXPECT_EQ(TextOf(canvas, "r1").font.Color(), grid.Font().Color());
}

TEST(GridDrawingBare, NothingIsDrawnWithoutVisibleColumns) {
  TKStringGrid grid;
  grid.SetClientSize(200, 100);
  test::RecordingCanvas canvas;
  grid.Paint(canvas, {0, 0, 200, 100});
  EXPECT_TRUE(canvas.texts.empty());
}

}  // namespace
}  // namespace velloran
