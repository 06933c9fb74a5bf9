#include "tests/support/LoopbackServer.h"

#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace velloran::test {
namespace {

// No wait of the server lasts longer than this, so that a test can't hang on it.
constexpr int WaitLimitMs = 20000;
constexpr std::size_t RequestLimit = 1 << 20;

class WinsockUser {
 public:
  WinsockUser() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  }
  ~WinsockUser() { WSACleanup(); }
  WinsockUser(const WinsockUser&) = delete;
  WinsockUser& operator=(const WinsockUser&) = delete;
};

class Socket {
 public:
  Socket() = default;
  explicit Socket(SOCKET handle) : handle_(handle) {}
  ~Socket() { Close(); }
  Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_SOCKET; }
  Socket& operator=(Socket&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  SOCKET get() const { return handle_; }
  SOCKET Release() {
    SOCKET handle = handle_;
    handle_ = INVALID_SOCKET;
    return handle;
  }
  void Close() {
    if (handle_ != INVALID_SOCKET) closesocket(handle_);
    handle_ = INVALID_SOCKET;
  }

 private:
  SOCKET handle_ = INVALID_SOCKET;
};

sockaddr_in Loopback(unsigned short port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

// A socket listening on 127.0.0.1 at a port of the system's choosing.
Socket Listen(int backlog, unsigned short& port) {
  Socket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (listener.get() == INVALID_SOCKET) throw std::runtime_error("socket failed");
  sockaddr_in address = Loopback(0);
  if (bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener.get(), backlog) != 0)
    throw std::runtime_error("listening on 127.0.0.1 failed");
  int length = sizeof address;
  getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return listener;
}

// Whether Handle becomes readable within Milliseconds.
bool Readable(SOCKET handle, int milliseconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(handle, &set);
  timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &limit) == 1;
}

std::size_t ContentLength(const std::string& head) {
  std::string upper;
  for (char c : head) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  std::size_t at = upper.find("\nCONTENT-LENGTH: ");
  if (at == std::string::npos) return 0;
  return std::strtoul(head.c_str() + at + 17, nullptr, 10);
}

}  // namespace

struct LoopbackServer::State {
  WinsockUser winsock;
  std::vector<LoopbackReply> script;
  Socket listener;
  unsigned short port = 0;
  std::atomic<bool> stopping{false};
  mutable std::mutex mutex;
  std::vector<std::string> requests;
  int connections = 0;
  std::thread thread;

  bool Stopping() const { return stopping.load(); }

  // Sleeps up to Milliseconds, waking early when the server stops.
  void Pause(int milliseconds) const {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!Stopping() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 10)));
  }

  // Pause, but false at once when the client has gone (closed or reset):
  // a connection that nobody reads any more is not worth serving on, and the
  // next one waits behind it.
  bool PauseWhileConnected(SOCKET client, int milliseconds) const {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!Stopping() && std::chrono::steady_clock::now() < end) {
      if (Readable(client, 10)) {
        char byte;
        if (recv(client, &byte, 1, MSG_PEEK) <= 0) return false;
        // More of a request, not a close: no reason to wake at once again.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    return true;
  }

  std::string ReadRequest(SOCKET client) const {
    std::string request;
    char buffer[4096];
    std::size_t wanted = std::string::npos;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitLimitMs);
    while (!Stopping() && request.size() < RequestLimit &&
           std::chrono::steady_clock::now() < deadline) {
      if (wanted == std::string::npos) {
        std::size_t end = request.find("\r\n\r\n");
        if (end != std::string::npos) wanted = end + 4 + ContentLength(request.substr(0, end + 2));
      }
      if (wanted != std::string::npos && request.size() >= wanted) break;
      if (!Readable(client, 50)) continue;
      int received = recv(client, buffer, sizeof buffer, 0);
      if (received <= 0) break;
      request.append(buffer, received);
    }
    return request;
  }

  void SendAll(SOCKET client, const std::string& bytes) const {
    std::size_t sent = 0;
    while (sent < bytes.size() && !Stopping()) {
      int count = send(client, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
      if (count <= 0) return;  // the client went away
      sent += count;
    }
  }

  void Serve(SOCKET client, const LoopbackReply& reply) {
    std::string request;
    if (reply.readRequest) request = ReadRequest(client);
    {
      std::lock_guard<std::mutex> lock(mutex);
      requests.push_back(request);
    }
    SendAll(client, reply.head);
    for (std::size_t round = 0; round < reply.repeat && !Stopping(); ++round) {
      for (const std::string& chunk : reply.chunks) {
        if (reply.delayMs > 0 && !PauseWhileConnected(client, reply.delayMs)) return;
        SendAll(client, chunk);
      }
    }
    if (reply.end == LoopbackReply::End::Stall) {
      // Until the client closes (readable with nothing to read) or the server stops.
      auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitLimitMs);
      char byte;
      while (!Stopping() && std::chrono::steady_clock::now() < deadline) {
        if (Readable(client, 50) && recv(client, &byte, 1, 0) <= 0) break;
      }
    }
    if (reply.end == LoopbackReply::End::Hold) Pause(WaitLimitMs);
    if (reply.end == LoopbackReply::End::Reset) {
      // A close that lingers for no time at all sends a reset.
      ::linger abort{1, 0};
      setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                 sizeof abort);
      return;
    }
    shutdown(client, SD_SEND);
  }

  void Run() {
    while (!Stopping()) {
      if (!Readable(listener.get(), 50)) continue;
      Socket client(accept(listener.get(), nullptr, nullptr));
      if (client.get() == INVALID_SOCKET) continue;
      std::size_t index;
      {
        std::lock_guard<std::mutex> lock(mutex);
        index = static_cast<std::size_t>(connections++);
      }
      if (script.empty()) continue;
      Serve(client.get(), script[std::min(index, script.size() - 1)]);
    }
  }
};

LoopbackServer::LoopbackServer(std::vector<LoopbackReply> script)
    : state_(std::make_unique<State>()) {
  state_->script = std::move(script);
  state_->listener = Listen(SOMAXCONN, state_->port);
  state_->thread = std::thread([state = state_.get()] { state->Run(); });
}

LoopbackServer::~LoopbackServer() {
  state_->stopping = true;
  state_->thread.join();
}

unsigned short LoopbackServer::Port() const {
  return state_->port;
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(Port()) + path;
}

std::vector<std::string> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->requests;
}

int LoopbackServer::Connections() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->connections;
}

unsigned short UnusedLoopbackPort() {
  WinsockUser winsock;
  unsigned short port = 0;
  Listen(1, port);  // closed again at once: nothing listens there any more
  return port;
}

StalledListener::StalledListener() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  Socket listener = Listen(0, port_);
  // Fill the queue with connections nobody accepts; later ones get no answer.
  sockaddr_in address = Loopback(port_);
  for (int i = 0; i < 4; ++i) {
    SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    u_long nonBlocking = 1;
    ioctlsocket(filler, FIONBIO, &nonBlocking);
    connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    sockets_.push_back(filler);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  sockets_.push_back(listener.Release());
}

StalledListener::~StalledListener() {
  for (unsigned long long handle : sockets_) closesocket(static_cast<SOCKET>(handle));
  WSACleanup();
}

}  // namespace velloran::test
