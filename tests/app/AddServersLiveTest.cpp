// The add-servers run with the real window driver against the WinMX stand-in,
// a separate process, checked from the entries that the stand-in logs.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/AddServers.h"
#include "app/Win32WindowDriver.h"
#include "tests/support/MemoryCellTable.h"
#include "tests/support/WinTestSupport.h"
#include "winsearch/RWSWin32.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

constexpr const char* StandinVariables[] = {
    "WINMX_STANDIN_LOG",
    "WINMX_STANDIN_READY_EVENT",
    "WINMX_STANDIN_OPEN_DELAY_MS",
    "WINMX_STANDIN_CONTROL_DELAY_MS",
    "WINMX_STANDIN_FREEZE_MS",
    "WINMX_STANDIN_LIFETIME_MS",
    "WINMX_STANDIN_REJECT",
    "WINMX_STANDIN_NO_ADD_BUTTON",
    "WINMX_STANDIN_NO_REGISTER_BOX",
};

// The main window's side, as a test sees it: what it would show, and this
// thread's messages handled while the run waits.
class TestWindow : public AddServersWindow {
 public:
  Strings statuses;
  Strings messages;
  std::string login, password;
  int timerTicks = 0;

  void SetStatusText(const std::string& text) override { statuses.push_back(text); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void WriteBackLogin(const std::string& cleanedLogin,
                      const std::string& cleanedPassword) override {
    login = cleanedLogin;
    password = cleanedPassword;
  }
  void ProcessMessages() override {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER) ++timerTicks;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  void WaitForMessages(std::chrono::milliseconds limit) override {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(limit.count()), QS_ALLINPUT);
    ProcessMessages();
  }
  bool Ending() override { return false; }
};

// The real driver, counting the searches of the whole desktop.
class CountingDriver : public WindowDriver {
 public:
  int desktopSearches = 0;

  WindowHandle DesktopWindow() override { return driver_.DesktopWindow(); }
  WindowHandle Parent(WindowHandle window) override { return driver_.Parent(window); }
  bool IsVisible(WindowHandle window) override { return driver_.IsVisible(window); }
  int FindChildWindows(WindowHandle parent, const std::string& classFilter,
                       const std::string& captionFilter, hWndList& list) override {
    if (parent == driver_.DesktopWindow()) ++desktopSearches;
    return driver_.FindChildWindows(parent, classFilter, captionFilter, list);
  }
  Delivery PostClick(WindowHandle button) override { return driver_.PostClick(button); }
  Delivery SendText(WindowHandle edit, const std::string& text) override {
    return driver_.SendText(edit, text);
  }
  Delivery SendCheck(WindowHandle box) override { return driver_.SendCheck(box); }
  Delivery SendClick(WindowHandle button) override { return driver_.SendClick(button); }

 private:
  Win32WindowDriver driver_;
};

class LiveAddServers : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    logPath = std::string(folder) + "velloran-addservers-" + std::to_string(GetCurrentProcessId()) +
              ".log";
    DeleteFileA(logPath.c_str());
    for (const char* name : StandinVariables) SetEnvironmentVariableA(name, nullptr);

    grid.SetRowCount(10);
    for (int r = 0; r < 10; ++r) {
      const std::string n = std::to_string(r);
      grid.SetCell(0, r, "nap" + n + ".example.net");
      grid.SetCell(1, r, "192.168.7." + n);
      grid.SetCell(2, r, std::to_string(8880 + r));
      grid.SetCell(3, r, r == 1 ? "n/a" : "Net " + n);
    }
    input.login = "Nap User!";
    input.password = "pass word.";
    input.email = "nap@example.org";
    limits.dialogOpen = 10s;
    limits.dialogClose = 10s;
  }

  void TearDown() override {
    standin.reset();
    DeleteFileA(logPath.c_str());
  }

  // Starts the stand-in with the given settings and waits until its window shows.
  void StartStandin(const std::map<std::string, std::string>& settings = {}) {
    standin.reset();
    standin = test::StartWinmxStandin(logPath, settings);
    ASSERT_TRUE(standin) << "the stand-in did not start";
  }

  AddServersOutcome Run() {
    return RunAddServers(
        grid, [this] { return selection; }, input, driver, window, limits);
  }

  // Runs and expects a stop; returns the error's message.
  std::string RunUntilStopped() {
    try {
      Run();
    } catch (const EAddServersError& error) {
      return error.what();
    }
    ADD_FAILURE() << "the run did not stop";
    return "";
  }

  // The stand-in's log: one entry per line, tab-separated fields.
  std::vector<Strings> Entries() {
    std::ifstream log(logPath, std::ios::binary);
    std::vector<Strings> entries;
    std::string line;
    while (std::getline(log, line)) {
      Strings fields;
      std::stringstream cells(line);
      std::string field;
      while (std::getline(cells, field, '\t')) fields.push_back(field);
      if (!line.empty() && line.back() == '\t') fields.push_back("");
      entries.push_back(fields);
    }
    return entries;
  }

  // The entry a row makes, registering or not.
  Strings EntryOf(int r, bool byHost, bool registering) {
    const std::string n = std::to_string(r);
    return {
        r == 1 ? "[nap1.example.net]" : "Net " + n,
        (byHost ? "nap" + n + ".example.net" : "192.168.7." + n) + ":" + std::to_string(8880 + r),
        "NapUser",
        "password",
        registering ? "nap@example.org" : "",
        registering ? "1" : "0"};
  }

  Strings StatusesOf(const std::vector<int>& rows) {
    Strings statuses;
    for (int r : rows) {
      statuses.push_back("Waiting for Add form...");
      statuses.push_back("Found");
      statuses.push_back("Adding 192.168.7." + std::to_string(r) + ":" + std::to_string(8880 + r) +
                         " (" + std::to_string(r) + ")");
    }
    statuses.push_back("Finished");
    return statuses;
  }

  int OpenForms() {
    hWndList list;
    return FindChildWindows(GetDesktopWindow(), "", "Add New OpenNap", list);
  }

  std::string logPath;
  std::unique_ptr<test::ChildProcess> standin;
  MemoryCellTable grid;
  TGridRect selection{0, 0, 6, 0};
  AddServersInput input;
  AddServersLimits limits;
  Win32WindowDriver driver;
  TestWindow window;
};

