#pragma once
// A small accessor for keys and values under HKEY_CURRENT_USER, opened with
// full access. One key at a time is current: values are read and written
// there, and a key path without a leading backslash is taken relative to it.
// A path with a leading backslash starts at the root; a trailing backslash
// names the same key as the path without it.
//
// Opening and deleting keys report failure by their result, as callers decide
// what a missing key means; reading and writing values raise ERegistryException.
// The grid's layout persistence reaches it through RegistryAccess.
//
// Threading: one accessor belongs to one thread; several may exist at once.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/RegistryAccess.h"

namespace velloran {

// A value that could not be read or written.
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

class TRegistry : public RegistryAccess {
 public:
  TRegistry() = default;
  ~TRegistry() override = default;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Makes Key the current key, creating it (and the keys above it) when
  // CanCreate is set. On failure the current key stays as it was.
  bool OpenKey(const std::string& key, bool canCreate) override;
  void CloseKey() override;
  // The current key's path from the root, without a leading backslash; empty
  // when no key is open.
  const std::string& CurrentPath() const { return currentPath_; }

  bool KeyExists(const std::string& key) const;
  // Deletes a key that has no sub-keys; a key with sub-keys is refused, so the
  // caller deletes those first. An empty path deletes nothing.
  bool DeleteKey(const std::string& key) override;
  // The names of the current key's sub-keys, in the order the registry gives them.
  std::vector<std::string> GetKeyNames() override;

  // 32-bit numbers (REG_DWORD).
  void WriteInteger(const std::string& name, std::int32_t value) override;
  std::int32_t ReadInteger(const std::string& name) override;
  // Strings in the system code page (REG_SZ; REG_EXPAND_SZ reads unexpanded).
  void WriteString(const std::string& name, const std::string& value) override;
  std::string ReadString(const std::string& name) override;

 private:
  static void CloseKeyHandle(HKEY key) { RegCloseKey(key); }
  using UniqueKey = UniqueHandle<NullHandleTraits<HKEY, CloseKeyHandle>>;

  // The key a path starts from and the path below it.
  struct Location {
    HKEY base;
    std::string subKey;
    bool relative;
  };
  Location Locate(const std::string& key) const;
  // A value's type and size, or an error naming the value.
  DWORD QueryValue(const std::string& name, DWORD& size) const;

  UniqueKey current_;
  std::string currentPath_;
};

}  // namespace velloran
