#pragma once
// The current user's registry kept in memory, with the path rules of the real one.

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "framework/Exception.h"
#include "framework/RegistryAccess.h"

namespace velloran::test {

struct FakeKey {
  std::map<std::string, std::variant<std::int32_t, std::string>> values;
  std::map<std::string, FakeKey> keys;  // ordered by name, as the registry lists them
};

class FakeRegistry : public RegistryAccess {
 public:
  explicit FakeRegistry(FakeKey& root) : root_(root) {}

  bool OpenKey(const std::string& path, bool create) override {
    std::vector<std::string> target =
        path.starts_with("\\") ? std::vector<std::string>{} : current_;
    for (const std::string& part : Split(path)) target.push_back(part);
    FakeKey* key = &root_;
    for (const std::string& part : target) {
      auto it = key->keys.find(part);
      if (it == key->keys.end()) {
        if (!create || failCreate) return false;
        it = key->keys.emplace(part, FakeKey{}).first;
      }
      key = &it->second;
    }
    current_ = target;
    open_ = key;
    return true;
  }
  void CloseKey() override {
    current_.clear();
    open_ = nullptr;
  }
  std::vector<std::string> GetKeyNames() override {
    std::vector<std::string> names;
    for (const auto& [name, key] : Current().keys) names.push_back(name);
    return names;
  }
  bool DeleteKey(const std::string& path) override {
    std::vector<std::string> target =
        path.starts_with("\\") ? std::vector<std::string>{} : current_;
    for (const std::string& part : Split(path)) target.push_back(part);
    if (target.empty()) return false;
    FakeKey* parent = &root_;
    for (size_t i = 0; i + 1 < target.size(); ++i) {
      auto it = parent->keys.find(target[i]);
      if (it == parent->keys.end()) return false;
      parent = &it->second;
    }
    auto it = parent->keys.find(target.back());
    if (it == parent->keys.end() || !it->second.keys.empty()) return false;
    parent->keys.erase(it);
    return true;
  }
  void WriteInteger(const std::string& name, std::int32_t value) override {
    Current().values[name] = value;
  }
  void WriteString(const std::string& name, const std::string& value) override {
    Current().values[name] = value;
  }
  std::int32_t ReadInteger(const std::string& name) override {
    auto it = Current().values.find(name);
    if (it == Current().values.end() || !std::holds_alternative<std::int32_t>(it->second))
      throw Exception("Invalid data type for '" + name + "'");
    return std::get<std::int32_t>(it->second);
  }
  std::string ReadString(const std::string& name) override {
    auto it = Current().values.find(name);
    if (it == Current().values.end() || !std::holds_alternative<std::string>(it->second))
      throw Exception("Invalid data type for '" + name + "'");
    return std::get<std::string>(it->second);
  }

  bool failCreate = false;

 private:
  static std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
      if (c == '\\') {
        if (!part.empty()) parts.push_back(part);
        part.clear();
      } else {
        part += c;
      }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
  }
  FakeKey& Current() {
    if (!open_) throw std::logic_error("no key open");
    return *open_;
  }

  FakeKey& root_;
  std::vector<std::string> current_;
  FakeKey* open_ = nullptr;
};

inline RegistryFactory FakeRegistryFactory(FakeKey& root, bool failCreate = false) {
  return [&root, failCreate] {
    auto registry = std::make_unique<FakeRegistry>(root);
    registry->failCreate = failCreate;
    return std::unique_ptr<RegistryAccess>(std::move(registry));
  };
}

}  // namespace velloran::test
