#pragma once
// A scripted TCP server on 127.0.0.1 for tests of network code under Wine.
// It listens on a port of the system's choosing, serves each connection from
// the next reply of its script (the last reply serves every further one), and
// records every request it read, byte for byte. It runs on a thread of its
// own; every wait inside it is bounded, and it stops when the object goes.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace velloran::test {

struct LoopbackReply {
  enum class End {
    Close,  // close the connection after the last chunk (an orderly close)
    Stall,  // keep it open, sending nothing more, until the client closes or the server stops
    Hold,  // keep it open and read nothing more (the client's sends fill up) until the server stops
    Reset,  // break it off after the last chunk: the client sees a reset, not an end
  };

  // Read the request (to its blank line, plus a Content-Length body) before answering.
  bool readRequest = true;
  // Sent first, once.
  std::string head;
  // Then each chunk in order, the whole list Repeat times, DelayMs between chunks.
  std::vector<std::string> chunks;
  std::size_t repeat = 1;
  int delayMs = 0;
  End end = End::Close;

  // A reply of these bytes, sent at once, then closed.
  static LoopbackReply Text(std::string bytes) {
    LoopbackReply reply;
    reply.head = std::move(bytes);
    return reply;
  }
};

class LoopbackServer {
 public:
  explicit LoopbackServer(std::vector<LoopbackReply> script);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  unsigned short Port() const;
  // "http://127.0.0.1:PORT" followed by Path.
  std::string Url(const std::string& path = "/") const;
  // The requests read so far, one per connection, in order of arrival.
  std::vector<std::string> Requests() const;
  int Connections() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A port on 127.0.0.1 where nothing listens: connecting to it is refused.
unsigned short UnusedLoopbackPort();

// A listener on 127.0.0.1 whose queue of unaccepted connections is full, so
// that a further connection attempt neither succeeds nor fails for a long time.
class StalledListener {
 public:
  StalledListener();
  ~StalledListener();
  StalledListener(const StalledListener&) = delete;
  StalledListener& operator=(const StalledListener&) = delete;
  unsigned short Port() const { return port_; }

 private:
  std::vector<unsigned long long> sockets_;
  unsigned short port_ = 0;
};

}  // namespace velloran::test
