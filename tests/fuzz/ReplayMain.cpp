// Runs a fuzz target over saved inputs without libFuzzer: every file of each
// folder named on the command line, in name order, and every file named
// directly. A crash or a failed check ends the run (the sanitizers and abort
// say which input); no inputs at all is a failure too, so that a misplaced
// corpus does not pass unnoticed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& place) {
  std::vector<std::filesystem::path> inputs;
  if (std::filesystem::is_directory(place)) {
    for (const auto& entry : std::filesystem::directory_iterator(place))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
  } else if (std::filesystem::exists(place)) {
    inputs.push_back(place);
  } else {
    std::fprintf(stderr, "%s: no such file or folder\n", place.string().c_str());
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER|FILE...\n", argv[0]);
    return 2;
  }
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    auto found = InputsOf(argv[i]);
    inputs.insert(inputs.end(), found.begin(), found.end());
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "no inputs found\n");
    return 1;
  }
  for (const auto& input : inputs) {
    std::ifstream file(input, std::ios::binary);
    std::vector<char> bytes(std::istreambuf_iterator<char>(file), {});
    if (!file.eof() && file.fail()) {
      std::fprintf(stderr, "%s: could not be read\n", input.string().c_str());
      return 1;
    }
    std::fprintf(stderr, "%s\n", input.string().c_str());
    // A heap block of exactly the input's size, so that a read past its end is caught.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.data(), data.size());
  }
  std::printf("%zu inputs replayed\n", inputs.size());
  return 0;
}
