// CPU time and throughput of the HTTP client's downloads on 127.0.0.1, each
// beside a plain blocking Winsock receive loop in the same run:
// - 10 MiB sent as 64 KiB every 50 ms: the client's CPU time against the
//   plain loop's (the waits must sleep, not poll);
// - 100 MiB sent as fast as possible: the client's throughput against the
//   plain loop's.
// Timings under Wine swing with the cores that the program and wineserver
// land on, so only ratios within one run mean anything. Not a test: it prints
// figures and always exits 0 unless something fails outright.
#include <windows.h>

#include <cstdio>
#include <string>

#include "benchmarks/net/PlainReceive.h"
#include "net/NMHttp.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/LoopbackServer.h"

namespace velloran::bench {
namespace {

constexpr std::size_t Block = 64 * 1024;
using test::ThreadCpuMs;

double NowMs() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

test::LoopbackReply Download(std::size_t blocks, int delayMs) {
  test::LoopbackReply reply;
  reply.head = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(blocks * Block) + "\r\n\r\n";
  reply.chunks = {std::string(Block, 'x')};
  reply.repeat = blocks;
  reply.delayMs = delayMs;
  return reply;
}

struct Measure {
  double cpuMs;
  double wallMs;
  std::uint64_t bytes;
};

template <typename Run>
Measure Time(Run&& run) {
  double cpu = ThreadCpuMs();
  double wall = NowMs();
  std::uint64_t bytes = run();
  return {ThreadCpuMs() - cpu, NowMs() - wall, bytes};
}

Measure Plain(std::size_t blocks, int delayMs) {
  test::LoopbackServer server({Download(blocks, delayMs)});
  return Time([&] { return PlainDownload(server.Port(), "GET / HTTP/1.0\r\n\r\n"); });
}

Measure Client(std::size_t blocks, int delayMs) {
  test::LoopbackServer server({Download(blocks, delayMs)});
  TNMHTTP http(nullptr);
  http.SetTimeOut(120000);
  return Time([&] {
    http.Get(server.Url("/"));
    return static_cast<std::uint64_t>(http.Body().size());
  });
}

void Report(const char* name, const Measure& m) {
  std::printf("%-28s %9.0f ms CPU %9.0f ms wall %8.1f MiB/s (%llu bytes)\n", name, m.cpuMs,
              m.wallMs, m.bytes / 1048576.0 / (m.wallMs / 1000.0),
              static_cast<unsigned long long>(m.bytes));
  std::fflush(stdout);
}

}  // namespace
}  // namespace velloran::bench

int main() {
  using namespace velloran::bench;
  try {
    std::printf("10 MiB, 64 KiB every 50 ms\n");
    Measure plainSlow = Plain(160, 50);
    Report("plain blocking loop", plainSlow);
    Measure clientSlow = Client(160, 50);
    Report("TNMHTTP Get", clientSlow);
    std::printf("CPU ratio client/plain: %.2f (goal at most 1.5)\n\n",
                clientSlow.cpuMs / (plainSlow.cpuMs > 0 ? plainSlow.cpuMs : 1));

    std::printf("100 MiB as fast as possible (best of 3 each)\n");
    Measure plainFast{0, 1e18, 0}, clientFast{0, 1e18, 0};
    for (int round = 0; round < 3; ++round) {
      Measure p = Plain(1600, 0);
      Measure c = Client(1600, 0);
      Report("plain blocking loop", p);
      Report("TNMHTTP Get", c);
      if (p.wallMs < plainFast.wallMs) plainFast = p;
      if (c.wallMs < clientFast.wallMs) clientFast = c;
    }
    std::printf("throughput ratio client/plain: %.2f (goal at least 0.8)\n",
                plainFast.wallMs / clientFast.wallMs);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
