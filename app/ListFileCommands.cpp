// Loading a server list from a file: the main window's part.
#include "app/MainUnit.h"

namespace velloran {

void TForm1::AddListFileItems(TPopupMenu&) {}

}  // namespace velloran
