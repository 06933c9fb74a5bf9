#include "Options.h"

#include <windows.h>

#include <cstdlib>

namespace standin {
namespace {

std::string Variable(const char* name) {
  char buffer[MAX_PATH * 2];
  DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

unsigned Milliseconds(const char* name) {
  return static_cast<unsigned>(std::strtoul(Variable(name).c_str(), nullptr, 10));
}

bool Flag(const char* name) {
  std::string value = Variable(name);
  return !value.empty() && value != "0";
}

}  // namespace

Options ReadOptions() {
  Options options;
  options.logPath = Variable("WINMX_STANDIN_LOG");
  options.readyEvent = Variable("WINMX_STANDIN_READY_EVENT");
  options.openDelayMs = Milliseconds("WINMX_STANDIN_OPEN_DELAY_MS");
  options.controlDelayMs = Milliseconds("WINMX_STANDIN_CONTROL_DELAY_MS");
  options.freezeMs = Milliseconds("WINMX_STANDIN_FREEZE_MS");
  options.lifetimeMs = Milliseconds("WINMX_STANDIN_LIFETIME_MS");
  options.reject = Flag("WINMX_STANDIN_REJECT");
  options.addButton = !Flag("WINMX_STANDIN_NO_ADD_BUTTON");
  options.registerBox = !Flag("WINMX_STANDIN_NO_REGISTER_BOX");
  return options;
}

}  // namespace standin
