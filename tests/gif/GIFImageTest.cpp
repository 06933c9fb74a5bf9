#include "gif/GIFImage.h"

#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "gif/GIFBitmaps.h"
#include "gif/GIFFormData.h"
#include "tests/gif/GifWriter.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

using test::Bytes;
using test::GdiObjectCount;
using test::GifImage;
using test::GifWriter;
using test::Solid;

// A system colour: forms of one colour share their class's brush.
const COLORREF Background = GetSysColor(COLOR_BTNFACE);

COLORREF ColorOf(int index) {
  std::uint32_t rgb = test::TestColor(index);
  return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

class GIFImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application.SetTitle("Velloran");
    FormArgs args;
    args.caption = "GIF image test";
    args.clientWidth = 400;
    args.clientHeight = 300;
    args.color = clBtnFace;
    form = &application.Create<TForm>(args);
    form->Show();
  }

  TGIFImage& Make(int left, int top, int width, int height, const Bytes& gif) {
    TGIFImage& image = form->Create<TGIFImage>(PlaceAt(left, top, width, height));
    EXPECT_TRUE(image.LoadFromStream(gif));
    Settle();
    return image;
  }

  void Settle() {
    UpdateWindow(form->Handle());
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 30) application.WaitForMessages(5);
  }

  // What the screen shows at a point of the form's client area.
  COLORREF ScreenAt(int x, int y) {
    POINT point{x, y};
    ClientToScreen(form->Handle(), &point);
    WindowDC screen(nullptr);
    return GetPixel(screen.get(), point.x, point.y);
  }

  TApplication application{GetModuleHandleA(nullptr)};
  TForm* form = nullptr;
};

TEST_F(GIFImageTest, DrawsAtTheCornerAndLeavesTheRestToWhatLiesBeneath) {
  // An 88 x 31 opaque picture on an 89 x 33 control, every option off.
  TGIFImage& image =
      Make(20, 10, 89, 33, GifWriter(88, 31).Image(Solid(88, 31, 4)).Trailer().Data());
  EXPECT_EQ(image.PictureRect().right, 88);
  EXPECT_EQ(ScreenAt(20, 10), ColorOf(4));
  EXPECT_EQ(ScreenAt(20 + 87, 10 + 30), ColorOf(4));
  EXPECT_EQ(ScreenAt(20 + 88, 10 + 5), Background);
  EXPECT_EQ(ScreenAt(20 + 5, 10 + 32), Background);
}

TEST_F(GIFImageTest, ShowsThroughTransparentPixelsAndFillsWhenOpaque) {
  GifImage picture = Solid(10, 10, 2);
  for (int x = 0; x < 10; ++x) picture.pixels[std::size_t(x)] = 7;  // top row transparent
  Bytes gif = GifWriter(10, 10).Control(0, 0, 7).Image(picture).Trailer().Data();
  TGIFImage& image = Make(50, 50, 10, 10, gif);
  EXPECT_TRUE(image.HasTransparency());
  EXPECT_EQ(ScreenAt(55, 50), Background);
  EXPECT_EQ(ScreenAt(55, 55), ColorOf(2));
  image.SetColor(static_cast<TColor>(RGB(250, 0, 250)));
  image.SetOpaque(true);
  Settle();
  EXPECT_EQ(ScreenAt(55, 50), RGB(250, 0, 250));
  EXPECT_EQ(ScreenAt(55, 55), ColorOf(2));
}

TEST_F(GIFImageTest, PlacesThePictureByItsOptions) {
  TGIFImage& wide =
      Make(0, 0, 225, 41, GifWriter(234, 39).Image(Solid(234, 39, 1)).Trailer().Data());
  wide.SetCenter(true);
  EXPECT_EQ(wide.PictureRect().left, -4);
  EXPECT_EQ(wide.PictureRect().top, 1);

  TGIFImage& square =
      Make(0, 100, 200, 100, GifWriter(100, 100).Image(Solid(100, 100, 3)).Trailer().Data());
  square.SetStretchRatio(true);
  RECT rect = square.PictureRect();
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.right, 150);
  EXPECT_EQ(rect.bottom, 100);
  Settle();
  EXPECT_EQ(ScreenAt(60, 150), ColorOf(3));
  EXPECT_EQ(ScreenAt(40, 150), Background);
  // Larger than the picture, and only shrinking allowed: drawn as it is.
  square.SetStretch(true);
  square.SetStretchBigOnly(true);
  EXPECT_EQ(square.PictureRect().right, 100);

  TGIFImage& tiles =
      Make(250, 0, 100, 50, GifWriter(30, 20).Image(Solid(30, 20, 5)).Trailer().Data());
  tiles.SetTile(true);
  Settle();
  // Four columns and three rows, the last ones cut by the bounds.
  EXPECT_EQ(ScreenAt(250 + 95, 45), ColorOf(5));
  EXPECT_EQ(tiles.PictureRect().right, 100);
}

