#include "framework/Registry.h"

namespace velloran {
namespace {

std::string GetDataFailed(const std::string& name) {
  return "Failed to get data for '" + name + "'";
}
std::string SetDataFailed(const std::string& name) {
  return "Failed to set data for '" + name + "'";
}
std::string InvalidType(const std::string& name) {
  return "Invalid data type for '" + name + "'";
}

}  // namespace

TRegistry::Location TRegistry::Locate(const std::string& key) const {
  Location location{HKEY_CURRENT_USER, key, true};
  if (!location.subKey.empty() && location.subKey.front() == '\\') {
    location.relative = false;
    location.subKey.erase(0, 1);
  }
  // A path built as parent + "\" + name with an empty name means the parent.
  while (!location.subKey.empty() && location.subKey.back() == '\\') location.subKey.pop_back();
  if (location.relative && current_) location.base = current_.get();
  return location;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  Location location = Locate(key);
  HKEY opened = nullptr;
  LONG result;
  if (canCreate) {
    result = RegCreateKeyExA(location.base, location.subKey.c_str(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  } else {
    result = RegOpenKeyExA(location.base, location.subKey.c_str(), 0, KEY_ALL_ACCESS, &opened);
  }
  if (result != ERROR_SUCCESS) return false;
  std::string path = location.subKey;
  if (location.relative && current_ && !currentPath_.empty())
    path = path.empty() ? currentPath_ : currentPath_ + "\\" + path;
  current_.reset(opened);
  currentPath_ = std::move(path);
  return true;
}

void TRegistry::CloseKey() {
  current_.reset();
  currentPath_.clear();
}

bool TRegistry::KeyExists(const std::string& key) const {
  Location location = Locate(key);
  HKEY opened = nullptr;
  if (RegOpenKeyExA(location.base, location.subKey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return false;
  RegCloseKey(opened);
  return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
  Location location = Locate(key);
  // An empty name would make the registry delete the base key itself.
  if (location.subKey.empty()) return false;
  return RegDeleteKeyA(location.base, location.subKey.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> TRegistry::GetKeyNames() {
  std::vector<std::string> names;
  if (!current_) return names;
  // Key names are at most 255 characters long.
  char buffer[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof buffer;
    if (RegEnumKeyExA(current_.get(), index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(buffer, length);
  }
  return names;
}

DWORD TRegistry::QueryValue(const std::string& name, DWORD& size) const {
  DWORD type = REG_NONE;
  size = 0;
  if (!current_ || RegQueryValueExA(current_.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
                       ERROR_SUCCESS)
    throw ERegistryException(GetDataFailed(name));
  return type;
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
  DWORD data = static_cast<DWORD>(value);
  if (!current_ ||
      RegSetValueExA(current_.get(), name.c_str(), 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS)
    throw ERegistryException(SetDataFailed(name));
}

std::int32_t TRegistry::ReadInteger(const std::string& name) {
  DWORD size = 0;
  if (QueryValue(name, size) != REG_DWORD || size != sizeof(DWORD))
    throw ERegistryException(InvalidType(name));
  DWORD data = 0;
  if (RegQueryValueExA(current_.get(), name.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
    throw ERegistryException(GetDataFailed(name));
  return static_cast<std::int32_t>(data);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  if (!current_ || RegSetValueExA(current_.get(), name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
    throw ERegistryException(SetDataFailed(name));
}

std::string TRegistry::ReadString(const std::string& name) {
  // Another program may change the value between asking its size and reading
  // it; a few tries settle that without looping for ever.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    DWORD type = QueryValue(name, size);
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException(InvalidType(name));
    std::string data(static_cast<size_t>(size) + 1, '\0');
    DWORD read = size;
    LONG result = RegQueryValueExA(current_.get(), name.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data.data()), &read);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) throw ERegistryException(GetDataFailed(name));
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException(InvalidType(name));
    // Stored strings may or may not carry their terminator.
    data.resize(read);
    data.resize(data.find('\0') == std::string::npos ? read : data.find('\0'));
    return data;
  }
  throw ERegistryException(GetDataFailed(name));
}

}  // namespace velloran
