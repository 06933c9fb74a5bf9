// velloran-tool sort run as a program: standard input to standard output.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
  int exitCode;
  std::string output;
};

ToolRun SortTool(const std::string& arguments, const std::string& input) {
  // One file per test: CTest runs the cases of this program side by side.
  std::string inputPath = testing::TempDir() + "sort-input-" +
                          testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
  std::ofstream(inputPath, std::ios::binary) << input;
  std::string command =
      std::string(VELLORAN_TOOL) + " sort " + arguments + " < " + inputPath + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

const std::string rows =
    "beta.example.net\t10.0.0.2\t8888\tBeta\t120\t5000\t12\n"
    "Alpha.example.net\t10.0.0.1\t7777\tn/a\t3\t90000\t400\r\n"
    "gamma.example.net\t10.0.0.3\t8888\tGamma\tn/a\t\t7\n";

TEST(SortTool, SortsLikeAHeaderClick) {
  struct Case {
    const char* arguments;
    std::string firstCells;
  } cases[] = {
      {"0 asc", "Alpha beta gamma"},                                 // text, ignoring case
      {"0 dsc", "gamma beta Alpha"}, {"4 asc", "beta Alpha gamma"},  // numbers, the largest first
      {"4 dsc", "gamma Alpha beta"},                                 // "n/a" reads as 0
      {"5 asc", "Alpha beta gamma"},
  };
  for (const auto& c : cases) {
    ToolRun run = SortTool(c.arguments, rows);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string firsts;
    size_t start = 0;
    while (start < run.output.size()) {
      size_t end = run.output.find('\n', start);
      std::string line = run.output.substr(start, end - start);
      firsts += (firsts.empty() ? "" : " ") + line.substr(0, line.find('.'));
      start = end + 1;
    }
    EXPECT_EQ(firsts, c.firstCells) << c.arguments;
  }
  EXPECT_EQ(SortTool("1 asc", rows).output,
            "Alpha.example.net\t10.0.0.1\t7777\tn/a\t3\t90000\t400\n"
            "beta.example.net\t10.0.0.2\t8888\tBeta\t120\t5000\t12\n"
            "gamma.example.net\t10.0.0.3\t8888\tGamma\tn/a\t\t7\n");
}

TEST(SortTool, BadArgumentsGetTheUsageLine) {
  for (const char* arguments : {"", "7 asc", "0 up", "x asc", "0", "0 asc extra", "-1 asc"}) {
    ToolRun run = SortTool(arguments, rows);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_NE(run.output.find("usage: velloran-tool sort COLUMN ORDER"), std::string::npos)
        << arguments;
  }
}

TEST(SortTool, EmptyInputGivesNoRows) {
  ToolRun run = SortTool("0 asc", "");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
}

}  // namespace