TEST_F(GIFImageTest, CarriesItsPictureAsFormDataAndCopiesOrClearsByAssignment) {
  Bytes gif = GifWriter(6, 4).Image(Solid(6, 4, 1)).Trailer().Data();
  TGIFImage& image = form->Create<TGIFImage>(PlaceAt(0, 0, 10, 10));
  EXPECT_TRUE(image.WriteData().size() == 4 && image.Empty());
  image.ReadData(WriteGIFFormData(gif));
  image.Loaded();
  EXPECT_FALSE(image.Empty());
  EXPECT_EQ(image.WriteData(), WriteGIFFormData(gif));
  EXPECT_EQ(image.CurrentFrame(), 1);
  // Stored forms name the control itself as its graphic, and setting it changes nothing.
  image.SetGraphic(nullptr);
  EXPECT_EQ(image.Graphic(), &image);

  TGIFImage& copy = form->Create<TGIFImage>(PlaceAt(20, 0, 10, 10));
  copy.Assign(&image);
  EXPECT_EQ(copy.DataStream(), gif);
  UniqueBitmap first = copy.AssignTo();
  BITMAP shape{};
  ASSERT_TRUE(GetObjectA(first.get(), sizeof shape, &shape));
  EXPECT_EQ(shape.bmWidth, 6);
  EXPECT_EQ(shape.bmHeight, 4);
  EXPECT_EQ(shape.bmBitsPixel, 8);
  EXPECT_NE(copy.GetPalette(), nullptr);

  TGIFImage empty(form, PlaceAt(40, 0, 10, 10));
  copy.Assign(&empty);
  EXPECT_TRUE(copy.Empty());
  EXPECT_FALSE(copy.AssignTo());
  image.Assign(nullptr);
  EXPECT_TRUE(image.Empty());
}

TEST_F(GIFImageTest, ReportsProgressAndAbortsSilently) {
  Bytes gif = GifWriter(400, 400).Image(Solid(400, 400, 1)).Trailer().Data();
  TGIFImage& image = form->Create<TGIFImage>(PlaceAt(0, 0, 10, 10));
  std::vector<int> percentages;
  image.OnProgress = [&](TGIFImage& sender, std::size_t, std::size_t total, int percentage,
                         bool& keep) {
    EXPECT_EQ(&sender, &image);
    EXPECT_EQ(total, gif.size());
    percentages.push_back(percentage);
    if (percentage > 90) keep = false;
  };
  EXPECT_FALSE(image.LoadFromStream(gif));
  EXPECT_TRUE(image.Empty());
  EXPECT_GT(percentages.size(), 2u);
  // No error box: the abort is silent.
  application.ProcessMessages();
  EXPECT_EQ(test::FindMessageBox(GetCurrentProcessId()), nullptr);
}

// A system short of GDI objects refuses the buffer's bitmap.
HBITMAP WINAPI RefusedBitmap(HDC, int, int) {
  return nullptr;
}

TEST_F(GIFImageTest, PaintsLeaveNoGdiObjectsBehindAlsoWhenTheBufferIsRefused) {
  // A transparent pixel: every paint draws through the off-screen buffer.
  GifImage picture = Solid(30, 30, 2);
  picture.pixels[0] = 7;
  TGIFImage& image =
      Make(10, 10, 30, 30, GifWriter(30, 30).Control(0, 0, 7).Image(picture).Trailer().Data());
  WindowDC dc(image.Handle());
  const int before = GdiObjectCount();
  {
    // The count sees the buffer's context and bitmap (else this test could prove nothing).
    OffScreen buffer(dc.get(), 30, 30);
    EXPECT_EQ(GdiObjectCount(), before + 2);
  }
  EXPECT_EQ(GdiObjectCount(), before);
  for (int paint = 0; paint < 200; ++paint) {
    image.Repaint();
    SendMessageA(image.Handle(), WM_PAINT, 0, 0);
  }
  EXPECT_EQ(GdiObjectCount(), before);
  EXPECT_EQ(ScreenAt(20, 20), ColorOf(2));

  for (int paint = 0; paint < 200; ++paint) {
    try {
      OffScreen buffer(dc.get(), 30, 30, &RefusedBitmap);
      ADD_FAILURE() << "a buffer without a bitmap";
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), "Out of system resources");
    }
  }
  EXPECT_EQ(GdiObjectCount(), before);
}

