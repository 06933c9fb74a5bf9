#pragma once
// What the socket and HTTP tests share.

#include <windows.h>

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

// The CPU time this thread has used so far, in milliseconds.
inline double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& time) {
    return ((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) /
           10000.0;
  };
  return ms(kernel) + ms(user);
}

}  // namespace velloran::test
