#pragma once
// How the rows of velloran.exe's server grid look on the screen, read from
// the screen's pixels as a person would see them: the colours of their text
// and background in the Server column.

#include <windows.h>

#include <string>
#include <vector>

namespace velloran::test {

// A grey row has some hundred grey pixels and no black ones; a row in the
// normal colours may have a few grey ones where the system smooths its text.
struct RowLook {
  int blackText = 0;     // pixels of the normal text colour
  int greyText = 0;      // clGray, the text of rows that did not answer
  int silverText = 0;    // clSilver, the same on the selection's colour
  int checkingBand = 0;  // the pale blue of rows being checked
  int selection = 0;     // the selection's colour
};

// The first Rows data rows below the header of the grid window Grid, with
// rows RowPitch pixels apart and the header HeaderHeight pixels high.
std::vector<RowLook> ReadRowLooks(HWND grid, int rows, int headerHeight = 17, int rowPitch = 17);

// "black 12 grey 0 ..." for messages.
std::string Describe(const RowLook& look);

}  // namespace velloran::test