TEST_F(LiveAddServers, TypesEveryRowAsTheFormExpectsIt) {
  grid.SetRowCount(3);
  StartStandin();
  EXPECT_EQ(Run(), AddServersOutcome::Finished);
  EXPECT_EQ(Entries(), (std::vector<Strings>{EntryOf(0, false, true), EntryOf(1, false, true),
                                             EntryOf(2, false, true)}));
  EXPECT_EQ(window.statuses, StatusesOf({0, 1, 2}));
  EXPECT_EQ(window.login, "NapUser");
  EXPECT_EQ(window.password, "password");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(OpenForms(), 0);
}

TEST_F(LiveAddServers, ByHostWithoutRegisteringLeavesTickAndEmailAlone) {
  grid.SetRowCount(2);
  input.byHost = true;
  input.registerUser = false;
  StartStandin();
  EXPECT_EQ(Run(), AddServersOutcome::Finished);
  EXPECT_EQ(Entries(), (std::vector<Strings>{EntryOf(0, true, false), EntryOf(1, true, false)}));
  EXPECT_EQ(window.statuses, StatusesOf({0, 1}));

  // Nor does it need them.
  DeleteFileA(logPath.c_str());
  StartStandin({{"WINMX_STANDIN_NO_REGISTER_BOX", "1"}});
  EXPECT_EQ(Run(), AddServersOutcome::Finished);
  EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(LiveAddServers, SelectedRowsOnly) {
  input.selectedOnly = true;
  selection = {0, 3, 6, 5};
  StartStandin();
  EXPECT_EQ(Run(), AddServersOutcome::Finished);
  EXPECT_EQ(Entries(), (std::vector<Strings>{EntryOf(3, false, true), EntryOf(4, false, true),
                                             EntryOf(5, false, true)}));
  EXPECT_EQ(window.statuses, StatusesOf({3, 4, 5}));
}

TEST_F(LiveAddServers, SelectAllAboveCursorThenAddSelectedOnly) {
  input.selectedOnly = true;
  input.registerUser = false;
  StartStandin();
  const struct {
    TGridRect current;
    std::vector<int> rows;
  } cases[] = {{{0, 7, 6, 9}, {0, 1, 2, 3, 4, 5, 6, 7}}, {{0, 0, 6, 4}, {0}}};
  for (const auto& c : cases) {
    DeleteFileA(logPath.c_str());
    window.statuses.clear();
    selection = SelectAllAboveCursor(c.current);
    EXPECT_EQ(Run(), AddServersOutcome::Finished);
    std::vector<Strings> expected;
    for (int r : c.rows) expected.push_back(EntryOf(r, false, false));
    EXPECT_EQ(Entries(), expected);
    EXPECT_EQ(window.statuses, StatusesOf(c.rows));
  }
}

TEST_F(LiveAddServers, WithoutWinMXItAsksToStartItFirst) {
  EXPECT_EQ(Run(), AddServersOutcome::WinMXNotRunning);
  EXPECT_EQ(window.messages, Strings{"Start WinMX 3 first!"});
  EXPECT_TRUE(window.statuses.empty());
}

TEST_F(LiveAddServers, RefusedLoginNamesAddNothing) {
  StartStandin();
  const struct {
    std::string typed, cleaned;
  } cases[] = {{"YourName", "YourName"}, {"Your Name", "YourName"}, {"x!", "x"}};
  for (const auto& c : cases) {
    window.messages.clear();
    input.login = c.typed;
    EXPECT_EQ(Run(), AddServersOutcome::LoginRefused);
    EXPECT_EQ(window.messages, Strings{"Enter login name!"});
    EXPECT_EQ(window.login, c.cleaned);
  }
  Sleep(200);
  EXPECT_EQ(OpenForms(), 0);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(LiveAddServers, ARejectedEntryEndsInTheTimeOutMessage) {
  grid.SetRowCount(2);
  limits.dialogClose = 1500ms;
  StartStandin({{"WINMX_STANDIN_REJECT", "1"}});
  const DWORD start = GetTickCount();
  EXPECT_EQ(RunUntilStopped(),
            "WinMX did not close the \"Add New OpenNap\" form within 1.5 seconds; it may have "
            "refused the entry (stopped at 192.168.7.0:8880, row 0)");
  EXPECT_LT(GetTickCount() - start, 8000u);
  EXPECT_EQ(window.statuses.back(), "Stopped: Add form did not close (0)");
  EXPECT_TRUE(Entries().empty());
}

TEST_F(LiveAddServers, MissingWindowsStopTheRunWithAMessage) {
  grid.SetRowCount(1);
  limits.dialogOpen = 3s;
  const struct {
    const char* setting;
    std::string message;
  } cases[] = {
      {"WINMX_STANDIN_NO_ADD_BUTTON",
       "WinMX's Add button was not found beside \"OpenNap Protocol Networks\""},
      {"WINMX_STANDIN_NO_REGISTER_BOX",
       "The \"Add New OpenNap\" form has no \"Register user name\" box"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting);
    for (const char* name : StandinVariables) SetEnvironmentVariableA(name, nullptr);
    StartStandin({{c.setting, "1"}});
    EXPECT_EQ(RunUntilStopped(), c.message + " (stopped at 192.168.7.0:8880, row 0)");
    EXPECT_TRUE(Entries().empty());
  }
}

TEST_F(LiveAddServers, ASlowWinMXStillWorksWhileTheWindowStaysAliveAndIdle) {
  grid.SetRowCount(1);
  // The form opens late, and then shows its frame before its controls.
  StartStandin({{"WINMX_STANDIN_OPEN_DELAY_MS", "800"}, {"WINMX_STANDIN_CONTROL_DELAY_MS", "60"}});
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
  FILETIME created, exited, kernelBefore, userBefore, kernelAfter, userAfter;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelBefore, &userBefore);
  const DWORD start = GetTickCount();

  CountingDriver counting;
  EXPECT_EQ(RunAddServers(
                grid, [this] { return selection; }, input, counting, window, limits),
            AddServersOutcome::Finished);

  const DWORD wallMs = GetTickCount() - start;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelAfter, &userAfter);
  KillTimer(nullptr, timer);
  auto ticks = [](const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  const ULONGLONG cpuMs =
      (ticks(kernelAfter) - ticks(kernelBefore) + ticks(userAfter) - ticks(userBefore)) / 10000;
  EXPECT_EQ(Entries(), std::vector<Strings>{EntryOf(0, false, true)});
  EXPECT_GE(wallMs, 1200u);
  // This thread's messages were handled all along, and the waits slept.
  EXPECT_GE(window.timerTicks, static_cast<int>(wallMs / 50 / 3)) << wallMs << " ms";
  // A search every 10 ms or so, not back to back: a spinning wait made ten
  // times as many here. (Its CPU time hides partly in wineserver.)
  EXPECT_LT(counting.desktopSearches, static_cast<int>(wallMs / 5)) << wallMs << " ms";
  EXPECT_LT(cpuMs, wallMs / 2) << cpuMs << " ms of CPU in " << wallMs << " ms";
}

TEST_F(LiveAddServers, AWinMXThatStopsAnsweringCannotHoldTheRun) {
  grid.SetRowCount(1);
  Win32WindowDriver impatient(1s);
  StartStandin({{"WINMX_STANDIN_FREEZE_MS", "15000"}});
  const DWORD start = GetTickCount();
  try {
    RunAddServers(
        grid, [this] { return selection; }, input, impatient, window, limits);
    ADD_FAILURE() << "the run did not stop";
  } catch (const EAddServersError& error) {
    EXPECT_STREQ(error.what(),
                 "WinMX did not respond while typing the network name (stopped at "
                 "192.168.7.0:8880, row 0)");
  }
  EXPECT_LT(GetTickCount() - start, 8000u);
  EXPECT_EQ(window.statuses.back(), "Stopped: WinMX not responding (0)");
}

// The driver reads why a message failed from the system: a window that is
// gone is told apart from one that does not answer (the frozen stand-in
// above) and from one that the system refuses messages to, which only an
// elevated WinMX on Windows can show.
TEST(Win32WindowDriver, AWindowThatIsGoneIsGoneForPostsAndSends) {
  HWND window = CreateWindowExA(0, "Button", "Add", 0, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  const WindowHandle handle = FromHwnd(window);
  Win32WindowDriver driver(1s);
  EXPECT_EQ(driver.PostClick(handle), Delivery::Done);
  DestroyWindow(window);
  EXPECT_EQ(driver.PostClick(handle), Delivery::Failed);
  EXPECT_EQ(driver.SendText(handle, "Net0"), Delivery::Failed);
  EXPECT_EQ(driver.SendCheck(handle), Delivery::Failed);
  EXPECT_EQ(driver.SendClick(handle), Delivery::Failed);
}

}  // namespace
}  // namespace velloran
