// grid-sample: a small window with the string grid, editing on, for trying
// the grid by hand and for the editor's tests. Nine rows of four columns:
// Name, Value, Notes and Id, of which Id is ReadOnly; the Notes cells of
// data rows 1 and 8 (the last row shown) hold two lines each. The status bar
// names the last editing event with its display column, data row and text,
// line breaks written as \r and \n:
//   OnSetEditText 1,2: text    OnCancelEdit 1,2: text    OnSelChange 1,2
#include <windows.h>

#include <string>

#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/Form.h"
#include "grid/KSGInplaceEdit.h"

namespace velloran {
namespace {

std::string Escaped(const std::string& text) {
  std::string shown;
  for (char c : text) {
    if (c == '\r')
      shown += "\\r";
    else if (c == '\n')
      shown += "\\n";
    else
      shown += c;
  }
  return shown;
}

std::string Cell(int col, int row) {
  return std::to_string(col) + "," + std::to_string(row);
}

class TSampleForm : public TForm {
 public:
  explicit TSampleForm(TComponent* owner) : TForm(owner, Args()) {
    SetUpGrid();
    ControlArgs place;
    place.left = 8;
    place.top = 8;
    place.width = 464;
    place.height = 200;
    Create<TKStringGridControl>(grid_, place);
    StatusBarArgs bar;
    bar.panelWidths = {480};
    status_ = &Create<TStatusBar>(bar);
    status_->SetPanelText(0, "Ready");
    Show();
  }

 private:
  static FormArgs Args() {
    FormArgs args;
    args.caption = "Grid sample";
    args.clientWidth = 480;
    args.clientHeight = 240;
    args.font = TFont("MS Sans Serif", -11);
    return args;
  }

  void SetUpGrid() {
    grid_.SetFont(TFont("MS Sans Serif", -11));
    grid_.SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing);
    grid_.SetScrollBars(TScrollStyle::ssVertical);
    struct Layout {
      const char* caption;
      int width;
    };
    for (Layout wanted :
         {Layout{"Name", 120}, Layout{"Value", 100}, Layout{"Notes", 160}, Layout{"Id", 60}}) {
      TKGridColumn& column = grid_.Columns().AddColumn();
      column.SetCaption(wanted.caption);
      column.SetWidth(wanted.width);
    }
    grid_.Columns()[3]->SetReadOnly(true);
    const char* names[] = {"alpha", "beta", "gamma", "delta", "epsilon",
                           "zeta",  "eta",  "theta", "iota"};
    grid_.SetRowCount(9);
    for (int row = 0; row < 9; ++row) {
      grid_.SetCells(0, row, names[row]);
      grid_.SetCells(1, row, std::to_string((row + 1) * 10));
      grid_.SetCells(2, row, "note " + std::to_string(row));
      grid_.SetCells(3, row, std::to_string(row + 1));
    }
    grid_.SetCells(2, 1, "first line\r\nsecond line");
    grid_.SetCells(2, 8, "last row\r\nits second line");
    grid_.OnSetEditText = [this](TKStringGrid&, int col, int row, const std::string& value) {
      Report("OnSetEditText " + Cell(col, row) + ": " + Escaped(value));
    };
    grid_.OnCancelEdit = [this](TKStringGrid&, int col, int row, const std::string& value) {
      Report("OnCancelEdit " + Cell(col, row) + ": " + Escaped(value));
    };
    grid_.OnSelChange = [this](TKStringGrid& grid) {
      Report("OnSelChange " + Cell(grid.CurrentCol(), grid.CurrentRow()));
    };
  }

  void Report(const std::string& text) {
    if (status_) status_->SetPanelText(0, text);
  }

  TKStringGrid grid_;
  TStatusBar* status_ = nullptr;
};

}  // namespace
}  // namespace velloran

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velloran::TApplication application(instance);
  application.SetTitle("Grid sample");
  int exitCode = 1;
  velloran::GuardHandler(&application, [&] {
    application.Create<velloran::TSampleForm>();
    application.Run();
    exitCode = 0;
  });
  return exitCode;
}
