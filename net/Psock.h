#pragma once
// The client-side TCP socket component (Winsock 1.1) on which the HTTP client
// is built, and the small timer that gives its waits a time limit.
//
// Threading and re-entrancy:
// - A TPowersock and its TThreadTimer belong to the thread that created them
//   (the user-interface thread); no other thread may touch them. There are no
//   locks.
// - Socket notices and timer ticks are window messages to hidden windows of
//   that thread. Every blocking operation (Connect, ReadLn, CaptureString,
//   CaptureFile, SendFile, Accept, and a send that would block) handles this
//   thread's messages while it waits, so any event handler, timer tick or user
//   action of the program can run inside it. The waits sleep until a message
//   arrives and look at their flags after each one; they never spin.
// - From inside such a handler the only operation meant for this component is
//   Abort (or Cancel): it sets flags, and the blocked operation ends in its
//   next pass with its abort or cancel error. Starting a second operation on
//   the same component from inside a wait, or destroying it there, is not
//   guarded against: the owner keeps the user from doing it.
// - A WM_QUIT seen inside a wait is posted again and aborts the operation, so
//   that the loops up the stack can end too.
// - Exceptions from OnStatus, from OnDataReady and from everything that runs
//   inside the handling of a socket notice (OnConnect, and OnDisconnect fired
//   by the peer's close) are dropped there, so that none unwinds through the
//   window system; exceptions from every other event pass to the caller of the
//   operation that fired it.

#include <winsock.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/StringList.h"

namespace velloran {

class TApplication;

using TNotifyEvent = std::function<void(TComponent* sender)>;
using THandlerEvent = std::function<void(bool& handled)>;
using TOnHostResolved = std::function<void(TComponent* sender)>;
using TOnStatus = std::function<void(TComponent* sender, const std::string& status)>;
using TSocketErrorHook =
    std::function<void(TComponent* sender, int errorNumber, const std::string& text)>;

// A connection broken off by the peer or the network (a reset, an abort):
// whatever arrived before it need not be all there was.
class EConnectionBroken : public ESockError {
 public:
  using ESockError::ESockError;
};

// A text that CaptureString would grow past its limit.
class ETextTooLong : public ESockError {
 public:
  using ESockError::ESockError;
};

// Fires OnTimer every Interval milliseconds while Enabled, from a hidden
// window of its own; an error escaping OnTimer goes to the application's box.
class TThreadTimer : public TComponent {
 public:
  explicit TThreadTimer(TComponent* owner);
  ~TThreadTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned value);
  // Every assignment re-arms: functions can't be compared for a change.
  void SetOnTimer(TNotifyEvent handler);
  // Starts the period anew, as if the timer had just been enabled.
  void Restart() { UpdateTimer(); }

  HWND WindowHandle() const { return window_.get(); }

 protected:
  virtual void Timer();

 private:
  static LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateTimer();

  unsigned interval_ = 1000;
  UniqueWindow window_;
  TNotifyEvent onTimer_;
  bool enabled_ = true;
};

// The process's users of the socket library share one start-up: the first
// to come starts it (and gets its facts in Data: true), the last to go stops it.
bool AcquireWinsock(WSADATA& data);
void ReleaseWinsock();

// One use of the socket library for as long as it lives.
class TWinsockUse {
 public:
  TWinsockUse();
  ~TWinsockUse();
  TWinsockUse(const TWinsockUse&) = delete;
  TWinsockUse& operator=(const TWinsockUse&) = delete;
};

struct SocketTraits {
  using Handle = SOCKET;
  static constexpr Handle Invalid() { return INVALID_SOCKET; }
  static void Close(Handle socket) { closesocket(socket); }
};
using UniqueSocket = UniqueHandle<SocketTraits>;

class TPowersock : public TComponent {
 public:
  // Window messages of the socket library's notices.
  static constexpr UINT SocketNotice = WM_USER + 101;
  static constexpr UINT LookupNotice = WM_USER + 102;
  // The events registered for every socket: read, out-of-band, accept,
  // connect, close, and write (so that a send that would block can wait).
  static constexpr long NoticeEvents =
      FD_READ | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE | FD_WRITE;
  static constexpr int LineBufferSize = 65537;
  static constexpr int BlockSize = 65536;
  static constexpr int HostEntBufferSize = 1024;
  // The most a text may receive: past it CaptureString ends with an error
  // instead of growing without bound.
  static constexpr std::int64_t DefaultCaptureLimit = std::int64_t{256} * 1024 * 1024;

  explicit TPowersock(TComponent* owner);
  ~TPowersock() override;

  // The socket of an incoming connection; the caller owns it.
  virtual UniqueSocket Accept();
  virtual void Connect();
  virtual void Disconnect();
  virtual std::string Transaction(const std::string& command);
  virtual void Abort();
  void Cancel();

  void Write(const std::string& text);
  void Writeln(const std::string& text);
  void SendBuffer(const char* data, int length);
  void SendFile(const std::string& fileName);
  std::string ReadLn();
  void CaptureString(std::string& text, std::int64_t maximum);
  void CaptureFile(const std::string& fileName);
  bool DataAvailable();

  // The most CaptureString takes into a text (DefaultCaptureLimit unless set).
  std::int64_t CaptureLimit() const { return captureLimit_; }
  void SetCaptureLimit(std::int64_t value) { captureLimit_ = value; }

  // The number, a colon and the text of a socket error; "" for 0.
  std::string GetErrorMessage(int errorNumber);

