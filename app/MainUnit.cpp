#include "app/MainUnit.h"

#include "app/Resources.h"

namespace velloran {
namespace {

FormArgs MainWindowArgs() {
  FormArgs args;
  args.caption = TForm1::Caption;
  args.clientWidth = 741;
  args.clientHeight = 468;
  args.color = clBtnFace;
  args.font = TFont("MS Sans Serif", -10);
  args.iconResource = IDI_VELLORAN;
  args.desktopCenter = true;
  return args;
}

}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner, MainWindowArgs()) {
  FormCreate();
}

void TForm1::FormCreate() {
  // Shown before anything is loaded, so that a first download runs with the window on screen.
  Show();
}

}  // namespace velloran
