#pragma once
// TGIFImage shows a GIF picture, still or animated, inside its bounds: at its
// top-left corner, centred, stretched (freely or keeping the ratio) or tiled,
// over what lies beneath or over its own colour. Its GIF bytes come as form
// data ("Data": a 32-bit length, then the file); frames are composed by the
// portable composer and stepped with a TTimerEx.
//
// The control has a window of its own, shaped to the area the picture covers
// (the whole control when Opaque or tiled or stretched): what lies beneath
// shows through transparent pixels, and outside the picture the window does
// not exist, so labels and image areas beneath stay visible and clickable.
//
// Threading: user-interface thread only; the timer ticks there too.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "framework/Control.h"
#include "framework/Handles.h"
#include "framework/Mouse.h"
#include "gif/GIFBitmaps.h"
#include "gif/GIFCompose.h"
#include "gif/GIFData.h"
#include "gif/TimerEx.h"

namespace velloran {

class TGIFImage;

// A frame's device-independent bitmaps, made when first needed.
class TGIFFrame {
 public:
  TGIFFrame(TGIFImage& owner, const TGIFFrameData& data) : owner_(owner), data_(data) {}
  const TGIFFrameData& Data() const { return data_; }
  // The 8-bit image with its colour table.
  HBITMAP Bitmap();
  // The transparency mask, none when the frame is opaque.
  HBITMAP Mask();

 private:
  TGIFImage& owner_;
  const TGIFFrameData& data_;
  UniqueBitmap bitmap_;
  UniqueBitmap mask_;
};

enum class TDragMode { dmManual, dmAutomatic };
// A dock drag ends without a target: no control here is a dock site.
enum class TDragKind { dkDrag, dkDock };
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };

class TGIFImage : public TWinControl {
 public:
  using TNotifyEvent = std::function<void(TGIFImage& sender)>;
  using TProgressEvent =
      std::function<void(TGIFImage& sender, std::size_t bytesProcessed, std::size_t bytesToProcess,
                         int percentageProcessed, bool& keepOnProcessing)>;
  // X and Y are in the control's client coordinates, Shift a set of TShiftState.
  using TMouseEvent = std::function<void(TMouseButton button, unsigned shift, int x, int y)>;
  using TMouseMoveEvent = std::function<void(unsigned shift, int x, int y)>;
  // Source is the control being dragged; Accept starts true (without a handler: refused).
  using TDragOverEvent =
      std::function<void(TGIFImage& source, int x, int y, TDragState state, bool& accept)>;
  using TDragDropEvent = std::function<void(TGIFImage& source, int x, int y)>;
  // Target is none when the drag ended over nothing that accepted it.
  using TEndDragEvent = std::function<void(TGIFImage* target, int x, int y)>;

  TGIFImage(TComponent* owner, const ControlArgs& args);
  ~TGIFImage() override;

  // Form data: "Data" is read into the picture's bytes; Loaded decodes them.
  void ReadData(std::span<const std::uint8_t> formData);
  std::vector<std::uint8_t> WriteData() const;
  void Loaded();

  // Decodes Bytes; false (and empty) when they hold no picture that loads.
  bool LoadFromStream(std::span<const std::uint8_t> bytes);
  void Clear();
  // The picture of another control, or an empty one when Source is none or empty.
  void Assign(const TGIFImage* source);
  // Frame 1's own image (a copy this control keeps), none when empty.
  HBITMAP FirstFrameBitmap();
  // A copy of FirstFrameBitmap for Destination to own; empty when the control is.
  UniqueBitmap AssignTo() { return CopyOfFirstFrame(); }
  HPALETTE GetPalette();

  bool Empty() const { return empty_; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  int PictureWidth() const { return picture_.width; }
  int PictureHeight() const { return picture_.height; }
  int LoopCount() const { return picture_.loopCount; }
  TGIFVersion Version() const { return picture_.version; }
  bool HasTransparency() const { return picture_.hasTransparency; }
  const std::vector<std::uint8_t>& DataStream() const { return dataStream_; }
  // What the composed pair holds now (for tests and tools): colours and mask.
  const TGIFComposer* Composer() const { return composer_.get(); }
  bool HasTimer() const { return timer_ != nullptr; }
  TTimerEx* Timer() const { return timer_; }

  bool Animate() const { return animate_; }
  void SetAnimate(bool animate);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool Center() const { return center_; }
  void SetCenter(bool center) { SetOption(center_, center); }
  int CurrentFrame() const { return currentFrame_; }
  void SetCurrentFrame(int frame);
  bool DoubleBuffered = true;
  bool FirstImageOnly = false;
  bool Loop() const { return loop_; }
  void SetLoop(bool loop);
  bool Opaque() const { return opaque_; }
  void SetOpaque(bool opaque) { SetOption(opaque_, opaque); }
  int Speed() const { return speed_; }
  void SetSpeed(int speed);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch) { SetOption(stretch_, stretch); }
  bool StretchRatio() const { return stretchRatio_; }
  void SetStretchRatio(bool stretchRatio) { SetOption(stretchRatio_, stretchRatio); }
  bool StretchBigOnly() const { return stretchBigOnly_; }
  void SetStretchBigOnly(bool stretchBigOnly) { SetOption(stretchBigOnly_, stretchBigOnly); }
  bool Tile() const { return tile_; }
  void SetTile(bool tile) { SetOption(tile_, tile); }
  bool Threaded() const { return threaded_; }
  void SetThreaded(bool threaded);
  TThreadPriority ThreadPriority() const { return threadPriority_; }
  void SetThreadPriority(TThreadPriority priority);
  // The control's own: hides the picture only, clicks still arrive.
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  TColor Color() const { return color_; }
  void SetColor(TColor color) { SetOption(color_, color); }
  // Reads as the control itself, so that stored forms name it; setting it does nothing.
  TGIFImage* Graphic() { return this; }
  void SetGraphic(TGIFImage*) {}

