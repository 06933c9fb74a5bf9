// Sorting 100,000 servers as a header click does, beside a plain index sort
// with pre-parsed keys as the yardstick.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "app/GridCompare.h"
#include "app/ServerGrid.h"

namespace velloran {
namespace {

constexpr int Rows = 100000;

struct Server {
  std::string cells[7];
};

const std::vector<Server>& Servers() {
  static const std::vector<Server> servers = [] {
    std::mt19937 random(2026);
    std::vector<Server> list(Rows);
    const char* words[] = {"open", "nap", "music", "Files", "net", "Central", "planet", "echo"};
    for (int r = 0; r < Rows; ++r) {
      Server& s = list[r];
      s.cells[0] = std::string(words[random() % 8]) + words[random() % 8] +
                   std::to_string(random() % 1000) + ".example.org";
      s.cells[1] = std::to_string(random() % 256) + "." + std::to_string(random() % 256) + "." +
                   std::to_string(random() % 256) + "." + std::to_string(random() % 256);
      s.cells[2] = std::to_string(7000 + random() % 2000);
      s.cells[3] = random() % 5 ? words[random() % 8] : "n/a";
      s.cells[4] = random() % 20 ? std::to_string(random() % 5000) : "n/a";
      s.cells[5] = std::to_string(random() % 3000000);
      s.cells[6] = std::to_string(random() % 20000);
    }
    return list;
  }();
  return servers;
}

void Fill(TKStringGrid& grid) {
  grid.Clear();
  grid.SetRowCount(Rows);
  const auto& servers = Servers();
  for (int r = 0; r < Rows; ++r)
    for (int c = 0; c < 7; ++c) grid.SetCells(c, r, servers[r].cells[c]);
}

void SortGridBy(benchmark::State& state, int column) {
  TKStringGrid grid;
  SetUpServerGrid(grid);
  for (auto _ : state) {
    state.PauseTiming();
    grid.Columns()[column]->SetSortOrder(TColumnSorting::csNone);
    Fill(grid);
    state.ResumeTiming();
    grid.Columns()[column]->SetSortOrder(TColumnSorting::csAsc);
  }
  benchmark::DoNotOptimize(grid.Cells(column, 0));
}

void BM_GridSortByUsers(benchmark::State& state) {
  SortGridBy(state, colUsers);
}
void BM_GridSortByServer(benchmark::State& state) {
  SortGridBy(state, colServer);
}

// The yardstick: keys parsed once, an index array sorted by them.
void BM_IndexSortByUsers(benchmark::State& state) {
  const auto& servers = Servers();
  for (auto _ : state) {
    std::vector<std::int64_t> keys(Rows);
    for (int r = 0; r < Rows; ++r) keys[r] = ReadWholeNumber(servers[r].cells[colUsers]);
    std::vector<int> index(Rows);
    std::iota(index.begin(), index.end(), 0);
    std::sort(index.begin(), index.end(), [&](int a, int b) { return keys[a] > keys[b]; });
    benchmark::DoNotOptimize(index.data());
  }
}

void BM_IndexSortByServer(benchmark::State& state) {
  const auto& servers = Servers();
  for (auto _ : state) {
    std::vector<std::string> keys(Rows);
    for (int r = 0; r < Rows; ++r) {
      keys[r] = servers[r].cells[colServer];
      for (char& c : keys[r])
        if (c >= 'a' && c <= 'z') c -= 32;
    }
    std::vector<int> index(Rows);
    std::iota(index.begin(), index.end(), 0);
    std::sort(index.begin(), index.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    benchmark::DoNotOptimize(index.data());
  }
}

BENCHMARK(BM_GridSortByUsers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexSortByUsers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortByServer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexSortByServer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velloran
