#pragma once
// Win32 structures that carry their own size in the first member.

namespace velloran {

template <typename T>
T SizedStruct() {
  T value{};
  *reinterpret_cast<unsigned*>(&value) = sizeof(T);
  return value;
}

}  // namespace velloran
