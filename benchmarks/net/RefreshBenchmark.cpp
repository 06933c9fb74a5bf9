// A refresh of 100,000 servers in velloran.exe beside `velloran-tool get` of
// the same page, alternating, three rounds each, from one loopback list site:
// - get: from the tool's process start to its exit (wall clock);
// - refresh: velloran.exe started from a folder of its own with a one-row
//   servers.grd (so that its start-up does not download), then from the click
//   on "Refresh" to the count text "100000 servers" with the panel enabled.
// The status hook records texts without times, so they are timed when seen,
// by a poll that sleeps 2 ms between looks; the hook's own log line per text
// is a cost that the refresh carries here and a user's does not. Besides the
// end, the poll notes when the first byte count and "Download complete" were
// seen, which splits the refresh into its download and what follows it.
// Timings under Wine swing with the cores that the programs and wineserver
// land on, so only the ratio within one run means much. Not a test: it prints
// figures and exits 0 unless something fails outright.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "benchmarks/ServerListPage.h"
#include "tests/e2e/VelloranRun.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/WinTestSupport.h"

namespace velloran::bench {
namespace {

constexpr int Servers = 100000;
constexpr int Rounds = 3;
constexpr DWORD RunLimitMs = 300000;
const std::string CountText = std::to_string(Servers) + " servers";
// One row, so that the start-up shows a list and downloads nothing.
const std::string SmallCache = "7\r\n1\r\nOld\r\n10.0.0.1\r\n8888\r\nNet\r\n1\r\n1\r\n1\r\n";

double NowMs() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The value after "Name " on its own line of the tool's output; "" when absent.
std::string OutputValue(const std::string& output, const std::string& name) {
  std::size_t at = output.find("\n" + name + " ");
  if (at == std::string::npos) return "";
  at += name.size() + 2;
  return output.substr(at, output.find_first_of("\r\n", at) - at);
}

// How many lines of Output are exactly Line (a line may end in CR LF).
int CountLines(const std::string& output, const std::string& line) {
  int count = 0;
  for (std::size_t at = 0; at < output.size();) {
    std::size_t end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    std::size_t length = end - at;
    if (length > 0 && output[end - 1] == '\r') --length;
    count += output.compare(at, length, line) == 0;
    at = end + 1;
  }
  return count;
}

struct ToolRun {
  double wallMs;
  DWORD exitCode;
  std::string output;  // its standard output and error, after a line break
};

// velloran-tool.exe with Arguments, its output into a file (a pipe would wait
// on Wine's background services, which inherit it), from start to exit.
ToolRun RunTool(const std::string& arguments) {
  const std::string outputPath = test::ExeDirectory() + "refresh-benchmark-tool.txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + outputPath);
  std::string line = test::QuotedProgramPath("velloran-tool.exe") + " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION info{};
  const double start = NowMs();
  BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &info);
  CloseHandle(output);
  if (!started) throw std::runtime_error("cannot start " + line);
  DWORD waited = WaitForSingleObject(info.hProcess, RunLimitMs);
  const double end = NowMs();
  DWORD exitCode = 1;
  if (waited != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 99);
  GetExitCodeProcess(info.hProcess, &exitCode);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  // A line break first, so that every line, the first too, follows one.
  std::string text = "\n";
  text += ReadAll(outputPath);
  DeleteFileA(outputPath.c_str());
  if (waited != WAIT_OBJECT_0) throw std::runtime_error("velloran-tool did not end: " + line);
  return {end - start, exitCode, text};
}

struct GetMeasure {
  double wallMs;
  int packets;
};

GetMeasure ToolGet(const std::string& url, std::size_t pageBytes) {
  ToolRun run = RunTool("get " + url);
  if (run.exitCode != 0 || OutputValue(run.output, "ReplyNumber") != "200" ||
      OutputValue(run.output, "BytesRecvd") != std::to_string(pageBytes))
    throw std::runtime_error("velloran-tool get failed:" + run.output);
  return {run.wallMs, CountLines(run.output, "OnPacketRecvd")};
}

struct RefreshMeasure {
  double firstCountMs = -1;  // the first byte count seen
  double downloadedMs = -1;  // "Download complete" seen
  double wallMs = -1;        // the count text with the panel enabled seen
  int byteCounts = 0;        // status texts with a byte count during the refresh
};

bool IsByteCount(const std::string& text) {
  const std::string tail = " bytes received... (Please wait)";
  return text.size() > tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

RefreshMeasure Refresh(const std::string& url) {
  test::VelloranRun run;
  run.WriteCache(SmallCache);
  if (!run.Start("--list-url " + url)) throw std::runtime_error("velloran.exe showed no window");
  if (!run.WaitForStatus("1 servers", 30000))
    throw std::runtime_error("velloran.exe did not show its one-row list");
  const std::size_t textsBefore = run.StatusTexts().size();
  RefreshMeasure measure;
  // The status bar's text as the screen has it, asked of the program itself:
  // reading the hook's whole log every few milliseconds would take the CPU
  // from the program it measures. A text that stands only for a moment may
  // be missed here; the log has them all afterwards.
  const HWND bar = run.StatusBar();
  auto barText = [&] {
    char text[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(bar, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                        1000, &copied);
    return std::string(text);
  };
  const double start = NowMs();
  run.ClickRefresh();
  for (;;) {
    const std::string text = barText();
    const double now = NowMs() - start;
    if (measure.firstCountMs < 0 && IsByteCount(text)) measure.firstCountMs = now;
    if (measure.downloadedMs < 0 && text == "Download complete") measure.downloadedMs = now;
    if (text == CountText && IsWindowEnabled(run.Panel())) {
      measure.wallMs = now;
      break;
    }
    if (now > RunLimitMs) throw std::runtime_error("the refresh did not end with " + CountText);
    Sleep(5);
  }
  const std::vector<test::StatusText> texts = run.StatusTexts();
  measure.byteCounts = static_cast<int>(
      std::count_if(texts.begin() + static_cast<std::ptrdiff_t>(textsBefore), texts.end(),
                    [](const test::StatusText& text) { return IsByteCount(text.text); }));
  run.Close();
  run.WaitForExit(20000);
  return measure;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace
}  // namespace velloran::bench

int main() {
  using namespace velloran::bench;
  try {
    const std::string page = ServerListPage(Servers);
    velloran::test::LoopbackReply reply;
    reply.head = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                 std::to_string(page.size()) + "\r\n\r\n";
    reply.chunks = {page};
    // The last reply of the script serves every connection.
    velloran::test::LoopbackServer site({reply});
    const std::string url = site.Url("/list.php");
    std::printf("list page: %d servers, %zu bytes (%.1f MB)\n", Servers, page.size(),
                page.size() / 1e6);
    // The first start of a program under Wine loads more than the later ones.
    std::printf("warm-up get: %.0f ms (not counted)\n", ToolGet(url, page.size()).wallMs);
    std::fflush(stdout);

    std::vector<double> gets, refreshes;
    for (int round = 1; round <= Rounds; ++round) {
      GetMeasure get = ToolGet(url, page.size());
      std::printf("round %d  velloran-tool get %8.0f ms  (%d packets)\n", round, get.wallMs,
                  get.packets);
      std::fflush(stdout);
      RefreshMeasure refresh = Refresh(url);
      std::printf(
          "round %d  refresh           %8.0f ms  (first byte count at %.0f ms, "
          "\"Download complete\" at %.0f ms, %d byte counts)\n",
          round, refresh.wallMs, refresh.firstCountMs, refresh.downloadedMs, refresh.byteCounts);
      std::fflush(stdout);
      gets.push_back(get.wallMs);
      refreshes.push_back(refresh.wallMs);
    }
    const double get = Median(gets);
    const double refresh = Median(refreshes);
    // What of the get is the tool's start and exit: it refuses a missing address at once.
    std::vector<double> bare;
    for (int round = 1; round <= Rounds; ++round) {
      ToolRun run = RunTool("get");
      if (run.exitCode != 2)
        throw std::runtime_error("velloran-tool get without an address:" + run.output);
      bare.push_back(run.wallMs);
    }
    std::printf("median get %.0f ms (of it start and exit: %.0f ms), median refresh %.0f ms\n", get,
                Median(bare), refresh);
    std::printf("ratio refresh/get: %.2f (goal at most 1.5)\n", refresh / get);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
