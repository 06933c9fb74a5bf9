#pragma once
// The stand-in's settings, read once from its environment (see main.cpp).

#include <string>

namespace standin {

struct Options {
  std::string logPath;
  std::string readyEvent;
  unsigned openDelayMs = 0;
  unsigned controlDelayMs = 0;
  unsigned freezeMs = 0;
  unsigned lifetimeMs = 0;
  bool reject = false;
  bool addButton = true;
  bool registerBox = true;
};

Options ReadOptions();

}  // namespace standin
