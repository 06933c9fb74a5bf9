#pragma once
// Connection attempts over Windows sockets: each attempt is a non-blocking
// socket whose connect notice (WSAAsyncSelect, FD_CONNECT) comes to a hidden
// window of this object, and the one wake-up is a window timer of that same
// window. Nothing polls: between notices the thread sleeps in its message loop.
// A connection that is made is closed at once; nothing is sent on it.
//
// Threading: create, use and destroy on one thread, the one whose messages
// carry the notices (the user-interface thread). OnEnded and OnWake run
// inside that thread's message handling and may call Begin, End and
// WakeAfter; an error escaping them goes to the application's error box.

#include <winsock.h>

#include <vector>

#include "framework/HiddenWindow.h"
#include "net/ConnectAttempts.h"
#include "net/Psock.h"

namespace velloran {

class TApplication;

class TTcpConnector final : public ConnectAttempts {
 public:
  static constexpr UINT ConnectNotice = WM_USER + 101;

  explicit TTcpConnector(TApplication* application = nullptr);
  ~TTcpConnector() override;
  TTcpConnector(const TTcpConnector&) = delete;
  TTcpConnector& operator=(const TTcpConnector&) = delete;

  bool Begin(int attempt, const ConnectTarget& target) override;
  void End(int attempt) override;
  void WakeAfter(std::chrono::milliseconds delay) override;
  Clock::time_point Now() override { return Clock::now(); }

  int UnderWay() const { return static_cast<int>(attempts_.size()); }

 private:
  struct Attempt {
    int number;
    UniqueSocket socket;
    // The connect call itself failed: the notice this object posted says so.
    bool failedAtOnce = false;
  };
  std::optional<LRESULT> Message(UINT message, WPARAM wParam, LPARAM lParam);
  void Notice(SOCKET socket);
  std::vector<Attempt>::iterator Find(SOCKET socket);

  TWinsockUse winsock_;
  // Few at a time (the check keeps 32 under way): a list is quickest.
  std::vector<Attempt> attempts_;
  THiddenWindow window_;
};

}  // namespace velloran
