#include "app/AddServers.h"

namespace velloran {
namespace {

constexpr const char* NetworksCaption = "OpenNap Protocol Networks";
constexpr const char* AddButtonCaption = "Add";
constexpr const char* FormCaption = "Add New OpenNap";
constexpr const char* FormName = "the \"Add New OpenNap\" form";
constexpr const char* RegisterCaption = "Register user name";

bool AllowedInLogin(char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("()+-=[]_{}").find(c) != std::string_view::npos;
}

// "30 seconds", "1 second", "1.5 seconds".
std::string SecondsText(std::chrono::milliseconds limit) {
  const long long ms = limit.count();
  std::string text = std::to_string(ms / 1000);
  if (ms % 1000 != 0) {
    std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    text += "." + fraction;
  }
  return text + (ms == 1000 ? " second" : " seconds");
}

// What the search sees of the dialog while WinMX is still making it.
enum class FormState { Missing, Several, Hidden, TooFewEdits, NoOkButton, Ready };

class Run {
 public:
  Run(const CellTable& grid, const SelectionReader& selection, const AddServersInput& input,
      WindowDriver& driver, AddServersWindow& window, const AddServersLimits& limits)
      : grid_(grid),
        selection_(selection),
        input_(input),
        driver_(driver),
        window_(window),
        limits_(limits),
        editsNeeded_(input.registerUser ? 5 : 4) {}

  AddServersOutcome Execute() {
    desktop_ = driver_.DesktopWindow();
    if (Find(desktop_, "", NetworksCaption) == 0) {
      window_.ShowMessage("Start WinMX 3 first!");
      return AddServersOutcome::WinMXNotRunning;
    }
    const WindowHandle networks = list_[0];

    login_ = CleanLoginText(input_.login);
    password_ = CleanLoginText(input_.password);
    window_.WriteBackLogin(login_, password_);
    if (!LoginNameAccepted(login_)) {
      window_.ShowMessage("Enter login name!");
      return AddServersOutcome::LoginRefused;
    }

    const WindowHandle parent = driver_.Parent(networks);
    if (parent != 0 && Find(parent, "", AddButtonCaption) > 0) addButton_ = list_[0];

    const int rows = grid_.RowCount();
    for (int r = 0; r < rows; ++r) {
      if (input_.selectedOnly) {
        const TGridRect selected = selection_();
        if (r < selected.Top || r > selected.Bottom) continue;
      }
      if (!AddRow(r)) return AddServersOutcome::Ended;
    }
    window_.SetStatusText("Finished");
    return AddServersOutcome::Finished;
  }

 private:
  // Types one row into a fresh dialog. False when the program is ending.
  bool AddRow(int r) {
    row_ = ReadServerRow(grid_, r);
    rowIndex_ = r;
    if (addButton_ == 0)
      Stop("Add button not found",
           std::string("WinMX's Add button was not found beside \"") + NetworksCaption + "\"");
    Deliver(driver_.PostClick(addButton_), "clicking WinMX's Add button");
    window_.SetStatusText("Waiting for Add form...");

    const WindowHandle dialog = WaitForForm();
    if (dialog == 0) return false;
    window_.SetStatusText("Found");

    if (Find(dialog, "Edit", "") < 4) StopIncomplete("has fewer than four edit boxes");
    window_.SetStatusText(AddingStatus(row_, r));
    Deliver(driver_.SendText(list_[0], NetworkText(row_)), "typing the network name");
    Deliver(driver_.SendText(list_[1], AddressText(row_, input_.byHost)),
            "typing the server address");
    Deliver(driver_.SendText(list_[2], login_), "typing the login name");
    Deliver(driver_.SendText(list_[3], password_), "typing the password");

    if (input_.registerUser) {
      if (Find(dialog, "Button", RegisterCaption) == 0)
        StopIncomplete(std::string("has no \"") + RegisterCaption + "\" box");
      Deliver(driver_.SendCheck(list_[0]), std::string("ticking \"") + RegisterCaption + "\"");
      // WinMX may change the form when the box is ticked: look again.
      if (Find(dialog, "Edit", "") < 5) StopIncomplete("has fewer than five edit boxes");
      Deliver(driver_.SendText(list_[4], input_.email), "typing the e-mail address");
    }

    if (Find(dialog, "Button", "OK") == 0) StopIncomplete("has no OK button");
    Deliver(driver_.SendClick(list_[0]), "clicking OK");

    window_.ProcessMessages();
    if (window_.Ending()) return false;
    return WaitUntilFormGone();
  }

  // The dialog exists before its controls: wait until it is shown and holds
  // every box that this row needs, so that no text lands in the wrong box.
  // Returns 0 when the program is ending.
  WindowHandle WaitForForm() {
    const auto deadline = window_.Now() + limits_.dialogOpen;
    for (;;) {
      WindowHandle dialog = 0;
      const FormState state = LookAtForm(dialog);
      if (state == FormState::Ready) return dialog;
      if (window_.Now() >= deadline) StopWaitingForForm(state);
      window_.WaitForMessages(limits_.pollInterval);
      if (window_.Ending()) return 0;
    }
  }

