#include "app/AddServers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/support/MemoryCellTable.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// --- Texts -----------------------------------------------------------------

TEST(AddServersTexts, LoginCleaningKeepsExactlyTheAllowedCharacters) {
  const std::string allowed =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789()+-=[]_{}";
  std::string everyByte;
  for (int c = 1; c < 256; ++c) everyByte += static_cast<char>(c);
  std::string kept = CleanLoginText(everyByte);
  std::sort(kept.begin(), kept.end());
  std::string expected = allowed;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(kept, expected);
  EXPECT_EQ(kept.size(), 72u);

  const struct {
    std::string typed, cleaned;
  } cases[] = {
      {"Two Words!", "TwoWords"},
      {"pa ss.w,o;r'd\t", "password"},
      {"[x]_{y}(z)+1-2=3", "[x]_{y}(z)+1-2=3"},
      {"\xE9t\xE9", "t"},
      {std::string("a\0b", 3), "ab"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanLoginText(c.typed), c.cleaned) << c.typed;
}

TEST(AddServersTexts, LoginNameNeedsTwoCharactersAndNotTheDefault) {
  const struct {
    std::string login;
    bool accepted;
  } cases[] = {{"ab", true},        {"a", false},       {"", false},
               {"YourName", false}, {"yourname", true}, {"YourName2", true}};
  for (const auto& c : cases) EXPECT_EQ(LoginNameAccepted(c.login), c.accepted) << c.login;
}

TEST(AddServersTexts, NetworkAddressAndStatusOfARow) {
  const ServerRow named{"opennap.example.org", "10.1.2.3", "8888", "Napigator"};
  EXPECT_EQ(NetworkText(named), "Napigator");
  EXPECT_EQ(AddressText(named, false), "10.1.2.3:8888");
  EXPECT_EQ(AddressText(named, true), "opennap.example.org:8888");
  // The status names the IP whichever address form is typed.
  EXPECT_EQ(AddingStatus(named, 12), "Adding 10.1.2.3:8888 (12)");

  const struct {
    std::string network, typed;
  } networks[] = {{"n/a", "[opennap.example.org]"}, {"N/A", "N/A"}, {"n/a ", "n/a "}, {"", ""}};
  for (const auto& n : networks) {
    ServerRow row = named;
    row.network = n.network;
    EXPECT_EQ(NetworkText(row), n.typed) << n.network;
  }
}

TEST(AddServersTexts, SelectAllAboveCursorSelectsFromTheFirstRowToTheSelectionsTop) {
  EXPECT_EQ(SelectAllAboveCursor({0, 7, 6, 9}), (TGridRect{0, 0, 6, 7}));
  EXPECT_EQ(SelectAllAboveCursor({2, 0, 3, 0}), (TGridRect{0, 0, 6, 0}));
}

// --- The run against a scripted WinMX -------------------------------------

// WinMX as windows in memory that answer the run's messages as WinMX does:
// a posted click on Add opens the form, WM_SETTEXT fills a box, a sent click
// on OK takes the entry and closes the form. Knobs script how it misbehaves.
class FakeWinMX : public WindowDriver {
 public:
  static constexpr WindowHandle Desktop = 1;

  // How WinMX behaves.
  bool running = true;
  bool addButton = true;
  int edits = 5;
  bool registerBox = true;
  bool okButton = true;
  int formsPerClick = 1;    // how many "Add New OpenNap" windows a click opens
  int openAfterWaits = 0;   // the form appears after this many of the run's waits
  int controlsPerWait = 0;  // 0: complete at once; else frame first, controls as the run waits
  bool neverShown = false;  // the frame stays hidden
  int closeAfterWaits = 1;  // after OK, the form goes after this many waits
  bool reject = false;      // OK takes nothing, the form stays
  std::map<std::string, Delivery> answers;  // per window name; Done when not listed

  // What happened.
  Strings sent;                  // messages to WinMX, in order
  std::vector<Strings> entries;  // accepted: five texts and "ticked"/"not ticked"
  Strings* timeline = nullptr;   // shared with the window side: searches, waits, statuses

  FakeWinMX() {
    Add(0, "", "");  // the desktop
    noise_ = Add(Desktop, "Notepad", "Untitled - Notepad");
    Add(noise_, "Edit", "notes");
  }

  void Start() {
    if (!running) return;
    WindowHandle main = Add(Desktop, "WinMXMain", "WinMX v3.31");
    Add(main, "Static", "OpenNap Protocol Networks");
    if (addButton) addButton_ = Add(main, "Button", "Add");
  }

  // The run waited: WinMX gets on with its work.
  void Tick() {
    if (opening_ > 0 && --opening_ == 0) OpenForms();
    for (int i = 0; i < controlsPerWait && !pending_.empty(); ++i) CreatePendingControl();
    if (closing_ > 0 && --closing_ == 0) CloseForms();
  }

  WindowHandle DesktopWindow() override { return Desktop; }
  WindowHandle Parent(WindowHandle window) override {
    return Exists(window) ? windows_.at(window).parent : 0;
  }
  bool IsVisible(WindowHandle window) override {
    return Exists(window) && windows_.at(window).visible;
  }
  int FindChildWindows(WindowHandle parent, const std::string& classFilter,
                       const std::string& captionFilter, hWndList& list) override {
    if (timeline && parent == Desktop) timeline->push_back("search " + captionFilter);
    return velloran::FindChildWindows(tree_, parent, classFilter, captionFilter, list);
  }

  Delivery PostClick(WindowHandle button) override {
    Delivery answer = Receive(button, "post BM_CLICK");
    if (answer == Delivery::Done && button == addButton_ && forms_.empty() && opening_ == 0) {
      opening_ = openAfterWaits;
      if (opening_ == 0) OpenForms();
    }
    return answer;
  }
  Delivery SendText(WindowHandle edit, const std::string& text) override {
    Delivery answer = Receive(edit, "WM_SETTEXT", text);
    if (answer == Delivery::Done) windows_.at(edit).text = text;
    return answer;
  }
  Delivery SendCheck(WindowHandle box) override {
    Delivery answer = Receive(box, "BM_SETCHECK");
    if (answer == Delivery::Done) windows_.at(box).checked = true;
    return answer;
  }
  Delivery SendClick(WindowHandle button) override {
    Delivery answer = Receive(button, "BM_CLICK");
    if (answer == Delivery::Done && windows_.at(button).text == "OK" && !reject) {
      Accept(windows_.at(button).parent);
      closing_ = closeAfterWaits;
      if (closing_ == 0) CloseForms();
    }
    return answer;
  }

 private:
  struct Window {
    WindowHandle parent = 0;
    std::string className, text, name;
    bool visible = true;
    bool checked = false;
    std::vector<WindowHandle> children;
  };
  struct Control {
    std::string className, text, name;
  };

  class Tree : public WindowTree {
   public:
    explicit Tree(const FakeWinMX& winmx) : winmx_(winmx) {}
    WindowHandle FirstChild(WindowHandle parent) const override {
      const auto& children = winmx_.windows_.at(parent).children;
      return children.empty() ? 0 : children.front();
    }
    WindowHandle NextSibling(WindowHandle window) const override {
      const auto& siblings = winmx_.windows_.at(winmx_.windows_.at(window).parent).children;
      auto it = std::find(siblings.begin(), siblings.end(), window);
      return it + 1 == siblings.end() ? 0 : *(it + 1);
    }
    std::string ClassName(WindowHandle window) const override {
      return winmx_.windows_.at(window).className;
    }
    std::string Text(WindowHandle window) const override { return winmx_.windows_.at(window).text; }

   private:
    const FakeWinMX& winmx_;
  };

  WindowHandle Add(WindowHandle parent, std::string className, std::string text,
                   std::string name = "") {
    WindowHandle id = next_++;
    if (name.empty()) name = text;
    windows_[id] = {parent, std::move(className), std::move(text), std::move(name), true, false,
                    {}};
    if (id != Desktop) windows_.at(parent).children.push_back(id);
    return id;
  }
  bool Exists(WindowHandle window) const { return window != 0 && windows_.count(window) > 0; }

  Delivery Receive(WindowHandle window, const std::string& message, const std::string& text = "") {
    if (!Exists(window)) {
      ADD_FAILURE() << message << " to a window that does not exist";
      return Delivery::Failed;
    }
    const std::string& name = windows_.at(window).name;
    std::string line = message + " " + name + (text.empty() ? "" : " " + text);
    sent.push_back(line);
    if (timeline) timeline->push_back(line);
    auto answer = answers.find(name);
    return answer == answers.end() ? Delivery::Done : answer->second;
  }

  void OpenForms() {
    for (int i = 0; i < formsPerClick; ++i) {
      WindowHandle form = Add(Desktop, "#32770", "Add New OpenNap");
      forms_.push_back(form);
      pending_.clear();
      pending_.push_back({"Static", "Network", "label"});
      for (int e = 0; e < edits; ++e) pending_.push_back({"Edit", "", "edit" + std::to_string(e)});
      if (registerBox) pending_.push_back({"Button", "Register user name", ""});
      if (okButton) pending_.push_back({"Button", "OK", ""});
      pending_.push_back({"Button", "Cancel", ""});
      if (controlsPerWait == 0) {
        while (!pending_.empty()) CreatePendingControl();
      }
      windows_.at(form).visible = !neverShown;
    }
  }

  void CreatePendingControl() {
    const Control control = pending_.front();
    pending_.erase(pending_.begin());
    Add(forms_.back(), control.className, control.text, control.name);
  }

  void Accept(WindowHandle form) {
    Strings entry;
    bool ticked = false;
    for (WindowHandle child : windows_.at(form).children) {
      const Window& window = windows_.at(child);
      if (window.className == "Edit") entry.push_back(window.text);
      if (window.text == "Register user name") ticked = window.checked;
    }
    entry.push_back(ticked ? "ticked" : "not ticked");
    entries.push_back(entry);
  }

  void CloseForms() {
    for (WindowHandle form : forms_) {
      for (WindowHandle child : windows_.at(form).children) windows_.erase(child);
      std::erase(windows_.at(Desktop).children, form);
      windows_.erase(form);
    }
    forms_.clear();
  }

  std::map<WindowHandle, Window> windows_;
  Tree tree_{*this};
  WindowHandle next_ = Desktop;
  WindowHandle noise_ = 0;
  WindowHandle addButton_ = 0;
  std::vector<WindowHandle> forms_;
  std::vector<Control> pending_;
  int opening_ = 0;
  int closing_ = 0;
};

// The main window's side: records what the user would see, keeps a clock
// that moves only while the run waits, and lets WinMX work meanwhile.
class FakeWindow : public AddServersWindow {
 public:
  explicit FakeWindow(FakeWinMX& winmx) : winmx_(winmx) {}

  Strings statuses;
  Strings messages;
  Strings timeline;
  std::string login, password;  // written back
  int processCalls = 0;
  int waits = 0;
  int endAfterWaits = -1;  // the user closes the program after this many waits
  std::function<void()> onProcess;

  void SetStatusText(const std::string& text) override {
    statuses.push_back(text);
    timeline.push_back("status " + text);
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void WriteBackLogin(const std::string& cleanedLogin,
                      const std::string& cleanedPassword) override {
    login = cleanedLogin;
    password = cleanedPassword;
  }
  void ProcessMessages() override {
    ++processCalls;
    timeline.push_back("process");
    if (onProcess) onProcess();
  }
  void WaitForMessages(std::chrono::milliseconds limit) override {
    ++waits;
    timeline.push_back("wait");
    now_ += limit;
    winmx_.Tick();
  }
  bool Ending() override { return waits == endAfterWaits; }
  std::chrono::milliseconds Now() override { return now_; }

 private:
  FakeWinMX& winmx_;
  std::chrono::milliseconds now_{1000};
};

class AddServersRun : public ::testing::Test {
 protected:
  AddServersRun() {
    input.login = "Nap User!";
    input.password = "se cret";
    input.email = "me@example.org";
    limits.dialogOpen = 2000ms;
    limits.dialogClose = 1500ms;
    limits.pollInterval = 10ms;
    winmx.timeline = &window.timeline;
    SetRows(2);
  }

  void SetRows(int count) {
    grid.SetRowCount(count);
    for (int r = 0; r < count; ++r) {
      const std::string n = std::to_string(r);
      grid.SetCell(0, r, "host" + n + ".example");
      grid.SetCell(1, r, "10.0.0." + n);
      grid.SetCell(2, r, std::to_string(8000 + r));
      grid.SetCell(3, r, "Net" + n);
    }
  }

  AddServersOutcome Run() {
    winmx.Start();
    return RunAddServers(
        grid, [this] { return selection; }, input, winmx, window, limits);
  }

  // Runs against WinMX and Window and expects a stop; returns the error's message.
  std::string RunUntilStopped(FakeWinMX& winmx, FakeWindow& window) {
    try {
      RunAddServers(
          grid, [&] { return selection; }, input, winmx, window, limits);
    } catch (const EAddServersError& error) {
      return error.what();
    }
    ADD_FAILURE() << "the run did not stop";
    return "";
  }

  // The messages one registering row sends, in order.
  static Strings RowMessages(int r, const std::string& address) {
    const std::string n = std::to_string(r);
    return {"post BM_CLICK Add",
            "WM_SETTEXT edit0 Net" + n,
            "WM_SETTEXT edit1 " + address,
            "WM_SETTEXT edit2 NapUser",
            "WM_SETTEXT edit3 secret",
            "BM_SETCHECK Register user name",
            "WM_SETTEXT edit4 me@example.org",
            "BM_CLICK OK"};
  }
  static Strings RowStatuses(int r) {
    const std::string n = std::to_string(r);
    return {"Waiting for Add form...", "Found",
            "Adding 10.0.0." + n + ":" + std::to_string(8000 + r) + " (" + n + ")"};
  }

  // No two searches for the form without a pause or a message in between.
  void ExpectNoBackToBackSearches() {
    const std::string search = "search Add New OpenNap";
    for (size_t i = 1; i < window.timeline.size(); ++i)
      EXPECT_FALSE(window.timeline[i] == search && window.timeline[i - 1] == search) << i;
  }

  MemoryCellTable grid;
  TGridRect selection{0, 0, 6, 0};
  AddServersInput input;
  AddServersLimits limits;
  FakeWinMX winmx;
  FakeWindow window{winmx};
};

TEST_F(AddServersRun, TypesEveryRowIntoItsOwnFormAndRegisters) {
  grid.SetCell(3, 1, "n/a");
  EXPECT_EQ(Run(), AddServersOutcome::Finished);

  Strings expected = RowMessages(0, "10.0.0.0:8000");
  Strings second = RowMessages(1, "10.0.0.1:8001");
  second[1] = "WM_SETTEXT edit0 [host1.example]";
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(winmx.sent, expected);

  Strings statuses = RowStatuses(0);
  for (const auto& s : RowStatuses(1)) statuses.push_back(s);
  statuses.push_back("Finished");
  EXPECT_EQ(window.statuses, statuses);

  EXPECT_EQ(
      winmx.entries,
      (std::vector<Strings>{
          {"Net0", "10.0.0.0:8000", "NapUser", "secret", "me@example.org", "ticked"},
          {"[host1.example]", "10.0.0.1:8001", "NapUser", "secret", "me@example.org", "ticked"}}));
  EXPECT_EQ(window.login, "NapUser");
  EXPECT_EQ(window.password, "secret");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.processCalls, 2);
  // The next row's click comes only once the form of the last one has gone.
  auto firstClick = std::find(window.timeline.begin(), window.timeline.end(), "BM_CLICK OK");
  auto secondAdd = std::find(firstClick, window.timeline.end(), "post BM_CLICK Add");
  ASSERT_NE(secondAdd, window.timeline.end());
  EXPECT_EQ(*(secondAdd - 1), "search Add New OpenNap");
  ExpectNoBackToBackSearches();
}

TEST_F(AddServersRun, WithoutRegisteringNeitherTheTickNorAFifthBoxIsTouched) {
  input.registerUser = false;
  input.byHost = true;
  winmx.edits = 4;
  winmx.registerBox = false;
  SetRows(1);
  EXPECT_EQ(Run(), AddServersOutcome::Finished);
  EXPECT_EQ(winmx.sent, (Strings{"post BM_CLICK Add", "WM_SETTEXT edit0 Net0",
                                 "WM_SETTEXT edit1 host0.example:8000", "WM_SETTEXT edit2 NapUser",
                                 "WM_SETTEXT edit3 secret", "BM_CLICK OK"}));
  // By host the status still shows the IP.
  EXPECT_EQ(window.statuses[2], "Adding 10.0.0.0:8000 (0)");
}

TEST_F(AddServersRun, SelectedRowsOnly) {
  SetRows(10);
  input.selectedOnly = true;
  selection = {0, 3, 6, 5};
  EXPECT_EQ(Run(), AddServersOutcome::Finished);
  ASSERT_EQ(winmx.entries.size(), 3u);
  EXPECT_EQ(winmx.entries[0][1], "10.0.0.3:8003");
  EXPECT_EQ(winmx.entries[2][1], "10.0.0.5:8005");
  Strings adding;
  for (const auto& s : window.statuses)
    if (s.rfind("Adding", 0) == 0) adding.push_back(s);
  EXPECT_EQ(adding, (Strings{"Adding 10.0.0.3:8003 (3)", "Adding 10.0.0.4:8004 (4)",
                             "Adding 10.0.0.5:8005 (5)"}));
}

TEST_F(AddServersRun, NothingToAddGoesStraightToFinished) {
  const struct {
    int rows;
    bool selectedOnly;
    TGridRect selection;
  } cases[] = {{0, false, {}}, {0, true, {0, 0, 6, 0}}, {4, true, {0, 6, 6, 9}}};
  for (const auto& c : cases) {
    FakeWinMX winmx;
    FakeWindow window(winmx);
    SetRows(c.rows);
    input.selectedOnly = c.selectedOnly;
    winmx.Start();
    EXPECT_EQ(RunAddServers(
                  grid, [&] { return c.selection; }, input, winmx, window, limits),
              AddServersOutcome::Finished);
    EXPECT_TRUE(winmx.sent.empty());
    EXPECT_EQ(window.statuses, Strings{"Finished"});
  }
}

TEST_F(AddServersRun, WithoutWinMXNothingElseHappens) {
  winmx.running = false;
  EXPECT_EQ(Run(), AddServersOutcome::WinMXNotRunning);
  EXPECT_EQ(window.messages, Strings{"Start WinMX 3 first!"});
  EXPECT_TRUE(window.statuses.empty());
  EXPECT_TRUE(winmx.sent.empty());
  // The login boxes keep what the user typed.
  EXPECT_EQ(window.login, "");
}

TEST_F(AddServersRun, RefusedLoginNamesAreWrittenBackCleanedAndNothingIsAdded) {
  const struct {
    std::string typed, cleaned;
  } cases[] = {{"Your Name!", "YourName"}, {"a.", "a"}, {" ", ""}};
  for (const auto& c : cases) {
    FakeWinMX winmx;
    FakeWindow window(winmx);
    winmx.Start();
    input.login = c.typed;
    input.password = "p w!";
    EXPECT_EQ(RunAddServers(
                  grid, [&] { return selection; }, input, winmx, window, limits),
              AddServersOutcome::LoginRefused);
    EXPECT_EQ(window.messages, Strings{"Enter login name!"});
    EXPECT_EQ(window.login, c.cleaned);
    EXPECT_EQ(window.password, "pw");
    EXPECT_TRUE(winmx.sent.empty());
    EXPECT_TRUE(window.statuses.empty());
  }
}

TEST_F(AddServersRun, WaitsUntilTheFormHoldsItsControlsBeforeTyping) {
  // The frame shows first; its controls follow one per pause of the run.
  winmx.openAfterWaits = 3;
  winmx.controlsPerWait = 1;
  EXPECT_EQ(Run(), AddServersOutcome::Finished);
  EXPECT_EQ(winmx.entries,
            (std::vector<Strings>{
                {"Net0", "10.0.0.0:8000", "NapUser", "secret", "me@example.org", "ticked"},
                {"Net1", "10.0.0.1:8001", "NapUser", "secret", "me@example.org", "ticked"}}));
  EXPECT_GT(window.waits, 20);
  ExpectNoBackToBackSearches();
}

TEST_F(AddServersRun, WaitsThatRunOutStopWithWhatDidNotHappen) {
  const struct {
    const char* name;
    std::function<void(FakeWinMX&)> script;
    std::string status, message;
    std::chrono::milliseconds limit;
  } cases[] = {
      {"never opens", [](FakeWinMX& w) { w.openAfterWaits = 100000; },
       "Stopped: Add form did not open (0)",
       "WinMX did not open the \"Add New OpenNap\" form within 2 seconds (stopped at "
       "10.0.0.0:8000, row 0)",
       2000ms},
      {"two forms", [](FakeWinMX& w) { w.formsPerClick = 2; },
       "Stopped: more than one Add form (0)",
       "More than one \"Add New OpenNap\" form is open (stopped at 10.0.0.0:8000, row 0)", 2000ms},
      {"never shown", [](FakeWinMX& w) { w.neverShown = true; }, "Stopped: Add form not shown (0)",
       "WinMX did not show the \"Add New OpenNap\" form within 2 seconds (stopped at "
       "10.0.0.0:8000, row 0)",
       2000ms},
      {"rejected", [](FakeWinMX& w) { w.reject = true; }, "Stopped: Add form did not close (0)",
       "WinMX did not close the \"Add New OpenNap\" form within 1.5 seconds; it may have refused "
       "the entry (stopped at 10.0.0.0:8000, row 0)",
       1500ms},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeWinMX winmx;
    FakeWindow window(winmx);
    c.script(winmx);
    winmx.Start();
    EXPECT_EQ(RunUntilStopped(winmx, window), c.message);
    EXPECT_EQ(window.statuses.back(), c.status);
    // Stopped when the limit passed, not before and not much after.
    EXPECT_EQ(window.Now() - 1000ms, c.limit);
    EXPECT_TRUE(winmx.entries.empty());
    EXPECT_EQ(std::count(winmx.sent.begin(), winmx.sent.end(), "post BM_CLICK Add"), 1);
  }
}

TEST_F(AddServersRun, AMissingWindowStopsTheRunInsteadOfSendingToNowhere) {
  const struct {
    const char* name;
    std::function<void(FakeWinMX&)> script;
    bool registering;
    std::string message;
    size_t messagesSent;
  } cases[] = {
      {"no Add button", [](FakeWinMX& w) { w.addButton = false; }, true,
       "WinMX's Add button was not found beside \"OpenNap Protocol Networks\"", 0},
      {"three edit boxes", [](FakeWinMX& w) { w.edits = 3; }, false,
       "The \"Add New OpenNap\" form has fewer than four edit boxes", 1},
      {"four edit boxes when registering", [](FakeWinMX& w) { w.edits = 4; }, true,
       "The \"Add New OpenNap\" form has fewer than five edit boxes", 1},
      {"no tick box", [](FakeWinMX& w) { w.registerBox = false; }, true,
       "The \"Add New OpenNap\" form has no \"Register user name\" box", 5},
      {"no OK button", [](FakeWinMX& w) { w.okButton = false; }, false,
       "The \"Add New OpenNap\" form has no OK button", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeWinMX winmx;
    FakeWindow window(winmx);
    c.script(winmx);
    winmx.Start();
    input.registerUser = c.registering;
    EXPECT_EQ(RunUntilStopped(winmx, window), c.message + " (stopped at 10.0.0.0:8000, row 0)");
    EXPECT_EQ(winmx.sent.size(), c.messagesSent);
    EXPECT_EQ(window.statuses.back().rfind("Stopped: ", 0), 0u) << window.statuses.back();
  }
}

TEST_F(AddServersRun, AWinMXThatDoesNotAnswerStopsTheRun) {
  const struct {
    std::string window;
    Delivery answer;
    std::string status, message, lastSent;
  } cases[] = {
      {"edit2", Delivery::TimedOut, "Stopped: WinMX not responding (0)",
       "WinMX did not respond while typing the login name", "WM_SETTEXT edit2 NapUser"},
      {"Add", Delivery::Failed, "Stopped: WinMX window gone (0)",
       "WinMX's window could not be reached while clicking WinMX's Add button",
       "post BM_CLICK Add"},
      {"OK", Delivery::TimedOut, "Stopped: WinMX not responding (0)",
       "WinMX did not respond while clicking OK", "BM_CLICK OK"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.window);
    FakeWinMX winmx;
    FakeWindow window(winmx);
    winmx.answers[c.window] = c.answer;
    winmx.Start();
    EXPECT_EQ(RunUntilStopped(winmx, window), c.message + " (stopped at 10.0.0.0:8000, row 0)");
    EXPECT_EQ(window.statuses.back(), c.status);
    // Nothing more goes to WinMX after the message it did not take.
    EXPECT_EQ(winmx.sent.back(), c.lastSent);
  }
}

TEST(AddServersDelivery, AccessDeniedMeansAnElevatedWinMXWhateverElseHolds) {
  constexpr unsigned long InvalidWindow = 1400, Timeout = 1460, QueueFull = 1816;
  const struct {
    unsigned long error;
    bool exists;
    Delivery meaning;
  } cases[] = {
      {AccessDeniedError, true, Delivery::Refused},
      {AccessDeniedError, false, Delivery::Refused},
      {Timeout, true, Delivery::TimedOut},
      {QueueFull, true, Delivery::TimedOut},
      {0, true, Delivery::TimedOut},
      {InvalidWindow, false, Delivery::Failed},
      {0, false, Delivery::Failed},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FailedDelivery(c.error, c.exists), c.meaning) << c.error << " " << c.exists;
}

TEST_F(AddServersRun, AnElevatedWinMXStopsTheRunWithWhatToDo) {
  // The search still sees WinMX's windows; the system refuses the messages to
  // them: the post to Add, or, when the form came up by other means, the typing.
  const struct {
    const char* refusedBy;
    std::string lastSent;
  } cases[] = {{"Add", "post BM_CLICK Add"}, {"edit0", "WM_SETTEXT edit0 Net0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refusedBy);
    FakeWinMX winmx;
    FakeWindow window(winmx);
    winmx.answers[c.refusedBy] = Delivery::Refused;
    winmx.Start();
    EXPECT_EQ(RunUntilStopped(winmx, window),
              "WinMX runs as administrator: start Velloran as administrator too, or WinMX "
              "without it");
    EXPECT_EQ(window.statuses.back(), "Stopped: WinMX runs as administrator (0)");
    EXPECT_EQ(winmx.sent.back(), c.lastSent);
    EXPECT_TRUE(winmx.entries.empty());
    EXPECT_EQ(window.waits, 0);  // no time-out waited for
  }
}

TEST_F(AddServersRun, ClosingTheProgramEndsTheRunAtOnce) {
  // While waiting for the form to open, and while it closes.
  for (int endAfter : {2, 6}) {
    FakeWinMX winmx;
    FakeWindow window(winmx);
    winmx.openAfterWaits = 5;
    window.endAfterWaits = endAfter;
    winmx.Start();
    EXPECT_EQ(RunAddServers(
                  grid, [&] { return selection; }, input, winmx, window, limits),
              AddServersOutcome::Ended);
    EXPECT_EQ(window.waits, endAfter);
    EXPECT_EQ(std::count(winmx.sent.begin(), winmx.sent.end(), "post BM_CLICK Add"), 1);
    EXPECT_NE(window.statuses.back(), "Finished");
    EXPECT_TRUE(window.messages.empty());
  }
}

TEST_F(AddServersRun, RowsAddedDuringTheRunAreNotAdded) {
  window.onProcess = [this] {
    grid.SetRowCount(grid.RowCount() + 1);
    grid.SetCell(1, grid.RowCount() - 1, "10.9.9.9");
  };
  EXPECT_EQ(Run(), AddServersOutcome::Finished);
  EXPECT_EQ(winmx.entries.size(), 2u);
}

}  // namespace
}  // namespace velloran
