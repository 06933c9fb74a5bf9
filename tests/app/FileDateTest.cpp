// The "Last refreshed" text and the program's folder, on the real Win32 calls.
#include "app/FileDate.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/CacheFile.h"
#include "framework/Exception.h"

namespace velloran {
namespace {

class FileDate : public ::testing::Test {
 protected:
  FileDate()
      : folder_(std::filesystem::temp_directory_path() /
                ("velloran-date-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "servers.grd").string();
    std::ofstream(path_, std::ios::binary) << "7\r\n0\r\n";
  }
  ~FileDate() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // Sets the file's last-write time to a local time.
  void SetLocalWriteTime(WORD hour, WORD minute, WORD second, WORD milliseconds) {
    SYSTEMTIME local{2003, 4, 0, 5, hour, minute, second, milliseconds};
    FILETIME localTime{}, utc{};
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    HANDLE file =
        CreateFileA(path_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
    CloseHandle(file);
  }

  std::filesystem::path folder_;
  std::string path_;
};

std::string UserShortDate() {
  SYSTEMTIME day{2003, 4, 6, 5, 0, 0, 0, 0};
  char text[128] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &day, nullptr, text, sizeof text);
  return text;
}

std::string UserLongTime(WORD hour, WORD minute, WORD second) {
  SYSTEMTIME time{2003, 4, 6, 5, hour, minute, second, 0};
  char text[128] = {};
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, sizeof text);
  return text;
}

TEST_F(FileDate, ShowsTheUsersShortDateAndLongTimeInTwoSecondSteps) {
  SetLocalWriteTime(6, 7, 9, 500);
  EXPECT_EQ(FileDateText(path_), UserShortDate() + " " + UserLongTime(6, 7, 8));
  SetLocalWriteTime(23, 59, 59, 999);
  EXPECT_EQ(FileDateText(path_), UserShortDate() + " " + UserLongTime(23, 59, 58));
  SetLocalWriteTime(0, 0, 2, 0);
  EXPECT_EQ(FileDateText(path_), UserShortDate() + " " + UserLongTime(0, 0, 2));
}

TEST_F(FileDate, LeavesTheTimeOutAtMidnight) {
  SetLocalWriteTime(0, 0, 0, 0);
  EXPECT_EQ(FileDateText(path_), UserShortDate());
  SetLocalWriteTime(0, 0, 1, 900);
  EXPECT_EQ(FileDateText(path_), UserShortDate());
}

TEST_F(FileDate, FailsForAMissingFile) {
  try {
    FileDateText((folder_ / "missing.grd").string());
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& error) {
    EXPECT_STREQ(error.what(), "File not found");
  }
}

TEST(ExeFolder, IsTheFolderOfTheRunningProgram) {
  std::string folder = ExeFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_NE(GetFileAttributesA((folder + "app_file_date_test.exe").c_str()),
            INVALID_FILE_ATTRIBUTES)
      << folder;
}

}  // namespace
}  // namespace velloran
