#pragma once
// What the socket and HTTP tests share.

#include <string>

#include "framework/Exception.h"

namespace velloran::test {

// Every test's safety net: no wait of the component under test lasts longer.
constexpr int SafetyTimeOut = 10000;

// The message of the error Operation raised, or "(no error)".
template <typename Operation>
std::string ErrorOf(Operation&& operation) {
  try {
    operation();
  } catch (const Exception& error) {
    return error.Message();
  }
  return "(no error)";
}

}  // namespace velloran::test
