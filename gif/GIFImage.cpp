#include "gif/GIFImage.h"

#include <algorithm>
#include <cmath>

#include "framework/Application.h"
#include "gif/GIFBitmapFile.h"
#include "gif/GIFFormData.h"
#include "gif/GIFReader.h"

namespace velloran {
namespace {

constexpr const char* ClassName = "VelloranGIFImage";
constexpr UINT QueryNewPalette = 0x030F;

RECT Intersection(const RECT& a, const RECT& b) {
  RECT result{};
  IntersectRect(&result, &a, &b);
  return result;
}

bool SameRect(const RECT& a, const RECT& b) {
  return EqualRect(&a, &b) != FALSE;
}

}  // namespace

// ---- TGIFFrame

HBITMAP TGIFFrame::Bitmap() {
  if (!bitmap_) bitmap_ = BitmapFromFile(FrameBitmapFile(data_));
  return bitmap_.get();
}

HBITMAP TGIFFrame::Mask() {
  if (!data_.transparent) return nullptr;
  if (!mask_) mask_ = BitmapFromFile(FrameMaskFile(data_));
  return mask_.get();
}

// ---- TGIFImage

TGIFImage::TGIFImage(TComponent* owner, const ControlArgs& args) : TWinControl(owner) {
  CreateOwnWindow(ClassName, WithStyle(args, WS_CLIPSIBLINGS), CS_DBLCLKS, nullptr, nullptr);
  UpdateOpacity();
}

TGIFImage::~TGIFImage() {
  ClearFrames();
  // The timer and the window go with the components and the base class.
}

void TGIFImage::ReadData(std::span<const std::uint8_t> formData) {
  dataStream_ = ReadGIFFormData(formData);
}

std::vector<std::uint8_t> TGIFImage::WriteData() const {
  return WriteGIFFormData(dataStream_);
}

void TGIFImage::Loaded() {
  if (!dataStream_.empty()) LoadFromStream(std::vector<std::uint8_t>(dataStream_));
}

bool TGIFImage::LoadFromStream(std::span<const std::uint8_t> bytes) {
  // Bytes may be this control's own stream, which ClearFrames empties.
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  try {
    ClearFrames();
    dataStream_ = std::move(data);
    TGIFReadOptions options;
    options.firstImageOnly = FirstImageOnly;
    if (OnProgress)
      options.progress = [this](std::size_t processed, std::size_t total, bool& keep) {
        Progress(processed, total, keep);
      };
    if (!ReadGIF(dataStream_, options, picture_)) {
      Clear();
      return false;
    }
    for (const TGIFFrameData& frame : picture_.frames)
      frames_.push_back(std::make_unique<TGIFFrame>(*this, frame));
    composed_ = DisplayBitmap(picture_.width, picture_.height);
    if (autoSize_) {
      RECT bounds = BoundsRect();
      SetBounds(bounds.left, bounds.top, picture_.width, picture_.height);
    }
    animated_ = frames_.size() > 1;
    empty_ = false;
    composer_ = std::make_unique<TGIFComposer>(picture_);
    composedMask_.reset();
    if (picture_.hasTransparency) composedMask_ = MonochromeBitmap(picture_.width, picture_.height);
    UpdateOpacity();
    Changing();
    DrawFrame();
    Change();
  } catch (const std::exception&) {
    // Out of memory or GDI resources: as a picture that does not decode.
    Clear();
    return false;
  }
  if (HWND parent = GetParent(Handle())) PostMessageA(parent, QueryNewPalette, 0, 0);
  Invalidate();
  return true;
}

void TGIFImage::ClearFrames() {
  empty_ = true;
  ArmTimer(false, 0);
  composer_.reset();
  frames_.clear();
  picture_.frames.clear();
  dataStream_.clear();
  currentFrame_ = 1;
  picture_.loopCount = 1;
  loopsDone_ = 1;
  firstTick_ = true;
  picture_.colorBits = 0;
  picture_.hasTransparency = false;
  firstBitmap_.reset();
  palette_.reset();
}

void TGIFImage::Clear() {
  ClearFrames();
  composedMask_.reset();
  composed_.reset();
  UpdateOpacity();
  Invalidate();
}

void TGIFImage::Assign(const TGIFImage* source) {
  if (!source || source->empty_) {
    Clear();
    return;
  }
  LoadFromStream(source->dataStream_);
}

HBITMAP TGIFImage::FirstFrameBitmap() {
  if (empty_ || frames_.empty()) return nullptr;
  if (!firstBitmap_)
    firstBitmap_.reset(static_cast<HBITMAP>(
        CopyImage(frames_[0]->Bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  return firstBitmap_.get();
}

UniqueBitmap TGIFImage::CopyOfFirstFrame() {
  HBITMAP first = FirstFrameBitmap();
  if (!first) return UniqueBitmap();
  return UniqueBitmap(
      static_cast<HBITMAP>(CopyImage(first, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

HPALETTE TGIFImage::GetPalette() {
  if (empty_ || frames_.empty() || !visible_) return nullptr;
  if (currentFrame_ < 1 || currentFrame_ > FrameCount()) return nullptr;
  palette_.reset(BitmapPalette(frames_[std::size_t(currentFrame_ - 1)]->Bitmap()));
  return palette_.get();
}

void TGIFImage::Changing() {
  if (OnChanging) OnChanging(*this);
}

void TGIFImage::Change() {
  if (OnChange) OnChange(*this);
}

void TGIFImage::Progress(std::size_t processed, std::size_t total, bool& keepOnProcessing) {
  if (OnProgress)
    OnProgress(*this, processed, total, GIFPercentage(processed, total), keepOnProcessing);
}

// ---- Layout and painting

SIZE TGIFImage::ClientSize() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return SIZE{client.right, client.bottom};
}

RECT TGIFImage::PictureRect() const {
  const SIZE size = ClientSize();
  const int W = size.cx, H = size.cy, w = picture_.width, h = picture_.height;
  const RECT client{0, 0, W, H};
  if (empty_ || w == 0 || h == 0) return RECT{0, 0, 0, 0};
  if (needsStretch_ && stretchRatio_ && !stretch_) {
    const float rx = float(W) / float(w), ry = float(H) / float(h);
    // Halves round to even, as the default floating-point rounding does.
    if (rx > ry) {
      const float d = (float(W) - float(w) * ry) / 2;
      return RECT{int(std::nearbyint(d)), 0, int(std::nearbyint(float(W) - d)), H};
    }
    const float d = (float(H) - float(h) * rx) / 2;
    return RECT{0, int(std::nearbyint(d)), W, int(std::nearbyint(float(H) - d))};
  }
  if (needsStretch_ || tile_) return client;
  if (center_) {
    const int left = (W - w) / 2, top = (H - h) / 2;
    return RECT{left, top, left + w, top + h};
  }
  return RECT{0, 0, w, h};
}

void TGIFImage::UpdateOpacity() {
  const SIZE size = ClientSize();
  const bool differs = size.cx != picture_.width || size.cy != picture_.height;
  const bool bigEnough = size.cx >= picture_.width && size.cy >= picture_.height;
  needsStretch_ = (stretch_ || stretchRatio_) && differs && !(stretchBigOnly_ && bigEnough);
  const RECT client{0, 0, size.cx, size.cy};
  fullCover_ = visible_ && !empty_ && !frames_.empty() && !frames_[0]->Data().transparent &&
               SameRect(Intersection(PictureRect(), client), client);
  UpdateShape();
}

void TGIFImage::UpdateShape() {
  const SIZE size = ClientSize();
  const RECT client{0, 0, size.cx, size.cy};
  // Outside the picture the control is not there: what lies beneath shows and takes the clicks.
  RECT shape = client;
  if (!opaque_ && !empty_ && visible_) shape = Intersection(PictureRect(), client);
  if (shape_ && SameRect(*shape_, shape)) return;
  shape_ = shape;
  HRGN region = SameRect(shape, client) ? nullptr : CreateRectRgnIndirect(&shape);
  // The window owns the region from here on.
  SetWindowRgn(Handle(), region, TRUE);
}

void TGIFImage::PaintTo(HDC dc) {
  if (!visible_) return;
  const SIZE size = ClientSize();
  if (opaque_ && !fullCover_) {
    UniqueBrush owned;
    RECT client{0, 0, size.cx, size.cy};
    FillRect(dc, &client, ColorBrush(color_, owned));
  }
  if (empty_ || frames_.empty() || !composed_) return;
  const int w = picture_.width, h = picture_.height;
  std::vector<RECT> rects;
  if (needsStretch_) {
    rects.push_back(PictureRect());
  } else if (tile_) {
    for (int row = 0; row <= size.cy / h; ++row)
      for (int column = 0; column <= size.cx / w; ++column)
        rects.push_back(RECT{column * w, row * h, column * w + w, row * h + h});
  } else {
    const int left = center_ ? (size.cx - w) / 2 : 0, top = center_ ? (size.cy - h) / 2 : 0;
    rects.push_back(RECT{left, top, left + w, top + h});
  }
  const bool transparent = frames_[0]->Data().transparent && composedMask_;
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  for (const RECT& rect : rects) {
    if (!transparent) {
      StretchDrawDC(composed_.get(), dc, rect, SRCCOPY);
    } else {
      // White mask pixels keep the background; the picture is black there.
      StretchDrawDC(composedMask_.get(), dc, rect, SRCAND);
      StretchDrawDC(composed_.get(), dc, rect, SRCINVERT);
    }
  }
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

void TGIFImage::PaintWhole(HDC dc) {
  const SIZE size = ClientSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  if (!DoubleBuffered && fullCover_) {
    PaintTo(dc);
    return;
  }
  OffScreen buffer(dc, size.cx, size.cy);
  if (!fullCover_) PaintParentBackground(Handle(), buffer.get());
  PaintTo(buffer.get());
  BitBlt(dc, 0, 0, size.cx, size.cy, buffer.get(), 0, 0, SRCCOPY);
}

void TGIFImage::Repaint() {
  if (repainting_ || !visible_) return;
  repainting_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{repainting_};
  WindowDC dc(Handle());
  if (dc.get()) PaintWhole(dc.get());
}

LRESULT TGIFImage::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      UpdateOpacity();
      {
        PaintScope paint(Handle());
        PaintWhole(paint.dc());
      }
      const bool stepping = animate_ && FrameCount() > 1 && currentFrame_ <= FrameCount();
      ArmTimer(animated_ && animate_ && !empty_ && PassesLeft(),
               stepping ? IntervalOf(currentFrame_) : 1);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      UpdateOpacity();
      break;
    default:
      if (std::optional<LRESULT> handled = MouseMessage(message, wParam, lParam)) return *handled;
  }
  return TWinControl::WndProc(message, wParam, lParam);
}

// ---- Animation

void TGIFImage::DrawFrame() {
  if (!composer_ || currentFrame_ < 1 || currentFrame_ > FrameCount()) return;
  composer_->DrawFrame(currentFrame_);
  FillComposed(*composer_, composed_.get(), composedMask_.get());
}

void TGIFImage::DisposeFrame(int k) {
  if (!composer_ || k < 1 || k > FrameCount()) return;
  composer_->DisposeFrame(k);
  FillComposed(*composer_, composed_.get(), composedMask_.get());
}

int TGIFImage::IntervalOf(int frame) const {
  if (frame < 1 || frame > FrameCount()) return GIFFrameInterval(0, speed_);
  return GIFFrameInterval(picture_.frames[std::size_t(frame - 1)].delay, speed_);
}

bool TGIFImage::PassesLeft() const {
  return loopsDone_ <= picture_.loopCount || loop_ || picture_.loopCount == 0;
}

void TGIFImage::ArmTimer(bool on, int interval) {
  if (!on) {
    if (TTimerEx* timer = std::exchange(timer_, nullptr)) FreeComponent(*timer);
    return;
  }
  if (!timer_) {
    timer_ = &Create<TTimerEx>();
    timer_->SetThreaded(threaded_);
    timer_->SetThreadPriority(threadPriority_);
    timer_->SetOnTimer([this](TTimerEx&) { TimerTick(); });
  }
  timer_->SetInterval(static_cast<unsigned>(interval));
}

void TGIFImage::TimerTick() {
  if (empty_ || !animate_ || !timer_ || frames_.empty()) return;
  const DWORD start = GetTickCount();
  const int count = FrameCount();
  if (currentFrame_ > count || currentFrame_ < 1) currentFrame_ = 1;
  Changing();
  if (firstTick_) {
    // Frame 1 was composed by the load.
    firstTick_ = false;
  } else {
    DisposeFrame(currentFrame_ - 1 < 1 ? count : currentFrame_ - 1);
    DrawFrame();
    Repaint();
  }
  const int spent = static_cast<int>(GetTickCount() - start);
  timer_->SetInterval(static_cast<unsigned>(std::max(IntervalOf(currentFrame_) - spent, 1)));
  ++currentFrame_;
  const bool wrapped = currentFrame_ > count;
  if (!loop_ && picture_.loopCount > 0 && wrapped) {
    ++loopsDone_;
    // Passes used up: the timer goes, and the last frame stays on screen.
    ArmTimer(loopsDone_ <= picture_.loopCount, static_cast<int>(timer_->Interval()));
  } else if (wrapped || currentFrame_ <= 0) {
    currentFrame_ = 1;
  }
  Change();
  if (wrapped && OnWrapAnimation) OnWrapAnimation(*this);
}

void TGIFImage::SetAnimate(bool animate) {
  if (animate_ == animate) return;
  animate_ = animate;
  loopsDone_ = 1;
  const int interval = animate && FrameCount() > 1 ? IntervalOf(currentFrame_) : 0;
  ArmTimer(animate && animated_ && !empty_, interval);
  if (!animate && currentFrame_ > 1) {
    DisposeFrame(currentFrame_ - 1);
    currentFrame_ = 1;
    DrawFrame();
    Invalidate();
  }
}

void TGIFImage::SetAutoSize(bool autoSize) {
  if (autoSize_ == autoSize) return;
  autoSize_ = autoSize;
  if (autoSize && !empty_) {
    RECT bounds = BoundsRect();
    SetBounds(bounds.left, bounds.top, picture_.width, picture_.height);
    Invalidate();
  }
}

void TGIFImage::SetCurrentFrame(int frame) {
  if (currentFrame_ == frame) return;
  if (frames_.empty() || frame < 1 || frame > FrameCount()) return;
  Changing();
  DisposeFrame(currentFrame_);
  currentFrame_ = frame;
  DrawFrame();
  Repaint();
  Change();
}

void TGIFImage::SetLoop(bool loop) {
  if (loop_ == loop) return;
  loop_ = loop;
  if (loop && !frames_.empty() && picture_.loopCount > 0 && loopsDone_ > picture_.loopCount) {
    currentFrame_ = 1;
    loopsDone_ = 1;
    ArmTimer(animate_ && animated_ && !empty_, IntervalOf(1));
  }
}

void TGIFImage::SetSpeed(int speed) {
  if (speed_ == speed) return;
  speed_ = std::max(speed, 1);
  if (FrameCount() > 1 && animate_ && timer_) timer_->SetInterval(1);
}

void TGIFImage::SetThreaded(bool threaded) {
  threaded_ = threaded;
  if (timer_) timer_->SetThreaded(threaded);
}

void TGIFImage::SetThreadPriority(TThreadPriority priority) {
  threadPriority_ = priority;
  if (timer_) timer_->SetThreadPriority(priority);
}

void TGIFImage::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  UpdateOpacity();
  Invalidate();
  HWND parent = GetParent(Handle());
  if (parent && GetFocus() == parent) PostMessageA(parent, QueryNewPalette, 0, 0);
}

}  // namespace velloran
