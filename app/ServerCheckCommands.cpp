// The server check's part of the main window: its commands in the grid's
// shortcut menu, the rows' outcomes in the grid's colours and the counts in
// the status bar, and "Copy".
//
// A check runs on the user-interface thread without blocking it: the
// connector's socket notices and its one timer arrive as messages, so the
// window scrolls, sorts and closes as usual meanwhile. Outcomes are kept
// under each row's stored index, which travels with the row through sorts;
// the window's grid never inserts or deletes single rows (it can't be
// edited), and every new list comes through ListReplaced, which drops them.
#include <memory>
#include <string>
#include <vector>

#include "app/MainUnit.h"
#include "app/RowsText.h"
#include "app/ServerCheck.h"
#include "app/ServerGrid.h"
#include "framework/Clipboard.h"
#include "net/TcpConnector.h"

namespace velloran {
namespace {

// Rows being checked lie on a pale blue band; rows that did not answer are
// grey, and those that could not be tried (no dotted address and port) grey
// and italic. On the selection's colour a lighter grey stays legible.
constexpr TColor CheckingBackground = 0xFFF0E0;
constexpr TColor NoAnswerText = clGray;
constexpr TColor NoAnswerSelectedText = clSilver;

std::string ProgressText(const ServerCheck& check) {
  if (check.Running())
    return "Checking servers... " + std::to_string(check.Done()) + " of " +
           std::to_string(check.Total()) + ", " + std::to_string(check.Answered()) + " answered";
  if (check.Done() < check.Total())
    return "Checking stopped: " + std::to_string(check.Done()) + " of " +
           std::to_string(check.Total()) + " checked, " + std::to_string(check.Answered()) +
           " answered";
  return std::to_string(check.Answered()) + " of " + std::to_string(check.Total()) +
         " servers answered";
}

}  // namespace

struct TForm1::ServerCheckState {
  explicit ServerCheckState(TApplication* application) : connector(application), check(connector) {}
  TTcpConnector connector;
  ServerCheck check;
};

void TForm1::ServerCheckStateDeleter::operator()(ServerCheckState* state) const {
  std::default_delete<ServerCheckState>()(state);
}

ServerCheck& TForm1::TheServerCheck() {
  if (serverCheck_) return serverCheck_->check;
  serverCheck_.reset(std::make_unique<ServerCheckState>(Application()).release());
  ServerCheck& check = serverCheck_->check;
  check.OnProgress = [this] { ShowCheckProgress(); };
  Grid.OnGetCellProps = [this](TKStringGrid& grid, int, int row, TKCellProperties& props) {
    if (row < 0 || row >= grid.RowCount()) return;
    const CheckOutcome outcome = serverCheck_->check.Outcome(grid.StoredRow(row));
    const bool selected = props.Color == grid.SelectedColor();
    if (outcome == CheckOutcome::Checking && !selected) props.Color = CheckingBackground;
    if (NoAnswer(outcome) || outcome == CheckOutcome::NotCheckable)
      props.Font->SetColor(selected ? NoAnswerSelectedText : NoAnswerText);
    if (outcome == CheckOutcome::NotCheckable)
      props.Font->SetStyles(props.Font->Styles() | static_cast<unsigned>(TFontStyle::Italic));
  };
  // Closing the window ends the attempts at once, before anything else of the close.
  auto closing = std::move(OnClose);
  OnClose = [this, closing](TCloseAction& action) {
    StopServerCheck();
    if (closing) closing(action);
  };
  return check;
}

void TForm1::AddServerCheckItems(TPopupMenu& menu) {
  const bool running = serverCheck_ && serverCheck_->check.Running();
  const bool rows = Grid.RowCount() > 0;
  // Not while a refresh or an add-servers run has the lower panel: the one
  // would replace the rows under the check, the other owns the status bar.
  const bool idle = !refreshing_ && Panel1->Enabled();
  menu.Add(
      "Check servers", [this] { CheckServers(); }, rows && idle && !running);
  if (running) menu.Add("Stop checking", [this] { StopServerCheck(); });
  const bool answered = serverCheck_ && serverCheck_->check.Answered() > 0;
  menu.Add(
      "Select servers that answered", [this] { SelectServersThatAnswered(); }, answered);
  menu.AddSeparator();
  menu.Add(
      "Copy", [this] { CopySelectedRows(); }, rows);
}

void TForm1::CheckServers() {
  ServerCheck& check = TheServerCheck();
  // A selection of one row is only where the cursor is: then every row.
  const TGridRect selection = Grid.Selection();
  int first = 0;
  int last = Grid.RowCount() - 1;
  if (selection.Bottom > selection.Top) {
    first = selection.Top;
    last = selection.Bottom;
  }
  std::vector<ServerCheck::Row> rows;
  rows.reserve(static_cast<std::size_t>(last - first + 1));
  for (int row = first; row <= last; ++row)
    rows.push_back(
        {Grid.StoredRow(row), ConnectTargetOf(Grid.Cells(colIP, row), Grid.Cells(colPort, row))});
  check.Start(rows, Grid.StoredRowCount());
}

void TForm1::StopServerCheck() {
  if (serverCheck_) serverCheck_->check.Stop();
}

void TForm1::SelectServersThatAnswered() {
  if (!serverCheck_) return;
  const ServerCheck& check = serverCheck_->check;
  // The grid's selection is one block of rows: the rows that answered go to
  // the top, in the order they are in, and the block is selected.
  const int answered =
      Grid.MoveRowsToTop([&check](int id) { return check.Outcome(id) == CheckOutcome::Answered; });
  if (answered == 0) return;
  Grid.SetSelection({0, 0, Grid.ColumnCount() - 1, answered - 1});
  Grid.VerticalScrollTo(Grid.FixedRows());
}

void TForm1::CopySelectedRows() {
  if (Grid.RowCount() == 0) return;
  const TGridRect selection = Grid.Selection();
  SetClipboardText(Handle(), RowsText(Grid, selection.Top, selection.Bottom));
}

void TForm1::ShowCheckProgress() {
  Grid.Invalidate();
  const ServerCheck& check = serverCheck_->check;
  // A refresh's texts stand while it runs; a forgotten check has none.
  if (refreshing_ || check.Total() == 0) return;
  SB->SetPanelText(0, ProgressText(check));
}

void TForm1::ListReplaced() {
  if (serverCheck_) serverCheck_->check.Forget();
  Grid.Invalidate();
}

}  // namespace velloran
