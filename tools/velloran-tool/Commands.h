#pragma once
// The commands of velloran-tool. Each takes the arguments after its name and
// returns the process exit code: 0 done, 1 failed (message on standard
// error), 2 bad arguments (usage line on standard error).

#include <string>
#include <vector>

namespace velloran::tool {

using Arguments = std::vector<std::string>;

// Writes the program's error text to standard error as the tool means it: the
// tool has no old list to keep, so the program's clause saying so goes.
void PrintListError(const std::string& text);

int Sort(const Arguments& arguments);
int Dump(const Arguments& arguments);
int Scrape(const Arguments& arguments);
int Gif(const Arguments& arguments);
#ifdef _WIN32
int Get(const Arguments& arguments);
#endif

}  // namespace velloran::tool
