// The server check's part of the main window.
#include "app/MainUnit.h"

namespace velloran {

void TForm1::AddServerCheckItems(TPopupMenu&) {}

void TForm1::ListReplaced() {}

}  // namespace velloran
