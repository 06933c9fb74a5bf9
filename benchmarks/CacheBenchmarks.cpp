// The scraper against a plain memchr pass over the same page, and the cache
// file's writer and loader, on a list of 100,000 servers.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/CacheFile.h"
#include "app/ListFile.h"
#include "app/PageScraper.h"
#include "benchmarks/ServerListPage.h"
#include "app/ServerGrid.h"
#include "grid/kstrgrid.h"
#include "tests/support/MemoryCellTable.h"

namespace velloran::bench {
namespace {

constexpr int Servers = 100000;

const std::string& Page() {
  static const std::string page = ServerListPage(Servers);
  return page;
}

const MemoryCellTable& ScrapedGrid() {
  static const MemoryCellTable grid = [] {
    MemoryCellTable table;
    ScrapeServerList(Page(), table);
    return table;
  }();
  return grid;
}

std::string CachePath() {
  return (std::filesystem::temp_directory_path() /
          ("velloran-bench-" + std::to_string(getpid()) + ".grd"))
      .string();
}

// The yardstick: the least any scan must do, finding every "<".
void CountTagOpenings(benchmark::State& state) {
  const std::string& page = Page();
  for (auto _ : state) {
    std::size_t count = 0;
    const char* pos = page.data();
    const char* end = pos + page.size();
    while (const void* found = std::memchr(pos, '<', end - pos)) {
      ++count;
      pos = static_cast<const char*>(found) + 1;
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(CountTagOpenings)->Unit(benchmark::kMillisecond);

// Into one grid, cleared and refilled each time as the program refills its
// grid; the first fill, which makes the grid's rows, is not timed.
void Scrape(benchmark::State& state) {
  const std::string& page = Page();
  MemoryCellTable grid;
  ScrapeServerList(page, grid);
  for (auto _ : state) ScrapeServerList(page, grid);
  if (grid.RowCount() != Servers) state.SkipWithError("the page did not give every server");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
  state.counters["rows"] = grid.RowCount();
}
BENCHMARK(Scrape)->Unit(benchmark::kMillisecond);

// What a refresh does with a downloaded page: the rows read aside, then put
// into the server grid (which holds the last list) in one step.
void ScrapeAsideIntoTheServerGrid(benchmark::State& state) {
  const std::string& page = Page();
  TKStringGrid grid;
  SetUpServerGrid(grid);
  for (auto _ : state) {
    ListRows rows(grid.ColumnCount());
    ScrapeServerList(page, rows);
    grid.TakeRows(rows);
  }
  if (grid.RowCount() != Servers) state.SkipWithError("the page did not give every server");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(ScrapeAsideIntoTheServerGrid)->Unit(benchmark::kMillisecond);

// A grid that only counts what it is given: the scan's own share of Scrape.
class CountingTable : public CellTable {
 public:
  int ColumnCount() const override { return 7; }
  int RowCount() const override { return rows_; }
  void SetRowCount(int rows) override { rows_ = rows; }
  std::string Cell(int, int) const override { return {}; }
  void SetCell(int, int, const std::string& text) override { bytes_ += text.size(); }
  void Clear() override { rows_ = 0; }

 private:
  int rows_ = 0;
  std::size_t bytes_ = 0;
};

void ScrapeWithoutStoring(benchmark::State& state) {
  const std::string& page = Page();
  CountingTable grid;
  for (auto _ : state) ScrapeServerList(page, grid);
  if (grid.RowCount() != Servers) state.SkipWithError("the page did not give every server");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(ScrapeWithoutStoring)->Unit(benchmark::kMillisecond);

void SaveCache(benchmark::State& state) {
  const MemoryCellTable& grid = ScrapedGrid();
  std::string path = CachePath();
  for (auto _ : state) SaveGridFile(grid, path);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(SaveCache)->Unit(benchmark::kMillisecond);

void LoadCache(benchmark::State& state) {
  std::string path = CachePath();
  SaveGridFile(ScrapedGrid(), path);
  for (auto _ : state) {
    // Every load starts from an empty grid, as at the program's start.
    MemoryCellTable grid;
    LoadGridFile(grid, path);
    benchmark::DoNotOptimize(grid);
    state.PauseTiming();
    grid = MemoryCellTable();
    state.ResumeTiming();
  }
  std::filesystem::remove(path);
}
BENCHMARK(LoadCache)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velloran::bench

namespace velloran::bench {
namespace {

// The same in the program's own grid, as the window loads and saves it.
void SaveCacheFromServerGrid(benchmark::State& state) {
  TKStringGrid grid;
  SetUpServerGrid(grid);
  std::string path = CachePath();
  SaveGridFile(ScrapedGrid(), path);
  LoadGridFile(grid, path);
  for (auto _ : state) SaveGridFile(grid, path);
  std::filesystem::remove(path);
}
BENCHMARK(SaveCacheFromServerGrid)->Unit(benchmark::kMillisecond);

void LoadCacheIntoServerGrid(benchmark::State& state) {
  std::string path = CachePath();
  SaveGridFile(ScrapedGrid(), path);
  for (auto _ : state) {
    state.PauseTiming();
    auto grid = std::make_unique<TKStringGrid>();
    SetUpServerGrid(*grid);
    state.ResumeTiming();
    LoadGridFile(*grid, path);
    benchmark::DoNotOptimize(grid->Cells(0, 0));
    state.PauseTiming();
    grid.reset();
    state.ResumeTiming();
  }
  std::filesystem::remove(path);
}
BENCHMARK(LoadCacheIntoServerGrid)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velloran::bench