TEST_F(GIFImageTest, AnswersClicksWithinItsPicture) {
  TGIFImage& image =
      Make(100, 100, 40, 40, GifWriter(20, 20).Image(Solid(20, 20, 1)).Trailer().Data());
  int clicks = 0;
  image.OnClick = [&] { ++clicks; };
  SendMessageA(image.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(image.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicks, 1);
  // Released outside: no click.
  SendMessageA(image.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(image.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
  EXPECT_EQ(clicks, 1);
  // Outside the picture the control is not there: the form is.
  POINT inside{110, 110}, outside{130, 130};
  ClientToScreen(form->Handle(), &inside);
  ClientToScreen(form->Handle(), &outside);
  EXPECT_EQ(WindowFromPoint(inside), image.Handle());
  EXPECT_EQ(WindowFromPoint(outside), form->Handle());
}

// What the mouse does over picture A, as window messages in A's client
// coordinates (0 takes the capture away), and the events that come of it.
struct MouseInput {
  UINT message;
  int x, y;
  WPARAM keys = 0;
};

struct MouseCase {
  const char* name;
  TDragMode mode;
  TDragKind kind;
  std::vector<MouseInput> inputs;
  std::string events;
};

// A at (100, 100), B at (200, 100) accepts drops, C at (100, 200) refuses them; 40 x 40
// controls holding 20 x 20 pictures. A's (110, 10) is B's (10, 10), A's (10, 110) C's (10, 10).
const MouseCase mouseCases[] = {
    {"Click",
     TDragMode::dmManual,
     TDragKind::dkDrag,
     {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON}, {WM_LBUTTONUP, 5, 5}},
     "down(L,5,5) click up(L,5,5)"},
    {"DoubleClickClicksOnce",
     TDragMode::dmManual,
     TDragKind::dkDrag,
     {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON},
      {WM_LBUTTONUP, 5, 5},
      {WM_LBUTTONDBLCLK, 5, 5, MK_LBUTTON},
      {WM_LBUTTONUP, 5, 5}},
     "down(L,5,5) click up(L,5,5) dblclick down(L,5,5) up(L,5,5)"},
    {"OtherButtonsAndKeys",
     TDragMode::dmManual,
     TDragKind::dkDrag,
     {{WM_RBUTTONDOWN, 3, 4, MK_RBUTTON | MK_SHIFT},
      {WM_RBUTTONUP, 3, 4, MK_SHIFT},
      {WM_MBUTTONDOWN, 6, 7, MK_MBUTTON | MK_CONTROL},
      {WM_MBUTTONUP, 6, 7}},
     "down(R,3,4,s) up(R,3,4,s) down(M,6,7,c) up(M,6,7)"},
    {"Move",
     TDragMode::dmManual,
     TDragKind::dkDrag,
     {{WM_MOUSEMOVE, 3, 4, MK_SHIFT | MK_CONTROL}, {WM_MOUSEMOVE, -2, 50}},
     "move(3,4,sc) move(-2,50)"},
    {"ManualModeMovesWithTheButtonHeldDoNotDrag",
     TDragMode::dmManual,
     TDragKind::dkDrag,
     {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON},
      {WM_MOUSEMOVE, 110, 10, MK_LBUTTON},
      {WM_LBUTTONUP, 110, 10}},
     "down(L,5,5) move(110,10) up(L,110,10)"},
    {"DragDroppedOnAPictureThatAccepts",
     TDragMode::dmAutomatic,
     TDragKind::dkDrag,
     {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON},
      {WM_MOUSEMOVE, 110, 10, MK_LBUTTON},
      {WM_MOUSEMOVE, 111, 12, MK_LBUTTON},
      {WM_LBUTTONUP, 111, 12}},
     "startdrag over(B,enter,10,10) over(B,move,11,12) drop(B,11,12) enddrag(B,11,12)"},
    {"PressWithoutMovingIsNeitherDragNorClick",
     TDragMode::dmAutomatic,
     TDragKind::dkDrag,
     {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON}, {WM_MOUSEMOVE, 6, 6, MK_LBUTTON}, {WM_LBUTTONUP, 6, 6}},
     "startdrag enddrag(none)"},
    {"DragOverARefusingPictureAndDroppedOnNothing",
     TDragMode::dmAutomatic,
     TDragKind::dkDrag,
     {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON},
      {WM_MOUSEMOVE, 10, 110, MK_LBUTTON},
      {WM_MOUSEMOVE, 50, 50, MK_LBUTTON},
      {WM_LBUTTONUP, 50, 50}},
     "startdrag over(C,enter,10,10) over(C,leave) enddrag(none)"},
    {"DropOnARefusingPicture",
     TDragMode::dmAutomatic,
     TDragKind::dkDrag,
     {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON},
      {WM_MOUSEMOVE, 10, 110, MK_LBUTTON},
      {WM_LBUTTONUP, 10, 110}},
     "startdrag over(C,enter,10,10) over(C,leave) enddrag(none)"},
    {"CaptureTakenAwayEndsTheDragWithoutADrop",
     TDragMode::dmAutomatic,
     TDragKind::dkDrag,
     {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON}, {WM_MOUSEMOVE, 110, 10, MK_LBUTTON}, {0, 0, 0}},
     "startdrag over(B,enter,10,10) over(B,leave) enddrag(none)"},
    {"DockDragHasNoSiteToLandOn",
     TDragMode::dmAutomatic,
     TDragKind::dkDock,
     {{WM_LBUTTONDOWN, 5, 5, MK_LBUTTON},
      {WM_MOUSEMOVE, 110, 10, MK_LBUTTON},
      {WM_LBUTTONUP, 110, 10}},
     "startdock enddock(none)"},
};

