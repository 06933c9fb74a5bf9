#pragma once
// Percent-encoding of a text in the manner of an HTML form, for request bodies.
//
// Threading: none of its own; one thread at a time.

#include <functional>
#include <string>
#include <string_view>

#include "framework/Component.h"

namespace velloran {

// Each byte in order: a blank becomes "+"; "0"-"9", "A"-"Z" and "a"-"z" stay;
// every other byte becomes "%" and two upper-case hexadecimal digits. The
// whole text is encoded, however long.
std::string URLEncode(std::string_view text);

class TNMURL : public TComponent {
 public:
  using TOnErrorEvent =
      std::function<void(TNMURL& sender, const std::string& operation, const std::string& errMsg)>;

  explicit TNMURL(TComponent* owner) : TComponent(owner) {}

  const std::string& InputString() const { return inputString_; }
  void SetInputString(std::string text) { inputString_ = std::move(text); }

  // URLEncode of InputString. Should encoding raise one of this program's
  // errors, OnError gets "Error during encode" and its message, and the
  // result is InputString unchanged.
  std::string Encode();

  TOnErrorEvent OnError;

 private:
  std::string inputString_;
};

}  // namespace velloran
