// File names that the user hands over, in UTF-8, and the files they open.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/FileAccess.h"

namespace velloran {
namespace {

TEST(FileName, WideNamesGoToUtf8AndComeBackAsTheyWere) {
  struct Case {
    const char* name;
    std::wstring wide;
    std::string utf8;
  } cases[] = {
      {"ASCII", L"C:\\lists\\list.htm", "C:\\lists\\list.htm"},
      {"two-byte letters", L"\u0441\u043f\u0438\u0441\u043e\u043a.htm",
       "\xD1\x81\xD0\xBF\xD0\xB8\xD1\x81\xD0\xBE\xD0\xBA.htm"},
      {"three-byte letters", L"\u30EA\u30B9\u30C8.grd", "\xE3\x83\xAA\xE3\x82\xB9\xE3\x83\x88.grd"},
      {"a surrogate pair", L"\xD83D\xDCC4", "\xF0\x9F\x93\x84"},
      {"the last code point", L"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},
      {"a lone high surrogate", std::wstring(L"a\xD800") + L"b",
       "a\xED\xA0\x80"
       "b"},
      {"a lone low surrogate at the end", L"a\xDC00", "a\xED\xB0\x80"},
      {"a low surrogate before a high one", L"\xDC00\xD800", "\xED\xB0\x80\xED\xA0\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8FromWide(c.wide), c.utf8);
    EXPECT_EQ(WideFromUtf8(c.utf8), c.wide);
  }
}

TEST(FileName, BytesThatAreNoUtf8BecomeReplacementCharacters) {
  struct Case {
    const char* name;
    std::string bytes;
    std::wstring wide;
  } cases[] = {
      {"a stray continuation byte", "a\x80z", L"a\xFFFDz"},
      {"a sequence cut short", "a\xD1", L"a\xFFFD"},
      {"a sequence cut by a letter", "\xE3\x83z", L"\xFFFD\xFFFDz"},
      {"an overlong slash", "\xC0\xAF", L"\xFFFD\xFFFD"},
      {"an overlong three-byte form", "\xE0\x80\xAF", L"\xFFFD\xFFFD\xFFFD"},
      {"past the last code point", "\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"a code page's letter", "caf\xE9", L"caf\xFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WideFromUtf8(c.bytes), c.wide);
  }
}

// The test program's folder, with a trailing backslash.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

TEST(FileName, AFileNamedOutsideTheCodePageOpensByItsUtf8Name) {
  const std::wstring folder = ProgramFolder();
  const std::vector<std::wstring> names = {
      L"\u0441\u043f\u0438\u0441\u043e\u043a.htm",  // Cyrillic
      L"\u30EA\u30B9\u30C8.grd",                    // Japanese
  };
  for (const std::wstring& name : names) {
    const std::wstring path = folder + name;
    const std::string bytes = "7\r\n0\r\n" + Utf8FromWide(name);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);

    std::string read;
    {
      InputFile input(Utf8Name{Utf8FromWide(path)});
      EXPECT_EQ(input.Size(), bytes.size());
      read.resize(64);
      read.resize(input.Read(read.data(), read.size()));
    }
    EXPECT_EQ(read, bytes);
    DeleteFileW(path.c_str());
    std::string error;
    try {
      InputFile gone(Utf8Name{Utf8FromWide(path)});
    } catch (const EInOutError& e) {
      error = e.what();
    }
    EXPECT_EQ(error, "File not found");
  }
}

}  // namespace
}  // namespace velloran
