#pragma once
// Event types that the socket layer, the HTTP client and its utilities share.
// An unassigned event is skipped.

#include <functional>

#include "framework/Component.h"

namespace velloran {

using TNotifyEvent = std::function<void(TComponent& sender)>;
// The handler may set Handled.
using THandlerEvent = std::function<void(bool& handled)>;

}  // namespace velloran
