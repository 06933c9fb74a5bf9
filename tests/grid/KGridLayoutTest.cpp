#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "tests/grid/FakeRegistry.h"
#include "tests/grid/ServerGridFixture.h"

namespace velloran {
namespace {

using test::FakeKey;

class GridLayout : public test::ServerGridTest {
 protected:
  void SetUp() override {
    ServerGridTest::SetUp();
    grid.SetRegistry(test::FakeRegistryFactory(root));
  }
  FakeKey& Key(std::initializer_list<const char*> path) {
    FakeKey* key = &root;
    for (const char* part : path) key = &key->keys.at(part);
    return *key;
  }
  FakeKey root;
};

TEST_F(GridLayout, SevenUnnamedColumnsAllWriteToTheOneKey) {
  grid.Columns()[6]->SetSortOrder(TColumnSorting::csDsc);
  grid.Columns().SaveToRegistry(ServerListKey);
  FakeKey& key = Key({"Software", "Velloran", "ServerList"});
  EXPECT_TRUE(key.keys.empty());
  // The last column wrote last.
  EXPECT_EQ(std::get<std::int32_t>(key.values["Index"]), 6);
  EXPECT_EQ(std::get<std::string>(key.values["Caption"]), "Gigabytes");
  EXPECT_EQ(std::get<std::int32_t>(key.values["Color"]), 536870911);
  EXPECT_EQ(std::get<std::int32_t>(key.values["SortOrder"]), 2);
  EXPECT_EQ(std::get<std::int32_t>(key.values["Visible"]), 1);
  EXPECT_EQ(std::get<std::int32_t>(key.values["Width"]), 64);

  // Loading finds no sub-keys and changes nothing.
  grid.Columns().LoadFromRegistry(ServerListKey, 1);
  EXPECT_EQ(grid.Columns().Count(), 7);
  EXPECT_EQ(grid.Columns()[0]->Caption(), "Server");
  EXPECT_EQ(grid.Columns()[0]->Width(), 204);
}

TEST_F(GridLayout, NamedColumnsRoundTripAndSaveReplacesTheOldLayout) {
  root.keys["Software"].keys["Velloran"].keys["ServerList"].keys["Stale"].values["Index"] = 0;
  grid.Columns()[4]->SetName("Users");
  grid.Columns()[0]->SetName("Server");
  grid.Columns()[0]->SetWidth(150);
  grid.Columns().SaveToRegistry(ServerListKey);
  FakeKey& key = Key({"Software", "Velloran", "ServerList"});
  EXPECT_EQ(key.keys.count("Stale"), 0u);
  EXPECT_EQ(std::get<std::int32_t>(key.keys.at("Server").values["Width"]), 150);

  TKStringGrid other;
  other.SetRegistry(test::FakeRegistryFactory(root));
  other.Columns().LoadFromRegistry(ServerListKey, 0);  // mode 0: only existing columns
  EXPECT_EQ(other.Columns().Count(), 0);
  other.Columns().LoadFromRegistry(ServerListKey, 1);  // mode 1: adds the named ones
  ASSERT_EQ(other.Columns().Count(), 2);
  TKGridColumn* server = other.Columns().FindColumn("SERVER");
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(server->Width(), 150);
  EXPECT_EQ(server->Caption(), "Server");
  EXPECT_EQ(other.VisibleColumns()[0], server);  // ordered by their stored Index
  EXPECT_EQ(other.ColWidth(0), 150);

  other.Columns().AddColumn().SetName("Extra");
  other.Columns().LoadFromRegistry(ServerListKey, 2);  // mode 2: replaces all columns
  EXPECT_EQ(other.Columns().Count(), 2);
  EXPECT_EQ(other.Columns().FindColumn("Extra"), nullptr);
}

TEST_F(GridLayout, ErrorsCarryTheKeyPath) {
  grid.SetRegistry(test::FakeRegistryFactory(root, /*failCreate=*/true));
  try {
    grid.Columns().SaveToRegistry(ServerListKey);
    FAIL();
  } catch (const EKGridColumnsError& error) {
    EXPECT_EQ(error.Message(), "Can not open registry key \"\\Software\\Velloran\\ServerList\"");
  }
  grid.SetRegistry(test::FakeRegistryFactory(root));
  grid.Columns()[0]->SetName("Server");
  grid.Columns().SaveToRegistry(ServerListKey);
  Key({"Software", "Velloran", "ServerList", "Server"}).values["Index"] = -1;
  try {
    grid.Columns().LoadFromRegistry(ServerListKey, 0);
    FAIL();
  } catch (const EKGridError& error) {
    EXPECT_EQ(error.Message(), "Wrong column index");
  }
  EXPECT_EQ(grid.VisibleColumns().Count(), 7);  // rebuilt after the failure
  EXPECT_FALSE(grid.LoadingLayout());
  // A load from a key that does not exist changes nothing (mode 2 has emptied the grid first).
  grid.Columns().LoadFromRegistry("\\Software\\Nobody", 1);
  EXPECT_EQ(grid.Columns().Count(), 7);
  grid.Columns().LoadFromRegistry("\\Software\\Nobody", 2);
  EXPECT_EQ(grid.Columns().Count(), 0);
}

TEST_F(GridLayout, DeleteRegKeyRemovesTheWholeTree) {
  FakeKey& velloran = root.keys["Software"].keys["Velloran"];
  velloran.keys["ServerList"].keys["A"].keys["Deep"].values["x"] = 1;
  velloran.keys["ServerList"].keys["B"];
  velloran.keys["Other"];
  auto registry = grid.OpenRegistry();
  DeleteRegKey(*registry, "\\Software\\Velloran\\ServerList\\");
  EXPECT_EQ(velloran.keys.count("ServerList"), 0u);
  EXPECT_EQ(velloran.keys.count("Other"), 1u);
  DeleteRegKey(*registry, "");
  DeleteRegKey(*registry, "\\Software\\Missing");
  EXPECT_EQ(root.keys.count("Software"), 1u);
}

TEST_F(GridLayout, ColumnNamesAreUniqueIgnoringCase) {
  grid.Columns()[4]->SetName("Users");
  try {
    grid.Columns()[5]->SetName("users");
    FAIL();
  } catch (const EKGridColumnsError& error) {
    EXPECT_EQ(error.Message(), "Column name \"users\" already exists");
  }
  EXPECT_EQ(grid.Columns()[5]->Name(), "");
  grid.Columns()[4]->SetName("USERS");
  EXPECT_EQ(grid.Columns()[4]->Name(), "USERS");
}

}  // namespace
}  // namespace velloran
