#pragma once
// TCP connection attempts that end on their own time: each one succeeds
// (the peer accepted), fails, or is dropped by its starter. Portable: the
// Windows sockets behind it are TTcpConnector's (net/TcpConnector.h), tests
// use scripts.

#include <chrono>
#include <cstdint>
#include <functional>

namespace velloran {

// An IPv4 address (a.b.c.d as a << 24 | b << 16 | c << 8 | d) and a port.
struct ConnectTarget {
  std::uint32_t address = 0;
  std::uint16_t port = 0;
  bool operator==(const ConnectTarget&) const = default;
};

class ConnectAttempts {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~ConnectAttempts() = default;
  // Starts attempt Attempt (a number of the caller's choosing, unique among
  // those under way); its end comes later through OnEnded, never from inside
  // this call. False when none could start (no socket to be had).
  virtual bool Begin(int attempt, const ConnectTarget& target) = 0;
  // Drops an attempt under way: its connection is closed and nothing more is
  // reported for it.
  virtual void End(int attempt) = 0;
  // One OnWake after Delay; a new request replaces the pending one.
  virtual void WakeAfter(std::chrono::milliseconds delay) = 0;
  virtual Clock::time_point Now() = 0;

  // Both come from the message handling of the thread that began the attempts.
  std::function<void(int attempt, bool connected)> OnEnded;
  std::function<void()> OnWake;
};

}  // namespace velloran
