#pragma once
#include <string>
#include <string_view>

namespace velloran {

// The text of the error box for an escaped error: the message, with a full
// stop added when its last byte sorts after "." (so "Disk full" gains one,
// while "Finished." and "Wait..." do not).
std::string ErrorBoxText(std::string_view message);

}  // namespace velloran
