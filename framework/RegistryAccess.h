#pragma once
// What the grid's layout persistence needs of the current user's registry:
// one accessor with a current key. A key path that begins with a backslash is
// taken from the root, any other path relative to the current key. The Win32
// program binds it to advapi32; tests keep keys in memory.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velloran {

class RegistryAccess {
 public:
  virtual ~RegistryAccess() = default;
  // Opens the key (creating it if asked) and makes it the current key.
  virtual bool OpenKey(const std::string& path, bool create) = 0;
  virtual void CloseKey() = 0;
  // Names of the current key's sub-keys.
  virtual std::vector<std::string> GetKeyNames() = 0;
  virtual bool DeleteKey(const std::string& path) = 0;
  virtual void WriteInteger(const std::string& name, std::int32_t value) = 0;
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
  // A missing value, or one of another type, raises an error.
  virtual std::int32_t ReadInteger(const std::string& name) = 0;
  virtual std::string ReadString(const std::string& name) = 0;
};

// Makes a new accessor on the current user's root.
using RegistryFactory = std::function<std::unique_ptr<RegistryAccess>()>;

}  // namespace velloran