class GIFImageMouse : public GIFImageTest, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(GIFImageMouse, RaisesTheEventsOfWhatTheMouseDoes) {
  const MouseCase& test = GetParam();
  Bytes gif = GifWriter(20, 20).Image(Solid(20, 20, 1)).Trailer().Data();
  TGIFImage& a = Make(100, 100, 40, 40, gif);
  TGIFImage& b = Make(200, 100, 40, 40, gif);
  TGIFImage& c = Make(100, 200, 40, 40, gif);
  a.DragMode = test.mode;
  a.DragKind = test.kind;
  std::string events;
  auto log = [&](const std::string& event) { events += (events.empty() ? "" : " ") + event; };
  auto at = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
  auto keys = [](unsigned shift) {
    std::string text = shift ? "," : "";
    if (shift & ssShift) text += "s";
    if (shift & ssCtrl) text += "c";
    if (shift & ssAlt) text += "a";
    return text;
  };
  auto button = [](TMouseButton which) {
    return which == TMouseButton::mbLeft ? "L" : which == TMouseButton::mbRight ? "R" : "M";
  };
  auto name = [&](const TGIFImage* image) {
    return image == &b ? "B" : image == &c ? "C" : image ? "?" : "none";
  };
  a.OnClick = [&] { log("click"); };
  a.OnDblClick = [&] { log("dblclick"); };
  a.OnMouseDown = [&](TMouseButton which, unsigned shift, int x, int y) {
    log(std::string("down(") + button(which) + "," + at(x, y) + keys(shift) + ")");
  };
  a.OnMouseUp = [&](TMouseButton which, unsigned shift, int x, int y) {
    log(std::string("up(") + button(which) + "," + at(x, y) + keys(shift) + ")");
  };
  a.OnMouseMove = [&](unsigned shift, int x, int y) {
    log("move(" + at(x, y) + keys(shift) + ")");
  };
  a.OnStartDrag = [&] { log("startdrag"); };
  a.OnStartDock = [&] { log("startdock"); };
  a.OnEndDrag = [&](TGIFImage* target, int x, int y) {
    log(std::string("enddrag(") + name(target) + (target ? "," + at(x, y) : "") + ")");
  };
  a.OnEndDock = [&](TGIFImage* target, int, int) {
    log(std::string("enddock(") + name(target) + ")");
  };
  for (TGIFImage* target : {&b, &c}) {
    target->OnDragOver = [&, target](TGIFImage& source, int x, int y, TDragState state,
                                     bool& accept) {
      EXPECT_EQ(&source, &a);
      EXPECT_TRUE(accept);
      accept = target == &b;
      log(std::string("over(") + name(target) +
          (state == TDragState::dsDragLeave   ? ",leave"
           : state == TDragState::dsDragEnter ? ",enter," + at(x, y)
                                              : ",move," + at(x, y)) +
          ")");
    };
    target->OnDragDrop = [&, target](TGIFImage& source, int x, int y) {
      EXPECT_EQ(&source, &a);
      log(std::string("drop(") + name(target) + "," + at(x, y) + ")");
    };
  }
  for (const MouseInput& input : test.inputs) {
    if (input.message == 0)
      ReleaseCapture();
    else
      SendMessageA(a.Handle(), input.message, input.keys, MAKELPARAM(input.x, input.y));
  }
  EXPECT_EQ(events, test.events);
  EXPECT_FALSE(a.Dragging());
  EXPECT_NE(GetCapture(), a.Handle());
}

