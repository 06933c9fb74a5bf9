#pragma once
// "Add servers": types the grid's servers one by one into WinMX's
// "Add New OpenNap" dialog, and "Select all above cursor", which prepares a
// selection for it. The run knows nothing of Win32: it drives WinMX through a
// WindowDriver and talks to the main window through an AddServersWindow.
//
// Threading and re-entrancy: the run occupies the user-interface thread from
// start to end, but lets the window handle its messages while it waits, so
// the window's handlers run inside RunAddServers. The window must keep the
// user from starting a second run or a refresh meanwhile (disable the panel),
// and tell the run through Ending() when the program is closing.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "framework/Exception.h"
#include "framework/Grid.h"
#include "grid/CellTable.h"
#include "winsearch/RWSUnit.h"

namespace velloran {

// The run stopped because WinMX did not do what it needed; the status bar
// already names what did not happen, the message tells it in full.
class EAddServersError : public Exception {
 public:
  using Exception::Exception;
};

// Keeps the 72 characters that WinMX allows in a login name or password
// (A-Z, a-z, 0-9 and ( ) + - = [ ] _ { }); every other byte goes.
std::string CleanLoginText(std::string_view text);
// A cleaned login name of at least 2 characters that is not the default "YourName".
bool LoginNameAccepted(const std::string& cleanedLogin);

// The cells of one grid row that the run types.
struct ServerRow {
  std::string server;
  std::string ip;
  std::string port;
  std::string network;
};
ServerRow ReadServerRow(const CellTable& grid, int row);
// The Network cell, or "[" Server "]" when the cell is exactly "n/a".
std::string NetworkText(const ServerRow& row);
// IP ":" Port, or Server ":" Port by host.
std::string AddressText(const ServerRow& row, bool byHost);
// "Adding " IP ":" Port " (" row ")": the row counts from 0.
std::string AddingStatus(const ServerRow& row, int rowIndex);

// "Select all above cursor": every row from the first down to and including
// the top row of the current selection, all seven columns.
TGridRect SelectAllAboveCursor(const TGridRect& selection);

// How a message reached a WinMX window.
enum class Delivery {
  Done,
  TimedOut,  // WinMX did not handle it within the driver's limit
  Failed,    // the window is gone
  Refused,   // the system refused it: WinMX runs with higher rights than this program
};

// What a failed post or send means, from the system's error code right after
// it and whether the window still exists. Windows refuses messages to a
// program of a higher integrity level (WinMX run as administrator, this
// program not) with ERROR_ACCESS_DENIED, while the window search, which only
// reads, still finds that program's windows.
Delivery FailedDelivery(unsigned long systemError, bool windowExists);
inline constexpr unsigned long AccessDeniedError = 5;  // ERROR_ACCESS_DENIED

// The run's message when WinMX refuses this program's messages.
inline constexpr const char* ElevatedWinMXText =
    "WinMX runs as administrator: start Velloran as administrator too, or WinMX without it";

// The few window operations the run needs. Handles are WinMX's windows.
class WindowDriver {
 public:
  virtual ~WindowDriver() = default;
  virtual WindowHandle DesktopWindow() = 0;
  virtual WindowHandle Parent(WindowHandle window) = 0;
  virtual bool IsVisible(WindowHandle window) = 0;
  // The window search below Parent (class and caption filters, case ignored).
  virtual int FindChildWindows(WindowHandle parent, const std::string& classFilter,
                               const std::string& captionFilter, hWndList& list) = 0;
  // BM_CLICK posted: returns once it is queued.
  virtual Delivery PostClick(WindowHandle button) = 0;
  // Sent, each waiting until WinMX has handled it: WM_SETTEXT, BM_SETCHECK
  // (ticked), BM_CLICK.
  virtual Delivery SendText(WindowHandle edit, const std::string& text) = 0;
  virtual Delivery SendCheck(WindowHandle box) = 0;
  virtual Delivery SendClick(WindowHandle button) = 0;
};

// What the run needs of the main window.
class AddServersWindow {
 public:
  virtual ~AddServersWindow() = default;
  // Status bar panel 0.
  virtual void SetStatusText(const std::string& text) = 0;
  // The plain message box: application title as caption, one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // Puts the cleaned texts back into the login and password boxes.
  virtual void WriteBackLogin(const std::string& login, const std::string& password) = 0;
  // Handles what is pending, then returns.
  virtual void ProcessMessages() = 0;
  // Sleeps until a message arrives or Limit passes, then handles what is pending.
  virtual void WaitForMessages(std::chrono::milliseconds limit) = 0;
  // The program is closing: the run stops at once.
  virtual bool Ending() = 0;
  // A steady clock for the waits' time limits.
  virtual std::chrono::milliseconds Now();
};

struct AddServersInput {
  std::string login;     // as typed; cleaned by the run
  std::string password;  // as typed; cleaned by the run
  std::string email;     // typed unchanged when registering
  bool byHost = false;
  bool selectedOnly = false;
  bool registerUser = true;
};

struct AddServersLimits {
  // From the click on Add until the dialog is there with all its controls.
  // Generous: a busy WinMX, or one whose server list is long, is slow to open it.
  std::chrono::milliseconds dialogOpen{30000};
  // From the click on OK until the dialog is gone.
  std::chrono::milliseconds dialogClose{30000};
  // Longest sleep between two searches while nothing else happens.
  std::chrono::milliseconds pollInterval{10};
};

enum class AddServersOutcome {
  Finished,         // every row was typed ("Finished" shown)
  WinMXNotRunning,  // "Start WinMX 3 first!" shown
  LoginRefused,     // "Enter login name!" shown
  Ended,            // the program is closing; stopped without a word
};

// The top and bottom data rows of the grid's current selection are read
// through this, once per row, when only selected rows are added.
using SelectionReader = std::function<TGridRect()>;

// The whole run of "Add servers". Throws EAddServersError, after setting the
// status text, when WinMX does not do what the run needs; when the system
// refuses the messages, its message is ElevatedWinMXText.
AddServersOutcome RunAddServers(const CellTable& grid, const SelectionReader& selection,
                                const AddServersInput& input, WindowDriver& driver,
                                AddServersWindow& window, const AddServersLimits& limits = {});

}  // namespace velloran
