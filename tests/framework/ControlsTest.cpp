// The standard controls on a form laid out as the main window's, read back
// from the live windows.
#include <windows.h>
// commctrl.h needs the declarations of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/Exception.h"
#include "framework/ExtCtrls.h"
#include "framework/Form.h"
#include "framework/StdCtrls.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

const TFont Impact("Impact", -51, 0, clInactiveCaption);
const TFont SmallFonts("Small Fonts", -9);

template <typename Args = ControlArgs>
Args At(int left, int top, int width, int height, const std::string& text = "",
        std::optional<int> tabOrder = std::nullopt) {
  return PlaceAt<Args>(left, top, width, height, text, tabOrder);
}

RECT Bounds(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LONG Style(HWND window) {
  return GetWindowLongA(window, GWL_STYLE);
}

LOGFONTA FontOf(HWND window) {
  LOGFONTA font{};
  auto handle = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  GetObjectA(handle, sizeof font, &font);
  return font;
}

// The screen's pixels of a window, once it has painted.
class ScreenPixels {
 public:
  ScreenPixels() : screen_(GetDC(nullptr)) {}
  ~ScreenPixels() { ReleaseDC(nullptr, screen_); }
  COLORREF At(HWND window, int x, int y) const {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return GetPixel(screen_, point.x, point.y);
  }
  // Whether every pixel of the window's client area is Color.
  bool All(HWND window, COLORREF color) const {
    RECT client{};
    GetClientRect(window, &client);
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x)
        if (At(window, x, y) != color) return false;
    return true;
  }
  bool Any(HWND window, COLORREF color) const {
    RECT client{};
    GetClientRect(window, &client);
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x)
        if (At(window, x, y) == color) return true;
    return false;
  }
  HDC dc() const { return screen_; }

 private:
  HDC screen_;
};

class ControlsTest : public ::testing::Test {
 protected:
  ControlsTest() {
    application.SetTitle("Velloran");
    FormArgs args;
    args.caption = "Controls test";
    args.clientWidth = 741;
    args.clientHeight = 468;
    args.font = TFont("MS Sans Serif", -10);
    form = &application.Create<TForm>(args);

    auto title = At<LabelArgs>(8, 8, 267, 63, "Velloran 1.1");
    title.font = Impact;
    label5 = &form->Create<TLabel>(title);
    bevel1 = &form->Create<TBevel>(At(304, 8, 9, 65));
    image3 = &form->Create<TImage>(At(328, 26, 89, 31));
    auto caption = At<LabelArgs>(327, 55, 39, 11, "OpenNap");
    caption.transparent = true;
    caption.font = SmallFonts;
    label1 = &form->Create<TLabel>(caption);
    image1 = &form->Create<TImage>(At(431, 21, 226, 36));
    image2 = &form->Create<TImage>(At(667, 15, 62, 58));
    auto panelArgs = At<PanelArgs>(8, 352, 721, 89);
    panelArgs.font = SmallFonts;
    panel1 = &form->Create<TPanel>(panelArgs);

    button2 = &panel1->Create<TButton>(At(0, 0, 721, 25, "Add servers", 1));
    checkBox1 = &panel1->Create<TCheckBox>(
        At<CheckableArgs>(320, 40, 153, 17, "Add selected servers only", 9));
    button1 = &panel1->Create<TButton>(At(320, 57, 145, 14, "Select all above cursor", 8));
    auto byIp = At<CheckableArgs>(7, 44, 72, 14, "by IP address", 5);
    byIp.checked = true;
    radioButton1 = &panel1->Create<TRadioButton>(byIp);
    radioButton2 = &panel1->Create<TRadioButton>(At<CheckableArgs>(7, 57, 58, 14, "by host", 4));
    auto registerArgs = At<CheckableArgs>(8, 70, 121, 14, "Register on first connect", 11);
    registerArgs.checked = true;
    checkBox2 = &panel1->Create<TCheckBox>(registerArgs);
    label2 = &panel1->Create<TLabel>(RightLabel(152, 44, 23, 11, "Login"));
    edit1 = &panel1->Create<TEdit>(InfoEdit(186, 44, 98, 10, "YourName", 0));
    label3 = &panel1->Create<TLabel>(RightLabel(133, 57, 42, 11, "Password"));
    edit2 = &panel1->Create<TEdit>(InfoEdit(186, 57, 98, 10, "", 3));
    label6 = &panel1->Create<TLabel>(RightLabel(152, 70, 23, 11, "Email"));
    edit4 = &panel1->Create<TEdit>(InfoEdit(186, 71, 98, 10, "you@example.org", 10));
    auto arrow = At<LabelArgs>(528, 26, 27, 55, ">");
    arrow.font = Impact;
    label7 = &panel1->Create<TLabel>(arrow);
    label4 = &panel1->Create<TLabel>(RightLabel(560, 40, 59, 11, "Last refreshed"));
    auto date = InfoEdit(560, 52, 100, 10, "", 6);
    date.readOnly = true;
    edit3 = &panel1->Create<TEdit>(date);
    button3 = &panel1->Create<TButton>(At(560, 64, 100, 14, "Refresh", 2));
    panel4 = &panel1->Create<TPanel>(At<PanelArgs>(704, 72, 25, 22, "?", 7));

    StatusBarArgs bar;
    bar.panelWidths = {300};
    statusBar = &form->Create<TStatusBar>(bar);
    form->Show();
  }