INSTANTIATE_TEST_SUITE_P(Table, GIFImageMouse, ::testing::ValuesIn(mouseCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Three frames of 2 x 1, 30 ms each, played twice; frame 2 is transparent and disposed to the
// background.
Bytes Animation() {
  GifWriter writer(2, 1);
  writer.Loop(2);
  GifImage second = Solid(2, 1, 2);
  second.pixels[1] = 7;
  writer.Control(1, 3).Image(Solid(2, 1, 1));
  writer.Control(2, 3, 7).Image(second);
  writer.Control(1, 3).Image(Solid(1, 1, 3, 1, 0));
  return writer.Trailer().Data();
}

class GIFAnimation : public GIFImageTest, public ::testing::WithParamInterface<bool> {};

TEST_P(GIFAnimation, StepsThroughItsFramesForItsLoopCountWithEitherTimer) {
  TGIFImage& image = form->Create<TGIFImage>(PlaceAt(0, 0, 2, 1));
  image.SetThreaded(GetParam());
  ASSERT_TRUE(image.LoadFromStream(Animation()));
  EXPECT_EQ(image.FrameCount(), 3);
  EXPECT_EQ(image.LoopCount(), 2);
  std::vector<int> frames;
  std::vector<std::vector<TGIFColor>> pictures;
  int wraps = 0;
  image.OnChange = [&](TGIFImage& sender) {
    frames.push_back(sender.CurrentFrame());
    pictures.push_back(sender.Composer()->Pixels());
  };
  image.OnWrapAnimation = [&](TGIFImage&) { ++wraps; };
  image.SetAnimate(true);
  ASSERT_TRUE(image.HasTimer());
  EXPECT_EQ(image.Timer()->Threaded(), GetParam());
  ASSERT_TRUE(test::WaitUntil([&] { return !image.HasTimer(); }, 10000));
  // Ticks draw frames 1 (already there), 2, 3, then 1, 2, 3 again, and stop
  // one past the last frame, which stays on screen.
  EXPECT_EQ(frames, (std::vector<int>{2, 3, 4, 2, 3, 4}));
  EXPECT_EQ(wraps, 2);
  EXPECT_EQ(image.CurrentFrame(), 4);
  ASSERT_EQ(pictures.size(), 6u);
  const TGIFColor one = test::TestColor(1), two = test::TestColor(2), three = test::TestColor(3);
  EXPECT_EQ(pictures[1], (std::vector<TGIFColor>{two, one}));
  EXPECT_EQ(pictures[2], (std::vector<TGIFColor>{0, three}));
  // The wrap draws frame 1 over what frame 3 left.
  EXPECT_EQ(pictures[3], (std::vector<TGIFColor>{one, one}));
  Settle();
  EXPECT_EQ(ScreenAt(1, 0), ColorOf(3));
}

TEST_P(GIFAnimation, StopsWhenAnimateIsSwitchedOffAndIgnoresFramesOutOfRange) {
  TGIFImage& image = form->Create<TGIFImage>(PlaceAt(0, 0, 2, 1));
  image.SetThreaded(GetParam());
  ASSERT_TRUE(image.LoadFromStream(Animation()));
  image.SetLoop(true);
  image.SetAnimate(true);
  ASSERT_TRUE(test::WaitUntil([&] { return image.CurrentFrame() == 3; }, 10000));
  image.SetAnimate(false);
  EXPECT_FALSE(image.HasTimer());
  EXPECT_EQ(image.CurrentFrame(), 1);
  image.SetCurrentFrame(0);
  image.SetCurrentFrame(4);
  EXPECT_EQ(image.CurrentFrame(), 1);
  image.SetCurrentFrame(3);
  EXPECT_EQ(image.CurrentFrame(), 3);
  image.SetSpeed(0);
  EXPECT_EQ(image.Speed(), 1);
}

INSTANTIATE_TEST_SUITE_P(WindowAndWorker, GIFAnimation, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Threaded" : "Window"; });

}  // namespace
}  // namespace velloran