  const std::string& Host() const { return host_; }
  void SetHost(const std::string& value) { host_ = value; }
  int Port() const { return port_; }
  void SetPort(int value) { port_ = value; }
  int TimeOut() const { return timeOut_; }
  void SetTimeOut(int value) { timeOut_ = value; }
  int ReportLevel() const { return reportLevel_; }
  void SetReportLevel(int value) { reportLevel_ = value; }
  const std::string& Proxy() const { return proxy_; }
  void SetProxy(const std::string& value) { proxy_ = value; }
  int ProxyPort() const { return proxyPort_; }
  void SetProxyPort(int value) { proxyPort_ = value; }

  const std::string& Status() const { return status_; }
  const TStringList& WSAInfo() const { return wsaInfo_; }
  std::int64_t BytesSent() const { return bytesSent_; }
  std::int64_t BytesRecvd() const { return bytesRecvd_; }
  std::int32_t BytesTotal() const { return bytesTotal_; }
  int LastErrorNo() const { return lastErrorNo_; }
  int ReplyNumber() const { return replyNumber_; }
  const std::string& TransactionReply() const { return transactionReply_; }
  bool Connected() const { return connected_; }
  const sockaddr_in& RemoteAddress() const { return remoteAddress_; }
  SOCKET SocketHandle() const { return socket_.get(); }
  HWND WindowHandle() const { return window_.get(); }

  TNotifyEvent OnConnect;
  TNotifyEvent OnDisconnect;
  THandlerEvent OnInvalidHost;
  TOnHostResolved OnHostResolved;
  TOnStatus OnStatus;
  TNotifyEvent OnConnectionFailed;
  TNotifyEvent OnPacketRecvd;
  TNotifyEvent OnPacketSent;

 protected:
  // Hooks for derived components; no owner outside sets them.
  TNotifyEvent OnDataReady;
  TNotifyEvent OnAcceptReady;
  TSocketErrorHook OnSocketError;

  void StatusMessage(int level, const std::string& text);
  // Raises the error of the last socket call unless it is Tolerated or a
  // number of 10000 or below.
  void SocketError(int tolerated);
  // CaptureFile that also ends once Maximum bytes (-1: no limit) arrived.
  void CaptureFile(const std::string& fileName, std::int64_t maximum);
  void ResolveHost();
  void RequestCloseSocket();
  void TimerOn();
  void TimerOff();
  void TimerTriggered();

  // Handles what is pending for this thread, then returns.
  void HandleMessages();
  // Sleeps until a message for this thread arrives, then handles what is pending.
  void WaitForNotice();

  void SetBytesTotal(std::int32_t value) { bytesTotal_ = value; }
  void SetReplyNumber(int value) { replyNumber_ = value; }
  bool Canceled() const { return canceled_; }
  void SetWaitDone() { waitDone_ = true; }

 private:
  static LRESULT CALLBACK SocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void SocketMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void InitWinsock();
  void OpenSocket();
  // Sends one block, waiting for room while the socket would block; returns
  // what was sent, less than Length only when the peer took nothing.
  int SendBlock(const char* data, int length, bool countAndReport);
  // recv into LineBuffer at Offset; the count, or -1 with LastErrorNo set.
  int Receive(int offset, int size, int flags);
  void ReceiveExactly(int offset, int size);
  // At the end of the data: raises the error that the close notice carried
  // (a reset, an abort), if it carried one; an orderly close passes. A
  // reader can meet the end before the notice is handled (a reset's error
  // may then travel with the notice alone), so it is awaited first.
  void EndOfData();
  void AwaitCloseNotice();
  // After a failed recv: true at the end of data (the socket is gone);
  // otherwise raises a real error, or sleeps until the next notice.
  bool ReceiveFailed();
  // Clears a pending cancel and raises the abort error Text.
  void EndIfCanceled(const char* text);
  // Receives blocks until the peer closes or a cancel, handing each to Store.
  void CaptureBlocks(const std::function<void(const char*, int)>& store,
                     const std::function<bool()>& full);
  // Notices still queued for a socket that is gone.
  void DropSocketNotices();

  std::vector<char> lineBuffer_;
  TStringList wsaInfo_;
  std::int64_t bytesSent_ = 0;
  bool canceled_ = false;
  bool beingDestroyed_ = false;
  bool destroying_ = false;
  int lastErrorNo_ = 0;
  int timeOut_ = 0;
  int reportLevel_ = 0;
  std::string status_;
  std::string proxy_;
  int proxyPort_ = 0;
  std::unique_ptr<TThreadTimer> timeoutTimer_;
  bool succeeded_ = false;
  bool timedOut_ = false;
  int port_ = 0;
  std::int32_t bytesTotal_ = 0;
  std::int64_t bytesRecvd_ = 0;
  std::int64_t captureLimit_ = DefaultCaptureLimit;
  bool waitDone_ = false;
  WSADATA wsaData_{};
  sockaddr_in remoteAddress_{};
  std::string host_;
  std::vector<char> hostEntBuffer_;
  HANDLE lookupTask_ = nullptr;
  std::string transactionReply_;
  int replyNumber_ = 0;
  UniqueSocket socket_;
  UniqueWindow window_;
  bool connected_ = false;
  // The error of this connection's close notice, 0 for an orderly close.
  int closeError_ = 0;
  bool closeSeen_ = false;
};

}  // namespace velloran
