#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "winsearch/RWSUnit.h"

namespace velloran {
namespace {

// A window tree held in memory: each window has a class, a text and children in sibling order.
class FakeTree : public WindowTree {
 public:
  WindowHandle Add(WindowHandle parent, std::string className, std::string text) {
    WindowHandle id = next_++;
    windows_[id] = {parent, std::move(className), std::move(text), {}};
    windows_[parent].children.push_back(id);
    return id;
  }
  void Remove(WindowHandle window) {
    auto& siblings = windows_[windows_[window].parent].children;
    std::erase(siblings, window);
    windows_.erase(window);
  }

  WindowHandle FirstChild(WindowHandle parent) const override {
    auto it = windows_.find(parent);
    return it == windows_.end() || it->second.children.empty() ? 0 : it->second.children.front();
  }
  WindowHandle NextSibling(WindowHandle window) const override {
    auto it = windows_.find(window);
    if (it == windows_.end()) return 0;
    const auto& siblings = windows_.at(it->second.parent).children;
    for (size_t i = 0; i + 1 < siblings.size(); ++i)
      if (siblings[i] == window) return siblings[i + 1];
    return 0;
  }
  std::string ClassName(WindowHandle window) const override {
    auto it = windows_.find(window);
    return it == windows_.end() ? "" : it->second.className;
  }
  std::string Text(WindowHandle window) const override {
    auto it = windows_.find(window);
    if (it == windows_.end()) return "";
    std::string text = it->second.text;
    // Simulates a window destroyed by its program right after its text was read.
    if (window == destroyAfterRead) const_cast<FakeTree*>(this)->Remove(window);
    return text;
  }

  WindowHandle destroyAfterRead = 0;

  static constexpr WindowHandle Desktop = 1;

 private:
  struct Window {
    WindowHandle parent;
    std::string className, text;
    std::vector<WindowHandle> children;
  };
  std::map<WindowHandle, Window> windows_{{Desktop, {}}};
  WindowHandle next_ = 2;
};

// WinMX-like: a main window with a list pane and its Add button, and an open dialog.
class WindowSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    main = tree.Add(FakeTree::Desktop, "WinMXMain", "WinMX v3.54");
    pane = tree.Add(main, "#32770", "");
    list = tree.Add(pane, "Static", "OpenNap Protocol Networks");
    add = tree.Add(pane, "Button", "Add");
    dialog = tree.Add(FakeTree::Desktop, "#32770", "Add New OpenNap");
    network = tree.Add(dialog, "Edit", "");
    address = tree.Add(dialog, "Static", "Address");
    server = tree.Add(dialog, "Edit", "");
    ok = tree.Add(dialog, "Button", "OK");
    book = tree.Add(dialog, "Button", "Book");
    rich = tree.Add(dialog, "RichEdit20A", "notes");
  }

  hWndList Find(WindowHandle parent, const std::string& cls, const std::string& caption) {
    hWndList found{999};  // stale content must go
    int count = FindChildWindows(tree, parent, cls, caption, found);
    EXPECT_EQ(count, static_cast<int>(found.size()));
    return found;
  }

  FakeTree tree;
  WindowHandle main, pane, list, add, dialog, network, address, server, ok, book, rich;
};

TEST_F(WindowSearch, MatchesSubstringsOfClassAndOrTextIgnoringCase) {
  struct Case {
    const char* cls;
    const char* caption;
    hWndList expected;
  };
  const Case cases[] = {
      {"", "opennap protocol NETWORKS", {list}},
      {"Edit", "", {network, server, rich}},  // a rich edit is an edit too
      {"", "Add", {add, dialog, address}},    // "Address" holds "add"
      {"Button", "OK", {ok, book}},           // so does "Book" hold "ok"
      {"BUTTON", "ok", {ok, book}},
      {"Button", "Add", {add}},
      {"", "", {}},
      {"Listbox", "", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Find(FakeTree::Desktop, c.cls, c.caption), c.expected)
        << "class '" << c.cls << "' caption '" << c.caption << "'";
}

TEST_F(WindowSearch, ParentComesBeforeItsChildrenAndChildrenBeforeNextSibling) {
  WindowHandle inner = tree.Add(network, "Edit", "inner");
  EXPECT_EQ(Find(dialog, "edit", ""), (hWndList{network, inner, server, rich}));
  EXPECT_EQ(Find(FakeTree::Desktop, "", "n"), (hWndList{main, list, dialog, inner, rich}));
}

TEST_F(WindowSearch, WindowWithoutChildrenYieldsEmptyList) {
  EXPECT_EQ(Find(ok, "", "OK"), hWndList{});
  EXPECT_EQ(Find(12345, "Edit", ""), hWndList{});  // a window that no longer exists
}

TEST_F(WindowSearch, OnlyTheFirst254CharactersOfATextCount) {
  std::string longText(254, 'q');
  WindowHandle window = tree.Add(FakeTree::Desktop, "Static", longText + "TAIL");
  EXPECT_EQ(Find(FakeTree::Desktop, "", std::string(254, 'Q')), hWndList{window});
  EXPECT_EQ(Find(FakeTree::Desktop, "", "qT"), hWndList{});
  EXPECT_EQ(Find(FakeTree::Desktop, "", "q"), hWndList{window});

  std::string longClass(253, 'c');
  WindowHandle classy = tree.Add(FakeTree::Desktop, longClass + "AB", "");
  EXPECT_EQ(Find(FakeTree::Desktop, "cA", ""), hWndList{classy});
  EXPECT_EQ(Find(FakeTree::Desktop, "cAB", ""), hWndList{});
}

TEST_F(WindowSearch, OnlyLettersAToZAreFolded) {
  WindowHandle upper = tree.Add(FakeTree::Desktop, "Static", "CAF\xC9");
  EXPECT_EQ(Find(FakeTree::Desktop, "", "caf\xC9"), hWndList{upper});
  EXPECT_EQ(Find(FakeTree::Desktop, "", "caf\xE9"), hWndList{});
}

TEST_F(WindowSearch, WindowDestroyedDuringWalkEndsItsLevel) {
  EXPECT_EQ(Find(dialog, "", "o"), (hWndList{ok, book, rich}));
  tree.destroyAfterRead = address;
  EXPECT_EQ(Find(FakeTree::Desktop, "", "o"), (hWndList{list, dialog}));
}

TEST(LowerAscii, FoldsOnlyAToZ) {
  EXPECT_EQ(LowerAscii("AZaz09[@\xC0\xDE"), "azaz09[@\xC0\xDE");
}

}  // namespace
}  // namespace velloran
