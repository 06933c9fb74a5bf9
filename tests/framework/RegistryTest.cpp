// The registry accessor against Wine's real registry, under a key of its own.
#include "framework/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace velloran {
namespace {

constexpr const char* Root = "\\Software\\VelloranTest";

// Deletes a key and everything below it, deepest first.
void DeleteTree(TRegistry& registry, const std::string& path) {
  if (!registry.OpenKey(path, false)) return;
  std::vector<std::string> names = registry.GetKeyNames();
  registry.CloseKey();
  for (const std::string& name : names) DeleteTree(registry, path + "\\" + name);
  registry.DeleteKey(path);
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteTree(registry, Root); }
  void TearDown() override {
    registry.CloseKey();
    DeleteTree(registry, Root);
    EXPECT_FALSE(registry.KeyExists(Root));
  }

  // The error message of an operation that must fail.
  template <typename Operation>
  static std::string ErrorOf(Operation&& operation) {
    try {
      operation();
    } catch (const ERegistryException& error) {
      return error.what();
    }
    return "no error";
  }

  TRegistry registry;
};

TEST_F(RegistryTest, ValuesComeBackAsWritten) {
  ASSERT_TRUE(registry.OpenKey("\\Software\\VelloranTest\\ServerList\\Users", true));
  EXPECT_EQ(registry.CurrentPath(), "Software\\VelloranTest\\ServerList\\Users");
  const std::int32_t numbers[] = {0, 4, -1, 536870911, INT32_MIN, INT32_MAX};
  for (std::int32_t number : numbers) {
    registry.WriteInteger("Width", number);
    EXPECT_EQ(registry.ReadInteger("Width"), number);
  }
  // 8-bit texts in the system code page, blanks and the empty text.
  const std::string texts[] = {"Users", "", "Server list \xE9t\xE9", std::string(300, 'x')};
  for (const std::string& text : texts) {
    registry.WriteString("Caption", text);
    EXPECT_EQ(registry.ReadString("Caption"), text);
  }

  // Another accessor sees them after this one closed the key.
  registry.WriteInteger("Index", 4);
  registry.CloseKey();
  TRegistry other;
  ASSERT_TRUE(other.OpenKey("\\Software\\VelloranTest\\ServerList\\Users", false));
  EXPECT_EQ(other.ReadInteger("Index"), 4);
  EXPECT_EQ(other.ReadString("Caption"), texts[3]);
}

TEST_F(RegistryTest, PathsAreFromTheRootOrFromTheCurrentKey) {
  ASSERT_TRUE(registry.OpenKey("\\Software\\VelloranTest", true));
  // Relative to the current key.
  ASSERT_TRUE(registry.OpenKey("Layout", true));
  EXPECT_EQ(registry.CurrentPath(), "Software\\VelloranTest\\Layout");
  registry.WriteInteger("Index", 1);
  EXPECT_TRUE(registry.KeyExists("\\Software\\VelloranTest\\Layout"));

  // A trailing backslash names the key itself: an empty column name lands here.
  ASSERT_TRUE(registry.OpenKey("\\Software\\VelloranTest\\Layout\\", true));
  EXPECT_EQ(registry.CurrentPath(), "Software\\VelloranTest\\Layout");
  EXPECT_EQ(registry.ReadInteger("Index"), 1);
  EXPECT_TRUE(registry.GetKeyNames().empty());

  // A key that isn't there is not made without being asked; the current key stays.
  EXPECT_FALSE(registry.OpenKey("Missing", false));
  EXPECT_FALSE(registry.KeyExists("\\Software\\VelloranTest\\Layout\\Missing"));
  EXPECT_EQ(registry.CurrentPath(), "Software\\VelloranTest\\Layout");
  EXPECT_EQ(registry.ReadInteger("Index"), 1);

  // Without a current key a relative path starts at the root.
  registry.CloseKey();
  EXPECT_EQ(registry.CurrentPath(), "");
  ASSERT_TRUE(registry.OpenKey("Software\\VelloranTest\\Layout", false));
  EXPECT_EQ(registry.ReadInteger("Index"), 1);
}

TEST_F(RegistryTest, MissingValuesAndWrongTypesAreErrors) {
  ASSERT_TRUE(registry.OpenKey("\\Software\\VelloranTest\\Column", true));
  registry.WriteString("Caption", "Users");
  registry.WriteInteger("Width", 64);
  EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("Index"); }), "Failed to get data for 'Index'");
  EXPECT_EQ(ErrorOf([&] { registry.ReadString("Name"); }), "Failed to get data for 'Name'");
  EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("Caption"); }), "Invalid data type for 'Caption'");
  EXPECT_EQ(ErrorOf([&] { registry.ReadString("Width"); }), "Invalid data type for 'Width'");
  // A number of another size is not a 32-bit number.
  std::uint64_t wide = 7;
  HKEY key = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VelloranTest\\Column", 0, KEY_SET_VALUE, &key),
      ERROR_SUCCESS);
  RegSetValueExA(key, "Wide", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&wide), sizeof wide);
  RegCloseKey(key);
  EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("Wide"); }), "Invalid data type for 'Wide'");

  registry.CloseKey();
  EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("Width"); }), "Failed to get data for 'Width'");
  EXPECT_EQ(ErrorOf([&] { registry.WriteInteger("Width", 1); }), "Failed to set data for 'Width'");
}

TEST_F(RegistryTest, SubKeysAreListedAndKeysDeletedOnlyWhenEmpty) {
  for (const char* name : {"Server", "IP", "Port"})
    ASSERT_TRUE(registry.OpenKey(std::string(Root) + "\\Layout\\" + name, true));
  ASSERT_TRUE(registry.OpenKey("\\Software\\VelloranTest\\Layout\\IP\\Deeper", true));
  ASSERT_TRUE(registry.OpenKey("\\Software\\VelloranTest\\Layout", false));
  std::vector<std::string> names = registry.GetKeyNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"IP", "Port", "Server"}));

  // Relative to the current key; a key with sub-keys stays.
  EXPECT_FALSE(registry.DeleteKey("IP"));
  EXPECT_TRUE(registry.KeyExists("IP"));
  EXPECT_TRUE(registry.DeleteKey("IP\\Deeper"));
  EXPECT_TRUE(registry.DeleteKey("IP"));
  EXPECT_FALSE(registry.KeyExists("IP"));
  EXPECT_FALSE(registry.DeleteKey("IP"));
  // An empty path never deletes the key it starts from.
  EXPECT_FALSE(registry.DeleteKey(""));
  EXPECT_FALSE(registry.DeleteKey("\\"));
  EXPECT_TRUE(registry.KeyExists("\\Software\\VelloranTest\\Layout"));

  registry.CloseKey();
  EXPECT_TRUE(registry.GetKeyNames().empty());
  DeleteTree(registry, "\\Software\\VelloranTest\\Layout");
  EXPECT_FALSE(registry.KeyExists("\\Software\\VelloranTest\\Layout"));
  EXPECT_TRUE(registry.KeyExists(Root));
}

}  // namespace
}  // namespace velloran
