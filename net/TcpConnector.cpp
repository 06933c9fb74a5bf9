#include "net/TcpConnector.h"

#include <algorithm>

namespace velloran {
namespace {

constexpr UINT_PTR WakeTimer = 1;

// What the system says of a socket whose connect was under way: connected
// (writable), failed (its error set), or nothing yet.
enum class ConnectState { Connected, Failed, Pending };

ConnectState StateOf(SOCKET socket) {
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(socket, &writable);
  FD_SET(socket, &failed);
  timeval now{0, 0};
  if (select(0, nullptr, &writable, &failed, &now) == SOCKET_ERROR) return ConnectState::Failed;
  if (FD_ISSET(socket, &failed)) return ConnectState::Failed;
  if (FD_ISSET(socket, &writable)) return ConnectState::Connected;
  return ConnectState::Pending;
}

}  // namespace

TTcpConnector::TTcpConnector(TApplication* application)
    : window_(application, [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return Message(message, wParam, lParam);
      }) {}

TTcpConnector::~TTcpConnector() {
  KillTimer(window_.Handle(), WakeTimer);
  // The sockets close here, before the window and the socket library go.
  attempts_.clear();
}

bool TTcpConnector::Begin(int attempt, const ConnectTarget& target) {
  UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!socket) return false;
  // Also makes the socket non-blocking.
  if (WSAAsyncSelect(socket.get(), window_.Handle(), ConnectNotice, FD_CONNECT) == SOCKET_ERROR)
    return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(target.port);
  address.sin_addr.s_addr = htonl(target.address);
  bool failedAtOnce = false;
  if (connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
      SOCKET_ERROR) {
    // Would-block is the normal answer; anything else (no route, an address
    // that can't be a destination) is the attempt's end, told like the others.
    failedAtOnce = WSAGetLastError() != WSAEWOULDBLOCK;
  }
  // A connect that ends at once sends no notice on every system: post one,
  // which also keeps the report out of this call.
  if (failedAtOnce || StateOf(socket.get()) != ConnectState::Pending)
    PostMessageA(window_.Handle(), ConnectNotice, static_cast<WPARAM>(socket.get()),
                 WSAMAKESELECTREPLY(FD_CONNECT, 0));
  attempts_.push_back({attempt, std::move(socket), failedAtOnce});
  return true;
}

void TTcpConnector::End(int attempt) {
  auto found = std::find_if(attempts_.begin(), attempts_.end(),
                            [attempt](const Attempt& a) { return a.number == attempt; });
  if (found != attempts_.end()) attempts_.erase(found);
}

void TTcpConnector::WakeAfter(std::chrono::milliseconds delay) {
  const auto ms = std::clamp<long long>(delay.count(), USER_TIMER_MINIMUM, 0x7FFFFFFF);
  SetTimer(window_.Handle(), WakeTimer, static_cast<UINT>(ms), nullptr);
}

std::vector<TTcpConnector::Attempt>::iterator TTcpConnector::Find(SOCKET socket) {
  return std::find_if(attempts_.begin(), attempts_.end(),
                      [socket](const Attempt& a) { return a.socket.get() == socket; });
}

std::optional<LRESULT> TTcpConnector::Message(UINT message, WPARAM wParam, LPARAM) {
  if (message == ConnectNotice) {
    Notice(static_cast<SOCKET>(wParam));
    return 0;
  }
  if (message == WM_TIMER && wParam == WakeTimer) {
    KillTimer(window_.Handle(), WakeTimer);
    if (OnWake) OnWake();
    return 0;
  }
  return std::nullopt;
}

void TTcpConnector::Notice(SOCKET socket) {
  auto found = Find(socket);
  // A notice for a socket already closed is a normal timing condition.
  if (found == attempts_.end()) return;
  // The notice's own error code is not trusted alone: a closed socket's
  // handle is soon given to a new one, and a notice still queued for the old
  // one would then speak for an attempt that is still under way. The
  // socket's state tells.
  bool connected = false;
  if (!found->failedAtOnce) {
    const ConnectState state = StateOf(socket);
    if (state == ConnectState::Pending) return;
    connected = state == ConnectState::Connected;
  }
  const int number = found->number;
  // Closed before the report, so that a handler that starts the next attempt
  // finds the socket free.
  attempts_.erase(found);
  if (OnEnded) OnEnded(number, connected);
}

}  // namespace velloran