  static LabelArgs RightLabel(int left, int top, int width, int height, const std::string& text) {
    auto args = At<LabelArgs>(left, top, width, height, text);
    args.alignment = TLabelAlignment::Right;
    args.transparent = true;
    return args;
  }
  static EditArgs InfoEdit(int left, int top, int width, int height, const std::string& text,
                           int tabOrder) {
    auto args = At<EditArgs>(left, top, width, height, text, tabOrder);
    args.color = clInfoBk;
    return args;
  }

  // Handles what is pending until the form has painted.
  void Settle() {
    application.ProcessMessages();
    UpdateWindow(form->Handle());
  }

  TApplication application{GetModuleHandleA(nullptr)};
  TForm* form;
  TLabel *label5, *label1, *label2, *label3, *label6, *label7, *label4;
  TBevel* bevel1;
  TImage *image1, *image2, *image3;
  TPanel *panel1, *panel4;
  TButton *button1, *button2, *button3;
  TCheckBox *checkBox1, *checkBox2;
  TRadioButton *radioButton1, *radioButton2;
  TEdit *edit1, *edit2, *edit3, *edit4;
  TStatusBar* statusBar;
};

TEST_F(ControlsTest, EachIsAWindowOfTheSystemClassWithItsPlaceTextAndStyle) {
  struct Case {
    const char* name;
    TWinControl* control;
    const char* windowClass;
    RECT bounds;  // left, top, right, bottom
    const char* text;
    LONG typeMask;
    LONG type;
    LONG present;
    LONG absent;
  };
  const LONG button = BS_TYPEMASK;
  const LONG stat = SS_TYPEMASK;
  const LONG anyEdit = ES_CENTER | ES_RIGHT;
  const Case cases[] = {
      {"Label5", label5, "Static", {8, 8, 275, 71}, "Velloran 1.1", stat, SS_LEFT, SS_NOTIFY, 0},
      {"Bevel1", bevel1, "Static", {304, 8, 313, 73}, "", stat, SS_OWNERDRAW, 0, 0},
      {"Image3", image3, "Static", {328, 26, 417, 57}, "", stat, SS_LEFT, SS_NOTIFY, 0},
      {"Label1", label1, "Static", {327, 55, 366, 66}, "OpenNap", stat, SS_LEFT, SS_NOTIFY, 0},
      {"Panel1", panel1, "Static", {8, 352, 729, 441}, "", stat, SS_CENTER, SS_NOTIFY, 0},
      {"Button2",
       button2,
       "Button",
       {0, 0, 721, 25},
       "Add servers",
       button,
       BS_PUSHBUTTON,
       WS_TABSTOP,
       0},
      {"CheckBox1",
       checkBox1,
       "Button",
       {320, 40, 473, 57},
       "Add selected servers only",
       button,
       BS_AUTOCHECKBOX,
       WS_TABSTOP,
       0},
      {"RadioButton2",
       radioButton2,
       "Button",
       {7, 57, 65, 71},
       "by host",
       button,
       BS_AUTORADIOBUTTON,
       WS_TABSTOP | WS_GROUP,
       0},
      {"RadioButton1",
       radioButton1,
       "Button",
       {7, 44, 79, 58},
       "by IP address",
       button,
       BS_AUTORADIOBUTTON,
       WS_TABSTOP,
       WS_GROUP},
      {"Label2", label2, "Static", {152, 44, 175, 55}, "Login", stat, SS_RIGHT, SS_NOTIFY, 0},
      {"Edit1",
       edit1,
       "Edit",
       {186, 44, 284, 54},
       "YourName",
       anyEdit,
       ES_LEFT,
       WS_TABSTOP | ES_AUTOHSCROLL,
       WS_BORDER | ES_READONLY | ES_PASSWORD},
      {"Edit3", edit3, "Edit", {560, 52, 660, 62}, "", anyEdit, ES_LEFT, ES_READONLY, WS_BORDER},
      {"Panel4",
       panel4,
       "Static",
       {704, 72, 729, 94},
       "?",
       stat,
       SS_CENTER,
       SS_CENTERIMAGE,
       WS_TABSTOP},
      {"SB", statusBar, STATUSCLASSNAMEA, {0, 445, 741, 468}, "", 0, 0, 0, SBARS_SIZEGRIP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND window = c.control->Handle();
    EXPECT_EQ(test::WindowClass(window), c.windowClass);
    RECT bounds = Bounds(window);
    EXPECT_EQ(bounds.left, c.bounds.left);
    EXPECT_EQ(bounds.top, c.bounds.top);
    EXPECT_EQ(bounds.right, c.bounds.right);
    EXPECT_EQ(bounds.bottom, c.bounds.bottom);
    EXPECT_EQ(test::WindowText(window), c.text);
    LONG style = Style(window);
    EXPECT_EQ(style & c.typeMask, c.type);
    EXPECT_EQ(style & c.present, c.present);
    EXPECT_EQ(style & c.absent, 0);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0);
  }
  // Tab navigation reaches the controls inside the panels.
  EXPECT_TRUE(GetWindowLongA(panel1->Handle(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
}

TEST_F(ControlsTest, FontsAreTheirOwnOrTheirParents) {
  struct Case {
    const char* name;
    TWinControl* control;
    const char* face;
    LONG height;
  };
  const Case cases[] = {
      {"Label5", label5, "Impact", -51},        {"Label1", label1, "Small Fonts", -9},
      {"Panel1", panel1, "Small Fonts", -9},    {"Button2", button2, "Small Fonts", -9},
      {"Edit3", edit3, "Small Fonts", -9},      {"Label7", label7, "Impact", -51},
      {"Panel4", panel4, "Small Fonts", -9},    {"SB", statusBar, "MS Sans Serif", -10},
      {"Image1", image1, "MS Sans Serif", -10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LOGFONTA font = FontOf(c.control->Handle());
    EXPECT_STREQ(font.lfFaceName, c.face);
    EXPECT_EQ(font.lfHeight, c.height);
  }
}

TEST_F(ControlsTest, ChangesMadeOnAFontObjectReachTheWindow) {
  label2->Font().SetHeight(-20);
  EXPECT_EQ(FontOf(label2->Handle()).lfHeight, -20);
  label2->Font().SetStyles(static_cast<unsigned>(TFontStyle::Bold));
  EXPECT_EQ(FontOf(label2->Handle()).lfWeight, FW_BOLD);
  EXPECT_EQ(FontOf(label2->Handle()).lfHeight, -20);

  label2->SetFont(SmallFonts);
  EXPECT_EQ(FontOf(label2->Handle()).lfHeight, -9);
  EXPECT_EQ(FontOf(label2->Handle()).lfWeight, FW_NORMAL);
  // The same look again keeps the font the window has.
  auto before = SendMessageA(label2->Handle(), WM_GETFONT, 0, 0);
  label2->SetFont(SmallFonts);
  label2->Font().SetName("Small Fonts");
  EXPECT_EQ(SendMessageA(label2->Handle(), WM_GETFONT, 0, 0), before);
}

TEST_F(ControlsTest, TabOrderIsTheTablesThroughThePanels) {
  std::vector<HWND> expected = {edit1->Handle(), button2->Handle(),      button3->Handle(),
                                edit2->Handle(), radioButton2->Handle(), radioButton1->Handle(),
                                edit3->Handle(), button1->Handle(),      checkBox1->Handle(),
                                edit4->Handle(), checkBox2->Handle()};
  std::vector<HWND> stops;
  for (HWND child = GetWindow(panel1->Handle(), GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT))
    if (Style(child) & WS_TABSTOP) stops.push_back(child);
  EXPECT_EQ(stops, expected);

  // The dialog manager walks them in the same order, from the last back to the first.
  std::vector<HWND> walked = {edit1->Handle()};
  for (size_t i = 1; i < expected.size(); ++i)
    walked.push_back(GetNextDlgTabItem(form->Handle(), walked.back(), FALSE));
  EXPECT_EQ(walked, expected);
  EXPECT_EQ(GetNextDlgTabItem(form->Handle(), checkBox2->Handle(), FALSE), edit1->Handle());
}

TEST_F(ControlsTest, ClicksFireOnClick) {
  struct Case {
    const char* name;
    TWinControl* control;
    std::function<void()>* onClick;
    bool byMouse;  // else BM_CLICK
  };
  const Case cases[] = {
      {"Button2", button2, &button2->OnClick, false},
      {"Button3", button3, &button3->OnClick, false},
      {"CheckBox1", checkBox1, &checkBox1->OnClick, false},
      {"RadioButton2", radioButton2, &radioButton2->OnClick, false},
      {"Label5", label5, &label5->OnClick, true},
      {"Image1", image1, &image1->OnClick, true},
      {"Image2", image2, &image2->OnClick, true},
      {"Image3", image3, &image3->OnClick, true},
      {"Panel4", panel4, &panel4->OnClick, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int clicks = 0;
    *c.onClick = [&] { ++clicks; };
    if (c.byMouse) {
      SendMessageA(c.control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      SendMessageA(c.control->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    } else {
      SendMessageA(c.control->Handle(), BM_CLICK, 0, 0);
    }
    EXPECT_EQ(clicks, 1);
    *c.onClick = nullptr;
  }
}

TEST_F(ControlsTest, CheckBoxesToggleAndRadioButtonsExcludeEachOther) {
  EXPECT_FALSE(checkBox1->Checked());
  EXPECT_TRUE(checkBox2->Checked());
  bool checkedInHandler = false;
  checkBox1->OnClick = [&] { checkedInHandler = checkBox1->Checked(); };
  SendMessageA(checkBox1->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(checkedInHandler);
  SendMessageA(checkBox2->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(checkBox2->Checked());
  checkBox2->SetChecked(true);
  EXPECT_EQ(SendMessageA(checkBox2->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

  EXPECT_TRUE(radioButton1->Checked());
  EXPECT_FALSE(radioButton2->Checked());
  SendMessageA(radioButton2->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(radioButton2->Checked());
  EXPECT_FALSE(radioButton1->Checked());
  radioButton1->SetChecked(true);
  EXPECT_FALSE(radioButton2->Checked());
  // A radio button elsewhere is of another group.
  auto& other = form->Create<TRadioButton>(At<CheckableArgs>(8, 80, 50, 14, "other"));
  other.SetChecked(true);
  EXPECT_TRUE(radioButton1->Checked());
  EXPECT_TRUE(Style(other.Handle()) & WS_GROUP);
}

TEST_F(ControlsTest, EditsReportChangesAndSwitchReadOnly) {
  int changes = 0;
  edit2->OnChange = [&] { ++changes; };
  edit2->SetText("secret");
  edit2->SetText("secret");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(test::WindowText(edit2->Handle()), "secret");

  EXPECT_TRUE(edit3->ReadOnly());
  edit3->SetReadOnly(false);
  EXPECT_FALSE(Style(edit3->Handle()) & ES_READONLY);
  edit3->SetReadOnly(true);
  EXPECT_TRUE(Style(edit3->Handle()) & ES_READONLY);
}

TEST_F(ControlsTest, AnErrorInAClickHandlerGoesToTheErrorBox) {
  button3->OnClick = [] { throw Exception("Invalid host"); };
  test::MessageBoxWatcher watcher;
  SendMessageA(button3->Handle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(watcher.Wait());
  EXPECT_EQ(watcher.Seen().caption, "Velloran");
  EXPECT_EQ(watcher.Seen().text, "Invalid host.");
}

TEST_F(ControlsTest, DisablingThePanelDisablesEveryControlInsideIt) {
  edit2->SetEnabled(false);
  panel1->SetEnabled(false);
  EXPECT_FALSE(panel1->Enabled());
  int children = 0;
  for (HWND child = GetWindow(panel1->Handle(), GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT), ++children)
    EXPECT_FALSE(IsWindowEnabled(child)) << test::WindowText(child);
  EXPECT_EQ(children, 17);

  panel1->SetEnabled(true);
  for (HWND child = GetWindow(panel1->Handle(), GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT))
    EXPECT_EQ(IsWindowEnabled(child) != FALSE, child != edit2->Handle()) << test::WindowText(child);
  // The panel keeps its lowered frame through it all.
  ScreenPixels screen;
  EXPECT_TRUE(test::WaitUntil(
      [&] { return screen.At(panel1->Handle(), 0, 60) == GetSysColor(COLOR_BTNSHADOW); }, 5000));
}

TEST_F(ControlsTest, StatusBarHasOnePanelOf300PixelsForTheTexts) {
  EXPECT_EQ(statusBar->PanelCount(), 1);
  EXPECT_EQ(statusBar->PanelWidth(0), 300);
  int edges[4] = {};
  ASSERT_EQ(SendMessageA(statusBar->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 1);
  EXPECT_EQ(edges[0], 300);

  statusBar->SetPanelText(0, "Contacting www.example.org...");
  char text[256] = {};
  SendMessageA(statusBar->Handle(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Contacting www.example.org...");
  statusBar->SetPanelText(0, "0 servers");
  EXPECT_EQ(statusBar->PanelText(0), "0 servers");

  EXPECT_THROW(statusBar->SetPanelText(1, "x"), ERangeError);
  try {
    statusBar->PanelText(-1);
    ADD_FAILURE() << "no error";
  } catch (const ERangeError& error) {
    EXPECT_STREQ(error.what(), "List index out of bounds (-1)");
  }
}

// The status bar's pixels, as the screen shows them.
std::vector<COLORREF> BarPixels(HWND bar) {
  RECT client{};
  GetClientRect(bar, &client);
  std::vector<COLORREF> pixels;
  HDC dc = GetDC(bar);
  for (int y = 2; y < client.bottom - 2; y += 2)
    for (int x = 2; x < 300; x += 2) pixels.push_back(GetPixel(dc, x, y));
  ReleaseDC(bar, dc);
  return pixels;
}

// Progress texts set faster than the bar shows them: each is the panel's at
// once, and the last is on the screen once the interval is up; a plain text
// after them is shown at once and stays.
TEST_F(ControlsTest, StatusBarShowsTheLastOfAFloodOfProgressTexts) {
  auto waitAndSettle = [&](DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) application.WaitForMessages(10);
    Settle();
  };
  auto shown = [&] {
    char text[256] = {};
    SendMessageA(statusBar->Handle(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return std::string(text);
  };
  const HWND bar = statusBar->Handle();
  const std::string last = "123456 bytes received... (Please wait)";
  // How the last text looks when it is shown the ordinary way.
  statusBar->SetPanelText(0, last);
  waitAndSettle(200);
  const std::vector<COLORREF> expected = BarPixels(bar);
  statusBar->SetPanelText(0, "x");
  waitAndSettle(200);
  ASSERT_NE(BarPixels(bar), expected);

  for (int i = 0; i < 200; ++i)
    statusBar->SetProgressText(0, std::to_string(i * 1000) + " bytes received... (Please wait)");
  statusBar->SetProgressText(0, last);
  EXPECT_EQ(statusBar->PanelText(0), last);
  waitAndSettle(TStatusBar::ShowIntervalMs + 200);
  EXPECT_EQ(shown(), last);
  EXPECT_EQ(BarPixels(bar), expected);

  // A plain text ends the wait: it is shown at once, and no late progress
  // text replaces it.
  statusBar->SetProgressText(0, "1 bytes received... (Please wait)");
  statusBar->SetProgressText(0, "2 bytes received... (Please wait)");
  statusBar->SetPanelText(0, "Download complete");
  EXPECT_EQ(shown(), "Download complete");
  waitAndSettle(TStatusBar::ShowIntervalMs + 200);
  EXPECT_EQ(shown(), "Download complete");
  EXPECT_EQ(statusBar->PanelText(0), "Download complete");
}

TEST_F(ControlsTest, EditsShowTheirColourAndLabelsTheirFontColour) {
  Settle();
  ScreenPixels screen;
  COLORREF infoBk = GetSysColor(COLOR_INFOBK);
  ASSERT_NE(infoBk, GetSysColor(COLOR_BTNFACE));
  // Where no text is: the right end of the edits, all of the empty ones.
  EXPECT_TRUE(test::WaitUntil([&] { return screen.At(edit1->Handle(), 95, 5) == infoBk; }, 5000));
  EXPECT_TRUE(screen.All(edit3->Handle(), infoBk));  // read-only
  EXPECT_TRUE(screen.All(edit2->Handle(), infoBk));
  EXPECT_TRUE(screen.Any(label5->Handle(), GetSysColor(COLOR_INACTIVECAPTION)));

  edit2->SetColor(clWhite);
  Settle();
  EXPECT_TRUE(
      test::WaitUntil([&] { return screen.All(edit2->Handle(), RGB(255, 255, 255)); }, 5000));
}

TEST_F(ControlsTest, TransparentLabelsShowTheirParentAndLeaveNoTrace) {
  // A white panel makes the difference to the labels' usual background visible.
  auto& white = form->Create<TPanel>(At<PanelArgs>(300, 100, 200, 60));
  white.SetColor(clWhite);
  auto args = At<LabelArgs>(20, 20, 100, 20, "MMMMMMMM");
  args.transparent = true;
  auto& label = white.Create<TLabel>(args);
  ScreenPixels screen;
  const COLORREF whiteRgb = RGB(255, 255, 255);
  auto textWithWhiteAt = [&](int x) {
    return !screen.All(label.Handle(), whiteRgb) && screen.At(label.Handle(), x, 10) == whiteRgb;
  };
  EXPECT_TRUE(test::WaitUntil([&] { return textWithWhiteAt(99); }, 5000));
  label.SetText("");
  EXPECT_TRUE(test::WaitUntil([&] { return screen.All(label.Handle(), whiteRgb); }, 5000));
  label.SetText("i");
  label.SetAlignment(TLabelAlignment::Right);
  EXPECT_TRUE(test::WaitUntil([&] { return textWithWhiteAt(2); }, 5000));
}

TEST_F(ControlsTest, Screenshot) {
  statusBar->SetPanelText(0, "1 servers");
  Settle();
  std::string path = test::ExeDirectory() + "ControlsTest.bmp";
  // Painting is asynchronous under Wine: wait for the last control drawn.
  ScreenPixels screen;
  test::WaitUntil([&] { return screen.Any(edit3->Handle(), GetSysColor(COLOR_INFOBK)); }, 5000);
  test::SaveWindowPicture(form->Handle(), path);
  std::ifstream saved(path, std::ios::binary | std::ios::ate);
  EXPECT_GT(static_cast<long long>(saved.tellg()), 741LL * 468 * 3);
}

}  // namespace
}  // namespace velloran
