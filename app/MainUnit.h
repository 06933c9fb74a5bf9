#pragma once
// The main window: the one window of the program.

#include "framework/Form.h"

namespace velloran {

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);

  static constexpr const char* Caption = "Velloran 1.1 [for WinMX 3] ";

 private:
  void FormCreate();
};

}  // namespace velloran
