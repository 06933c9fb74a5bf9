#pragma once
// Mouse buttons and the shift keys held with them, as every control reports them.

namespace velloran {

enum TShiftState : unsigned { ssShift = 1, ssCtrl = 2, ssAlt = 4 };

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

}  // namespace velloran
