#include "framework/Application.h"

#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/HiddenWindow.h"
#include "framework/StdCtrls.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override { application.SetTitle("Velloran"); }
  void TearDown() override {
    // Leave no WM_QUIT behind for the next test.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  TForm& MakeForm() {
    FormArgs args;
    args.caption = "Application test";
    return application.Create<TForm>(args);
  }

  TApplication application{GetModuleHandleA(nullptr)};
};

TEST_F(ApplicationTest, ProcessMessagesHandlesWhatIsPendingAndReturns) {
  TForm& form = MakeForm();
  int closes = 0;
  form.OnClose = [&](TCloseAction& action) {
    ++closes;
    action = TCloseAction::caNone;
  };
  PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
  PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
  application.ProcessMessages();
  EXPECT_EQ(closes, 2);
  EXPECT_FALSE(application.Terminated());
}

// Escape reaches the form as its cancel command, whichever of its controls
// has the focus, while other keys don't.
TEST_F(ApplicationTest, EscapeInAFormIsItsCancel) {
  TForm& form = MakeForm();
  TEdit& edit = form.Create<TEdit>(PlaceAt<EditArgs>(8, 8, 100, 20, "text", 0));
  int cancels = 0;
  form.OnCancel = [&] { ++cancels; };
  form.Show();
  for (HWND target : {edit.Handle(), form.Handle()}) {
    PostMessageA(target, WM_KEYDOWN, 'A', 1);
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1);
    application.ProcessMessages();
  }
  EXPECT_EQ(cancels, 2);
}

TEST_F(ApplicationTest, QuitSeenInsideProcessMessagesEndsEveryLoop) {
  MakeForm();
  PostQuitMessage(3);
  application.ProcessMessages();
  EXPECT_TRUE(application.Terminated());
  // Posted again for the loops further out.
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 3u);
}

TEST_F(ApplicationTest, ClosingTheMainFormEndsRun) {
  TForm& form = MakeForm();
  EXPECT_EQ(application.MainForm(), &form);
  form.Show();
  PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
  application.Run();  // returns only because the close ended the loop
  EXPECT_TRUE(application.Terminated());
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

TEST_F(ApplicationTest, ErrorEscapingAHandlerIsShownInTheErrorBox) {
  TForm& form = MakeForm();
  form.Show();
  form.OnClose = [](TCloseAction&) { throw Exception("I/O error 5"); };
  test::MessageBoxWatcher watcher;
  SendMessageA(form.Handle(), WM_CLOSE, 0, 0);  // returns once the box is closed
  ASSERT_TRUE(watcher.Wait());
  EXPECT_EQ(watcher.Seen().caption, "Velloran");
  EXPECT_EQ(watcher.Seen().text, "I/O error 5.");
  EXPECT_EQ(watcher.Seen().buttons, std::vector<std::string>{"OK"});
  EXPECT_TRUE(watcher.Seen().hasIcon);
  EXPECT_TRUE(IsWindow(form.Handle()));
}

TEST_F(ApplicationTest, AnythingElseThrownIsShownWithAPlainTextAndGoesNoFurther) {
  // Form windows and hidden windows: both are called by the system, which
  // an exception must never reach.
  TForm& form = MakeForm();
  form.Show();
  form.OnClose = [](TCloseAction&) { throw 42; };
  THiddenWindow hidden(&application, [](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_APP) throw std::string("not an exception class");
    return std::nullopt;
  });
  for (HWND window : {form.Handle(), hidden.Handle()}) {
    test::MessageBoxWatcher watcher;
    SendMessageA(window, window == form.Handle() ? WM_CLOSE : WM_APP, 0, 0);
    ASSERT_TRUE(watcher.Wait());
    EXPECT_EQ(watcher.Seen().caption, "Velloran");
    EXPECT_EQ(watcher.Seen().text, "An unexpected error occurred.");
    EXPECT_TRUE(watcher.Seen().hasIcon);
  }
  EXPECT_TRUE(IsWindow(form.Handle()));
}

TEST_F(ApplicationTest, RunProgramReturnsTheLoopsCodeOrOneWhenTheMainFormCannotBeMade) {
  int code = application.RunProgram([&] {
    MakeForm();
    PostQuitMessage(7);
  });
  EXPECT_EQ(code, 7);

  TApplication failing(GetModuleHandleA(nullptr));
  failing.SetTitle("Velloran");
  test::MessageBoxWatcher watcher;
  code = failing.RunProgram([] { throw Exception("Can not create a window of class X"); });
  EXPECT_EQ(code, 1);
  ASSERT_TRUE(watcher.Wait());
  EXPECT_EQ(watcher.Seen().text, "Can not create a window of class X.");
}

TEST_F(ApplicationTest, ShowMessageHasNoIcon) {
  MakeForm().Show();
  test::MessageBoxWatcher watcher;
  application.ShowMessage("Start WinMX 3 first!");
  ASSERT_TRUE(watcher.Wait());
  EXPECT_EQ(watcher.Seen().caption, "Velloran");
  EXPECT_EQ(watcher.Seen().text, "Start WinMX 3 first!");
  EXPECT_EQ(watcher.Seen().buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(watcher.Seen().hasIcon);
}

TEST_F(ApplicationTest, WaitForMessagesSleepsUntilAMessageComes) {
  TForm& form = MakeForm();
  application.ProcessMessages();  // what creating the form left in the queue
  DWORD start = GetTickCount();
  application.WaitForMessages(300);
  EXPECT_GE(GetTickCount() - start, 250u);  // slept, did not spin

  int closes = 0;
  form.OnClose = [&](TCloseAction& action) {
    ++closes;
    action = TCloseAction::caNone;
  };
  PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
  start = GetTickCount();
  application.WaitForMessages(5000);
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(closes, 1);

  // A message already looked at (by a peek that left it, as dialog code and
  // other libraries do) no longer counts as new to the system: the wait must
  // still see it in the queue.
  PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  start = GetTickCount();
  application.WaitForMessages(5000);
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(closes, 2);
}

}  // namespace
}  // namespace velloran