  // Automatic: a left-button press starts a drag instead of a click.
  TDragMode DragMode = TDragMode::dmManual;
  TDragKind DragKind = TDragKind::dkDrag;
  // Shown over a control that accepts the drop; elsewhere the no-drop cursor.
  LPCSTR DragCursor = IDC_ARROW;
  // Starts a drag with the left button held; unless Immediate it waits until
  // the mouse has moved by the system's drag distance. Nothing when one runs.
  void BeginDrag(bool immediate);
  bool Dragging() const { return drag_.has_value(); }

  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;
  TNotifyEvent OnWrapAnimation;
  TProgressEvent OnProgress;
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  std::function<void()> OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;
  std::function<void()> OnStartDock;
  TEndDragEvent OnEndDock;

  // Where the picture goes in client coordinates.
  RECT PictureRect() const;
  // Redraws the picture now, without waiting for a paint message.
  virtual void Repaint();

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void Changing();
  virtual void Change();
  virtual void Progress(std::size_t processed, std::size_t total, bool& keepOnProcessing);

 private:
  friend class TGIFFrame;
  template <typename T>
  void SetOption(T& field, T value) {
    if (field == value) return;
    field = value;
    UpdateOpacity();
    Invalidate();
  }
  void ClearFrames();
  void UpdateOpacity();
  void UpdateShape();
  void PaintTo(HDC dc);
  void PaintWhole(HDC dc);
  void DrawFrame();
  void DisposeFrame(int k);
  void UploadComposed(int k);
  void ArmTimer(bool on, int interval);
  void TimerTick();
  int IntervalOf(int frame) const;
  bool PassesLeft() const;
  UniqueBitmap CopyOfFirstFrame();
  SIZE ClientSize() const;
  std::optional<LRESULT> MouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void DragTo(POINT screen);
  void EndDrag(bool drop, POINT screen);
  bool AcceptsDrop(TGIFImage& target, POINT screen, TDragState state);
  static TGIFImage* PictureAt(HWND window);
  void StartDrag(bool immediate, POINT screen);

  // A drag in progress: where it began, whether it has moved far enough, the control under it.
  struct DragRun {
    POINT start{};
    bool moving = false;
    HWND target = nullptr;  // looked up again each time: a handler may destroy it
    bool accepted = false;
  };

  TGIFPictureData picture_;
  std::vector<std::unique_ptr<TGIFFrame>> frames_;
  std::unique_ptr<TGIFComposer> composer_;
  UniqueBitmap composed_;      // the display's format
  UniqueBitmap composedMask_;  // monochrome, only with transparency
  UniqueBitmap firstBitmap_;
  UniquePalette palette_;
  std::vector<std::uint8_t> dataStream_;

  bool animated_ = false;
  bool animate_ = false;
  bool autoSize_ = false;
  bool center_ = false;
  int currentFrame_ = 0;
  bool empty_ = true;
  bool loop_ = false;
  bool opaque_ = false;
  int speed_ = 100;
  bool stretch_ = false;
  bool stretchRatio_ = false;
  bool stretchBigOnly_ = false;
  bool threaded_ = false;
  TThreadPriority threadPriority_ = TThreadPriority::tpNormal;
  bool tile_ = false;
  bool visible_ = true;
  TColor color_ = clBtnFace;
  int loopsDone_ = 1;
  bool firstTick_ = true;
  bool repainting_ = false;
  bool needsStretch_ = false;
  bool fullCover_ = false;
  bool pressed_ = false;
  std::optional<RECT> shape_;
  std::optional<DragRun> drag_;
  TTimerEx* timer_ = nullptr;
};

}  // namespace velloran
