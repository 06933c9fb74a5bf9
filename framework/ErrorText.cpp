#include "framework/ErrorText.h"

namespace velloran {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  // Bytes compare unsigned: letters of the upper half of the code page sort after "." too.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

}  // namespace velloran
