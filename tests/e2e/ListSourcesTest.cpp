// Where the list comes from besides one list site: several addresses tried in
// turn, and list files given on the command line, dropped on the window or
// picked in the Open dialog; velloran.exe as a separate process.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/FileDate.h"
#include "tests/e2e/ListSite.h"
#include "tests/e2e/VelloranRun.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

using test::LoopbackReply;
using test::LoopbackServer;
using test::StatusText;
using test::VelloranRun;
using namespace test::list_site;

using Texts = std::vector<StatusText>;

Texts WithoutByteCounts(const Texts& all) {
  Texts texts;
  for (const StatusText& text : all)
    if (!IsByteCount(text.text)) texts.push_back(text);
  return texts;
}

// Nothing listens there, and its host differs from the list sites' 127.0.0.1.
std::string RefusedUrl() {
  return "http://127.0.0.2:" + std::to_string(test::UnusedLoopbackPort()) + "/list.php";
}

LoopbackReply Served(const std::string& page) {
  return LoopbackReply::Text(Ok(page) + page);
}

const std::string Foreign = "<html><body><h1>Down for maintenance</h1></body></html>";

// Waits for a message box of the run and reads it; empty text when none came.
test::MessageBoxSeen TakeMessageBox(const VelloranRun& run, DWORD timeoutMs) {
  HWND box = nullptr;
  if (!test::WaitUntil([&] { return (box = test::FindMessageBox(run.Id())) != nullptr; },
                       timeoutMs))
    return {};
  // The box makes its controls right after its window.
  Sleep(100);
  test::MessageBoxSeen seen = test::ReadMessageBox(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return seen;
}

void ExpectNoMessageBox(const VelloranRun& run) {
  // Long enough for a box to have come, had one been shown.
  Sleep(500);
  EXPECT_EQ(test::FindMessageBox(run.Id()), nullptr);
}

TEST(SeveralAddresses, ASiteThatFailsHandsOnToTheNextWithoutABox) {
  struct Case {
    const char* name;
    // No script: the first address is refused.
    std::vector<LoopbackReply> first;
    // The first try's texts after its contacting text, byte counts aside.
    std::vector<std::string> texts;
    DWORD limitMs = 20000;
  } cases[] = {
      {"refused", {}, {"Connection failed!"}},
      {"error status",
       {LoopbackReply::Text("HTTP/1.0 404 Not Found\r\n\r\nNo such page")},
       {"Error downloading!"}},
      {"foreign page", {Served(Foreign)}, {"Error downloading!"}},
      {"stalled", {Stalled()}, {}, 60000},
      {"cut short", {CutPage(Ok(Page), Page.size() / 2)}, {"Error downloading!"}},
      {"cut in the table without a length",
       {CutPage(NoLength, Page.size() / 2)},
       {"Error downloading!"}},
      {"reset",
       {CutPage(Ok(Page), Page.size() / 2, LoopbackReply::End::Reset)},
       {"Error downloading!"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer first(c.first);
    LoopbackServer second({Served(Page)});
    const std::string firstUrl = c.first.empty() ? RefusedUrl() : first.Url("/list.php");
    VelloranRun run;
    run.WriteCache(OldCache);
    ASSERT_TRUE(run.Start("--list-url " + firstUrl + " --list-url " + second.Url("/list.php")));
    ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
    run.ClickRefresh();
    ASSERT_TRUE(run.WaitForStatus("3 servers", c.limitMs)) << Joined(run.StatusTexts());
    ExpectNoMessageBox(run);

    Texts expected = {
        {"2 servers", true},
        {"Contacting " + std::string(c.first.empty() ? "127.0.0.2" : "127.0.0.1") + "...", false}};
    for (const std::string& text : c.texts) expected.push_back({text, false});
    const Texts secondTry = {
        {"Contacting 127.0.0.1...", false}, {"Download complete", false}, {"3 servers", false}};
    expected.insert(expected.end(), secondTry.begin(), secondTry.end());
    EXPECT_EQ(WithoutByteCounts(run.StatusTexts()), expected) << Joined(run.StatusTexts());
    EXPECT_EQ(second.Requests(),
              std::vector<std::string>{test::ListRequest("/list.php", "127.0.0.1")});
    EXPECT_EQ(run.CacheBytes(), CacheOf(3));
    EXPECT_EQ(test::WindowText(run.LastRefreshed()), FileDateText(run.CachePath()));
    run.Close();
    EXPECT_TRUE(run.WaitForExit(10000));
  }
}

TEST(SeveralAddresses, WhenAllFailOneBoxNamesEachAndTheOldListStays) {
  test::SetLayoutMarker();
  LoopbackServer missing({LoopbackReply::Text("HTTP/1.0 404 Not Found\r\n\r\nNo such page")});
  LoopbackServer foreign({Served(Foreign)});
  LoopbackServer cut({CutPage(Ok(Page), Page.size() / 2)});
  const std::string refused = RefusedUrl();
  const std::string urls[] = {refused, missing.Url("/list.php"), foreign.Url("/list.php"),
                              cut.Url("/list.php")};
  VelloranRun run;
  run.WriteCache(OldCache);
  // The last option has no address: the empty one.
  ASSERT_TRUE(run.Start("--list-url " + urls[0] + " --list-url=" + urls[1] + " --list-url " +
                        urls[2] + " --list-url " + urls[3] + " --list-url"));
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
  const std::string date = test::WindowText(run.LastRefreshed());
  run.ClickRefresh();

  test::MessageBoxSeen box = TakeMessageBox(run, 20000);
  EXPECT_EQ(box.caption, "Velloran");
  EXPECT_EQ(box.text, "No list site gave a server list; the old list was kept:\n" + urls[0] +
                          ": Connection Failed\n" + urls[1] + ": HTTP/1.0 404 Not Found\n" +
                          urls[2] + ": the reply holds no server list\n" + urls[3] +
                          ": closed the connection after " + std::to_string(Page.size() / 2) +
                          " of " + std::to_string(Page.size()) + " bytes\n: Empty URL.");
  EXPECT_EQ(WithoutByteCounts(run.StatusTexts()), (Texts{{"2 servers", true},
                                                         {"Contacting 127.0.0.2...", false},
                                                         {"Connection failed!", false},
                                                         {"Contacting 127.0.0.1...", false},
                                                         {"Error downloading!", false},
                                                         {"Contacting 127.0.0.1...", false},
                                                         {"Error downloading!", false},
                                                         {"Contacting 127.0.0.1...", false},
                                                         {"Error downloading!", false},
                                                         {"Contacting ...", false},
                                                         {"2 servers", false}}))
      << Joined(run.StatusTexts());
  EXPECT_EQ(run.CacheBytes(), OldCache);
  EXPECT_EQ(test::WindowText(run.LastRefreshed()), date);
  EXPECT_TRUE(test::LayoutMarkerPresent());
  EXPECT_TRUE(test::WaitUntil([&] { return IsWindowEnabled(run.Panel()) != FALSE; }, 5000));
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

TEST(SeveralAddresses, TheVariableGivesThemWhenTheCommandLineDoesNot) {
  LoopbackServer site({Served(Page)});
  VelloranRun run;
  run.WriteCache(OldCache);
  // The child inherits the variable.
  const std::string urls = " " + RefusedUrl() + "\t " + site.Url("/list.php") + " ";
  SetEnvironmentVariableA("VELLORAN_LIST_URL", urls.c_str());
  const bool started = run.Start("");
  SetEnvironmentVariableA("VELLORAN_LIST_URL", nullptr);
  ASSERT_TRUE(started);
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
  run.ClickRefresh();
  ASSERT_TRUE(run.WaitForStatus("3 servers", 20000)) << Joined(run.StatusTexts());
  EXPECT_EQ(WithoutByteCounts(run.StatusTexts()), (Texts{{"2 servers", true},
                                                         {"Contacting 127.0.0.2...", false},
                                                         {"Connection failed!", false},
                                                         {"Contacting 127.0.0.1...", false},
                                                         {"Download complete", false},
                                                         {"3 servers", false}}))
      << Joined(run.StatusTexts());
  EXPECT_EQ(run.CacheBytes(), CacheOf(3));
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

TEST(SeveralAddresses, ClosingDuringALaterTryEndsTheProgramAtOnce) {
  test::ResetLayoutKey();
  LoopbackServer stalled({Stalled()});
  VelloranRun run;
  ASSERT_TRUE(run.Start("--list-url " + RefusedUrl() + " --list-url " + stalled.Url("/list.php")));
  ASSERT_TRUE(WaitForByteCount(run)) << Joined(run.StatusTexts());
  const DWORD start = GetTickCount();
  run.Close();
  DWORD exitCode = 1;
  ASSERT_TRUE(run.WaitForExit(10000, &exitCode));
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(run.CacheBytes(), "<none>");
  EXPECT_FALSE(test::LayoutKeyExists());
}

// A list file in a run's folder, and how the run takes it.
struct FileCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;  // name and bytes
  bool cached = true;                                      // servers.grd holds OldCache
  std::string cacheAfter;                                  // empty: as before
  std::string box;                                         // empty: none
};

const std::string LetterRows = "7\r\nmany\r\nx\r\n";

std::vector<FileCase> FileCases() {
  // Another list than the one of the cache file, named as no cache file is.
  const std::string otherCache = CacheOf(4);
  return {
      {"page", {{"saved list.htm", Page}}, true, CacheOf(3), ""},
      {"page, no cache file", {{"list.txt", Page}}, false, CacheOf(3), ""},
      {"cache file", {{"from a friend.dat", otherCache}}, true, otherCache, ""},
      {"foreign page",
       {{"news.htm", Foreign}},
       true,
       "",
       "The file holds no server list; the old list was kept."},
      {"cache file with letters for its rows",
       {{"broken.grd", LetterRows}},
       true,
       "",
       "Invalid numeric input."},
      {"several: the first list wins",
       {{"news.htm", Foreign}, {"a.htm", Page}, {"b.grd", otherCache}},
       true,
       CacheOf(3),
       ""},
  };
}

void ExpectFileTaken(const FileCase& c, const VelloranRun& run, const std::string& dateBefore) {
  if (c.cacheAfter.empty()) {
    EXPECT_EQ(run.CacheBytes(), c.cached ? OldCache : "<none>");
    EXPECT_EQ(test::WindowText(run.LastRefreshed()), dateBefore);
    EXPECT_TRUE(test::LayoutMarkerPresent());
  } else {
    EXPECT_EQ(run.CacheBytes(), c.cacheAfter);
    EXPECT_EQ(test::WindowText(run.LastRefreshed()), FileDateText(run.CachePath()));
    EXPECT_FALSE(test::LayoutMarkerPresent());
  }
}

std::string CountText(const FileCase& c) {
  if (c.cacheAfter.empty()) return c.cached ? "2 servers" : "0 servers";
  return c.cacheAfter == CacheOf(3) ? "3 servers" : "4 servers";
}

TEST(ListFiles, FromTheCommandLine) {
  for (const FileCase& c : FileCases()) {
    SCOPED_TRACE(c.name);
    test::SetLayoutMarker();
    LoopbackServer site({Served(Page)});
    VelloranRun run;
    if (c.cached) run.WriteCache(OldCache);
    std::string arguments = "--list-url " + site.Url("/list.php");
    for (const auto& [name, bytes] : c.files)
      arguments += " \"" + run.WriteFile(name, bytes) + "\"";
    ASSERT_TRUE(run.Start(arguments));
    if (!c.box.empty()) {
      test::MessageBoxSeen box = TakeMessageBox(run, 10000);
      EXPECT_EQ(box.text, c.box);
    }
    ASSERT_TRUE(run.WaitForStatus(CountText(c), 10000)) << Joined(run.StatusTexts());
    if (c.box.empty()) ExpectNoMessageBox(run);
    // The date the cached start showed is the cache file's own.
    ExpectFileTaken(c, run, c.cached ? FileDateText(run.CachePath()) : "");
    // A list file given means no download, with or without a cache file.
    EXPECT_EQ(site.Connections(), 0);
    run.Close();
    EXPECT_TRUE(run.WaitForExit(10000));
  }
}

TEST(ListFiles, AFileThatCannotBeReadGivesTheSystemsReason) {
  VelloranRun run;
  run.WriteCache(OldCache);
  ASSERT_TRUE(run.Start("\"" + run.Folder() + "no such list.htm\""));
  EXPECT_EQ(TakeMessageBox(run, 10000).text, "File not found.");
  EXPECT_EQ(run.CacheBytes(), OldCache);
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
}

TEST(ListFiles, SeveralThatAllFailGiveOneBoxNamingEach) {
  VelloranRun run;
  run.WriteCache(OldCache);
  const std::string news = run.WriteFile("news.htm", Foreign);
  const std::string broken = run.WriteFile("broken.grd", LetterRows);
  const std::string missing = run.Folder() + "gone.htm";
  ASSERT_TRUE(run.Start("\"" + news + "\" \"" + broken + "\" \"" + missing + "\""));
  EXPECT_EQ(TakeMessageBox(run, 10000).text,
            "None of the files holds a server list; the old list was kept:\n" + news +
                ": The file holds no server list\n" + broken + ": Invalid numeric input\n" +
                missing + ": File not found.");
  EXPECT_EQ(run.CacheBytes(), OldCache);
}

// Names outside the code page of a Western system (and outside each other's).
const std::wstring CyrillicName = L"\u0441\u043f\u0438\u0441\u043e\u043a.htm";  // "spisok" (list)
const std::wstring JapaneseName = L"\u30EA\u30B9\u30C8.grd";                    // "risuto" (list)

// The box's message read with the wide call: the 8-bit one shows as "?" what
// the code page lacks.
std::wstring WideBoxText(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (test::WindowClass(child) != "Static" ||
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      continue;
    std::wstring text(GetWindowTextLengthW(child) + 1, L'\0');
    text.resize(GetWindowTextW(child, text.data(), static_cast<int>(text.size())));
    if (!text.empty()) return text;
  }
  return {};
}

// The runs' folders are named in ASCII.
std::wstring Wide(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

TEST(ListFiles, NamedOutsideTheCodePageFromTheCommandLineOrADrop) {
  const struct {
    const char* kind;
    std::wstring name;
    std::string bytes;
    std::string cacheAfter;
  } files[] = {{"page", CyrillicName, Page, CacheOf(3)},
               {"cache file", JapaneseName, CacheOf(4), CacheOf(4)}};
  for (const auto& file : files) {
    for (const bool dropped : {false, true}) {
      SCOPED_TRACE(std::string(file.kind) + (dropped ? ", dropped" : ", on the command line"));
      VelloranRun run;
      run.WriteCache(OldCache);
      const std::wstring path = run.WriteFile(file.name, file.bytes);
      if (dropped) {
        ASSERT_TRUE(run.Start(""));
        ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
        ASSERT_TRUE(run.DropFiles(std::vector<std::wstring>{path}));
      } else {
        ASSERT_TRUE(run.Start(L"\"" + path + L"\""));
      }
      const std::string count = file.cacheAfter == CacheOf(3) ? "3 servers" : "4 servers";
      ASSERT_TRUE(run.WaitForStatus(count, 10000)) << Joined(run.StatusTexts());
      ExpectNoMessageBox(run);
      EXPECT_EQ(run.CacheBytes(), file.cacheAfter);
      run.Close();
      EXPECT_TRUE(run.WaitForExit(10000));
    }
  }
}

TEST(ListFiles, TheBoxNamingEachShowsNamesOutsideTheCodePage) {
  VelloranRun run;
  run.WriteCache(OldCache);
  const std::wstring news = run.WriteFile(CyrillicName, Foreign);
  const std::wstring missing = Wide(run.Folder()) + JapaneseName;
  ASSERT_TRUE(run.Start(L"\"" + news + L"\" \"" + missing + L"\""));
  HWND box = nullptr;
  ASSERT_TRUE(test::WaitUntil([&] { return (box = test::FindMessageBox(run.Id())) != nullptr; }));
  Sleep(100);
  const test::MessageBoxSeen seen = test::ReadMessageBox(box);
  EXPECT_EQ(seen.caption, "Velloran");
  EXPECT_TRUE(seen.hasIcon);
  EXPECT_EQ(WideBoxText(box), L"None of the files holds a server list; the old list was kept:\n" +
                                  news + L": The file holds no server list\n" + missing +
                                  L": File not found.");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(run.CacheBytes(), OldCache);
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
}

TEST(ListFiles, DroppedOnTheWindow) {
  for (const FileCase& c : FileCases()) {
    if (!c.cached) continue;
    SCOPED_TRACE(c.name);
    test::SetLayoutMarker();
    VelloranRun run;
    run.WriteCache(OldCache);
    std::vector<std::string> paths;
    for (const auto& [name, bytes] : c.files) paths.push_back(run.WriteFile(name, bytes));
    ASSERT_TRUE(run.Start(""));
    ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
    const std::string date = test::WindowText(run.LastRefreshed());
    ASSERT_TRUE(run.DropFiles(paths));
    if (!c.box.empty()) {
      EXPECT_EQ(TakeMessageBox(run, 10000).text, c.box);
    } else {
      ASSERT_TRUE(run.WaitForStatus(CountText(c), 10000)) << Joined(run.StatusTexts());
      ExpectNoMessageBox(run);
    }
    ExpectFileTaken(c, run, date);
    run.Close();
    EXPECT_TRUE(run.WaitForExit(10000));
  }
}

TEST(ListFiles, ADropDuringARefreshIsRefused) {
  LoopbackServer site({Stalled()});
  VelloranRun run;
  run.WriteCache(OldCache);
  const std::string page = run.WriteFile("list.htm", Page);
  ASSERT_TRUE(run.Start("--list-url " + site.Url("/list.php")));
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));
  run.ClickRefresh();
  ASSERT_TRUE(WaitForByteCount(run));
  ASSERT_TRUE(run.DropFiles({page}));
  test::MessageBoxSeen box = TakeMessageBox(run, 10000);
  EXPECT_EQ(box.text, "A refresh is under way; load the list from a file once it has ended.");
  EXPECT_FALSE(box.hasIcon);
  EXPECT_EQ(run.CacheBytes(), OldCache);
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

// "Load list from file..." from the grid's shortcut menu, opened as the menu
// key opens it.
bool ChooseLoadFromFile(const VelloranRun& run) {
  HWND menu = OpenGridMenuByKey(run);
  if (!menu) return false;
  const std::vector<std::string> captions = test::PopupMenuCaptions(menu);
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Load list from file..."), captions.end());
  return test::ChooseMenuItem(menu, "Load list from file...");
}

// The Open dialog's controls, by the identifiers every version of it keeps.
constexpr int FileNameCombo = 1148;  // cmb13, the explorer-style dialogs
constexpr int FileNameEdit = 1152;   // edt1, the older ones
constexpr int FileTypeCombo = 1136;  // cmb1

HWND FileNameField(HWND dialog) {
  HWND field = GetDlgItem(dialog, FileNameCombo);
  if (!field) return GetDlgItem(dialog, FileNameEdit);
  HWND edit = FindWindowExA(field, nullptr, "Edit", nullptr);
  return edit ? edit : field;
}

// The dialog's own texts are wide ones; these are plain ASCII.
std::vector<std::string> FileTypes(HWND dialog) {
  HWND combo = GetDlgItem(dialog, FileTypeCombo);
  std::vector<std::string> types;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count && i < 16; ++i) {
    wchar_t text[256] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(std::size(text)))
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    std::string type;
    for (const wchar_t* c = text; *c; ++c) type += static_cast<char>(*c);
    types.push_back(type);
  }
  return types;
}

// The first Open dialog in a fresh Wine prefix sets up the shell's folders
// before it shows, which on a busy machine took longer than ten seconds.
constexpr DWORD OpenDialogLimitMs = 60000;

TEST(ListFiles, FromTheShortcutMenusOpenDialog) {
  test::SetLayoutMarker();
  VelloranRun run;
  run.WriteCache(OldCache);
  const std::string page = run.WriteFile("saved list.htm", Page);
  ASSERT_TRUE(run.Start(""));
  ASSERT_TRUE(run.WaitForStatus("2 servers", 10000));

  // Cancelled: nothing changes.
  ASSERT_TRUE(ChooseLoadFromFile(run));
  HWND dialog = nullptr;
  ASSERT_TRUE(test::WaitUntil([&] { return (dialog = test::FindMessageBox(run.Id())) != nullptr; },
                              OpenDialogLimitMs))
      << test::DescribeWindows(run.Id()) << Joined(run.StatusTexts());
  ASSERT_TRUE(test::WaitUntil([&] { return FileNameField(dialog) != nullptr; }, 5000));
  EXPECT_EQ(FileTypes(dialog),
            (std::vector<std::string>{"List pages (*.htm;*.html)", "Cache files (*.grd)",
                                      "All files (*.*)"}));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  ExpectNoMessageBox(run);
  EXPECT_EQ(run.CacheBytes(), OldCache);

  // A page picked: loaded as a download's.
  ASSERT_TRUE(ChooseLoadFromFile(run));
  ASSERT_TRUE(test::WaitUntil([&] { return (dialog = test::FindMessageBox(run.Id())) != nullptr; },
                              OpenDialogLimitMs))
      << test::DescribeWindows(run.Id()) << Joined(run.StatusTexts());
  HWND field = nullptr;
  ASSERT_TRUE(test::WaitUntil([&] { return (field = FileNameField(dialog)) != nullptr; }, 5000));
  SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  ASSERT_TRUE(run.WaitForStatus("3 servers", 10000)) << Joined(run.StatusTexts());
  ExpectNoMessageBox(run);
  EXPECT_EQ(run.CacheBytes(), CacheOf(3));
  EXPECT_EQ(test::WindowText(run.LastRefreshed()), FileDateText(run.CachePath()));
  EXPECT_FALSE(test::LayoutMarkerPresent());

  // A cache file whose name the code page lacks.
  const std::wstring cache = run.WriteFile(JapaneseName, CacheOf(4));
  ASSERT_TRUE(ChooseLoadFromFile(run));
  ASSERT_TRUE(test::WaitUntil([&] { return (dialog = test::FindMessageBox(run.Id())) != nullptr; },
                              OpenDialogLimitMs))
      << test::DescribeWindows(run.Id()) << Joined(run.StatusTexts());
  ASSERT_TRUE(test::WaitUntil([&] { return (field = FileNameField(dialog)) != nullptr; }, 5000));
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(cache.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  ASSERT_TRUE(run.WaitForStatus("4 servers", 10000)) << Joined(run.StatusTexts());
  ExpectNoMessageBox(run);
  EXPECT_EQ(run.CacheBytes(), CacheOf(4));
  run.Close();
  EXPECT_TRUE(run.WaitForExit(10000));
}

}  // namespace
}  // namespace velloran