  FormState LookAtForm(WindowHandle& dialog) {
    const int found = Find(desktop_, "", FormCaption);
    if (found == 0) return FormState::Missing;
    if (found > 1) return FormState::Several;
    dialog = list_[0];
    if (!driver_.IsVisible(dialog)) return FormState::Hidden;
    if (Find(dialog, "Edit", "") < editsNeeded_) return FormState::TooFewEdits;
    if (Find(dialog, "Button", "OK") == 0) return FormState::NoOkButton;
    return FormState::Ready;
  }

  [[noreturn]] void StopWaitingForForm(FormState state) {
    const std::string within = " within " + SecondsText(limits_.dialogOpen);
    switch (state) {
      case FormState::Missing:
        Stop("Add form did not open", std::string("WinMX did not open ") + FormName + within);
      case FormState::Several:
        Stop("more than one Add form",
             std::string("More than one \"") + FormCaption + "\" form is open");
      case FormState::Hidden:
        Stop("Add form not shown", std::string("WinMX did not show ") + FormName + within);
      case FormState::TooFewEdits:
        StopIncomplete(editsNeeded_ == 5 ? "has fewer than five edit boxes"
                                         : "has fewer than four edit boxes");
      case FormState::NoOkButton:
      case FormState::Ready:
        break;
    }
    StopIncomplete("has no OK button");
  }

  // True once no dialog is left; false when the program is ending.
  bool WaitUntilFormGone() {
    const auto deadline = window_.Now() + limits_.dialogClose;
    while (Find(desktop_, "", FormCaption) != 0) {
      if (window_.Now() >= deadline)
        Stop("Add form did not close", std::string("WinMX did not close ") + FormName + " within " +
                                           SecondsText(limits_.dialogClose) +
                                           "; it may have refused the entry");
      window_.WaitForMessages(limits_.pollInterval);
      if (window_.Ending()) return false;
    }
    return true;
  }

  int Find(WindowHandle parent, const std::string& classFilter, const std::string& captionFilter) {
    return driver_.FindChildWindows(parent, classFilter, captionFilter, list_);
  }

  void Deliver(Delivery delivery, const std::string& action) {
    if (delivery == Delivery::TimedOut)
      Stop("WinMX not responding", "WinMX did not respond while " + action);
    if (delivery == Delivery::Failed)
      Stop("WinMX window gone", "WinMX's window could not be reached while " + action);
    if (delivery == Delivery::Refused) {
      // Not about this row: the user has to restart one of the two programs.
      SetStoppedStatus("WinMX runs as administrator");
      throw EAddServersError(ElevatedWinMXText);
    }
  }

  [[noreturn]] void StopIncomplete(const std::string& what) {
    Stop("Add form incomplete", std::string("The \"") + FormCaption + "\" form " + what);
  }

  // Names what did not happen in the status bar and in the error's message.
  [[noreturn]] void Stop(const std::string& status, const std::string& message) {
    SetStoppedStatus(status);
    throw EAddServersError(message + " (stopped at " + row_.ip + ":" + row_.port + ", row " +
                           std::to_string(rowIndex_) + ")");
  }

  void SetStoppedStatus(const std::string& status) {
    window_.SetStatusText("Stopped: " + status + " (" + std::to_string(rowIndex_) + ")");
  }

  const CellTable& grid_;
  const SelectionReader& selection_;
  const AddServersInput& input_;
  WindowDriver& driver_;
  AddServersWindow& window_;
  const AddServersLimits& limits_;
  const int editsNeeded_;

  hWndList list_;
  WindowHandle desktop_ = 0;
  WindowHandle addButton_ = 0;
  std::string login_;
  std::string password_;
  ServerRow row_;
  int rowIndex_ = 0;
};

}  // namespace

std::string CleanLoginText(std::string_view text) {
  std::string cleaned;
  for (char c : text) {
    if (AllowedInLogin(c)) cleaned += c;
  }
  return cleaned;
}

bool LoginNameAccepted(const std::string& cleanedLogin) {
  return cleanedLogin.size() >= 2 && cleanedLogin != "YourName";
}

ServerRow ReadServerRow(const CellTable& grid, int row) {
  return {grid.Cell(0, row), grid.Cell(1, row), grid.Cell(2, row), grid.Cell(3, row)};
}

std::string NetworkText(const ServerRow& row) {
  return row.network == "n/a" ? "[" + row.server + "]" : row.network;
}

std::string AddressText(const ServerRow& row, bool byHost) {
  return (byHost ? row.server : row.ip) + ":" + row.port;
}

std::string AddingStatus(const ServerRow& row, int rowIndex) {
  return "Adding " + row.ip + ":" + row.port + " (" + std::to_string(rowIndex) + ")";
}

TGridRect SelectAllAboveCursor(const TGridRect& selection) {
  return {0, 0, 6, selection.Top};
}

Delivery FailedDelivery(unsigned long systemError, bool windowExists) {
  if (systemError == AccessDeniedError) return Delivery::Refused;
  // A window that still exists and took nothing is a WinMX that is busy or hung.
  return windowExists ? Delivery::TimedOut : Delivery::Failed;
}

std::chrono::milliseconds AddServersWindow::Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

AddServersOutcome RunAddServers(const CellTable& grid, const SelectionReader& selection,
                                const AddServersInput& input, WindowDriver& driver,
                                AddServersWindow& window, const AddServersLimits& limits) {
  return Run(grid, selection, input, driver, window, limits).Execute();
}

}  // namespace velloran
