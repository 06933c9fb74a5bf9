#include "framework/Application.h"

#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "framework/Form.h"
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
}

}  // namespace
}  // namespace velloran
