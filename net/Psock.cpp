#include "net/Psock.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "framework/Application.h"
#include "framework/FileAccess.h"
#include "net/LineSplitter.h"

namespace velloran {
namespace {

constexpr const char* SocketWindowClass = "PsockWindowClass";
constexpr const char* TimerWindowClass = "TmrWindowClass";
constexpr UINT_PTR TimerId = 1;
// How long the end of the data waits for the close notice that tells an
// orderly close from a reset. It is on its way by then: the system posts it
// when the connection ends (Wine once the data is read), so this bound only
// guards against one that never comes.
constexpr DWORD CloseNoticeWaitMs = 2000;

// How many live users the socket library has; it is started with the first
// and stopped with the last.
int& LibraryUsers() {
  static int users = 0;
  return users;
}

struct ErrorText {
  int number;
  const char* text;
};

constexpr ErrorText ErrorTexts[] = {
    {10004, "Interrupted system call"},
    {10009, "Bad file number"},
    {10013, "Permission denied"},
    {10014, "Bad address"},
    {10022, "Invalid argument"},
    {10024, "Too many open files"},
    {10035, "Operation would block"},
    {10036, "Operation now in progress"},
    {10037, "Operation already in progress"},
    {10038, "Socket operation on non-socket"},
    {10039, "Destination address required"},
    {10040, "Message too long"},
    {10041, "Wrong protocol type for socket"},
    {10042, "Bad protocol option"},
    {10043, "Protocol not supported"},
    {10044, "Socket type not supported"},
    {10045, "Operation not supported on socket"},
    {10046, "Protocol family not supported"},
    {10047, "Address family not supported by protocol family"},
    {10048, "Address already in use"},
    {10049, "Can't assign requested address"},
    {10050, "Network is down"},
    {10051, "Network is unreachable"},
    {10052, "Network dropped connection or reset"},
    {10053, "Software caused connection abort"},
    {10054, "Connection reset by peer"},
    {10055, "No buffer space available"},
    {10056, "Socket is already connected"},
    {10057, "Socket is not connected"},
    {10058, "Can't send after socket shutdown"},
    {10059, "Too many references, can't splice"},
    {10060, "Connection timed out"},
    {10061, "Connection refused"},
    {10062, "Too many levels of symbolic links"},
    {10063, "File name too long"},
    {10064, "Host is down"},
    {10065, "No route to Host"},
    {10066, "Directory not empty"},
    {10067, "Too many processes"},
    {10068, "Too many users"},
    {10069, "Disc quota exceeded"},
    {10070, "Stale NFS file handle"},
    {10071, "Too many levels of remote in path"},
    {10091, "Network subsystem is unavailable"},
    {10092, "Incompatible version of WINSOCK.DLL"},
    {10093, "Successful WSAStartup not yet performed"},
    {11001, "Host not found"},
    {11002, "Non-Authoritative Host not found"},
    {11003, "Non-Recoverable error: FORMERR, REFUSED, NOTIMP"},
    {11004, "Valid name, no data record of requested type"},
};

[[noreturn]] void RangeError() {
  throw ERangeError("Range check error");
}

std::string VersionText(WORD version) {
  return std::to_string(LOBYTE(version)) + "." + std::to_string(HIBYTE(version));
}

// A hidden top-level tool window of ClassName whose extra bytes point at Owner.
// No window (a null handle) when the class can't be registered.
UniqueWindow AllocateHiddenWindow(const char* className, WNDPROC procedure, void* owner) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(instance, className, &windowClass)) {
    windowClass = WNDCLASSA{};
    windowClass.lpfnWndProc = procedure;
    // Room for a pointer: four bytes only hold one in the 32-bit build.
    windowClass.cbWndExtra = sizeof(LONG_PTR);
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass)) return UniqueWindow();
  }
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, className, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, instance, nullptr);
  if (window) SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(owner));
  return UniqueWindow(window);
}

// Stops dispatch to the owner before the window goes.
void FreeHiddenWindow(UniqueWindow& window) {
  if (window) SetWindowLongPtrA(window.get(), 0, 0);
  window.reset();
}

}  // namespace

// ---------------------------------------------------------------- TThreadTimer

TThreadTimer::TThreadTimer(TComponent* owner) : TComponent(owner) {
  window_ = AllocateHiddenWindow(TimerWindowClass, &TimerWindowProc, this);
}

TThreadTimer::~TThreadTimer() {
  enabled_ = false;
  UpdateTimer();
  FreeHiddenWindow(window_);
}

void TThreadTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TThreadTimer::SetInterval(unsigned value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TThreadTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TThreadTimer::UpdateTimer() {
  if (window_) KillTimer(window_.get(), TimerId);
  if (interval_ != 0 && enabled_ && onTimer_) {
    if (!window_ || !SetTimer(window_.get(), TimerId, interval_, nullptr))
      throw Exception("No Timer");
  }
}

void TThreadTimer::Timer() {
  if (onTimer_) onTimer_(this);
}

LRESULT CALLBACK TThreadTimer::TimerWindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  auto* self = reinterpret_cast<TThreadTimer*>(GetWindowLongPtrA(window, 0));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_ACTIVATEAPP) return 0;
  if (message == WM_TIMER) {
    GuardHandler(self->Application(), [self] { self->Timer(); });
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// ------------------------------------------------------------------ TPowersock

TPowersock::TPowersock(TComponent* owner)
    : TComponent(owner), lineBuffer_(LineBufferSize), hostEntBuffer_(HostEntBufferSize) {
  StatusMessage(8, "Create");
  window_ = AllocateHiddenWindow(SocketWindowClass, &SocketWindowProc, this);
  timeoutTimer_ = std::make_unique<TThreadTimer>(this);
  timeoutTimer_->SetEnabled(false);
  timeoutTimer_->SetOnTimer([this](TComponent*) { TimerTriggered(); });
  InitWinsock();
}

TPowersock::~TPowersock() {
  destroying_ = true;
  StatusMessage(8, "Destroy");
  Abort();
  Cancel();
  if (lookupTask_) WSACancelAsyncRequest(std::exchange(lookupTask_, nullptr));
  timeoutTimer_.reset();
  FreeHiddenWindow(window_);
  beingDestroyed_ = true;
  // The close of RequestCloseSocket, without its events and its fresh socket.
  StatusMessage(4, "Request Close Socket");
  connected_ = false;
  socket_.reset();
  ReleaseWinsock();
}

bool AcquireWinsock(WSADATA& data) {
  if (++LibraryUsers() != 1) return false;
  WSAStartup(MAKEWORD(1, 1), &data);
  return true;
}

void ReleaseWinsock() {
  if (--LibraryUsers() == 0) WSACleanup();
}

TWinsockUse::TWinsockUse() {
  WSADATA data{};
  AcquireWinsock(data);
}

TWinsockUse::~TWinsockUse() {
  ReleaseWinsock();
}

void TPowersock::InitWinsock() {
  StatusMessage(8, "Initializing Winsock");
  if (AcquireWinsock(wsaData_)) {
    wsaInfo_.Add("Version= " + VersionText(wsaData_.wVersion));
    wsaInfo_.Add("High Version= " + VersionText(wsaData_.wHighVersion));
    wsaInfo_.Add(std::string("Description= ") + wsaData_.szDescription);
    wsaInfo_.Add(std::string("System= ") + wsaData_.szSystemStatus);
    wsaInfo_.Add("Max Sockets= " + std::to_string(wsaData_.iMaxSockets));
    wsaInfo_.Add("Max Udp pack size= " + std::to_string(wsaData_.iMaxUdpDg));
  }
  try {
    OpenSocket();
  } catch (const Exception&) {
    ReleaseWinsock();
    throw ESockError("Initializaton of windows sockets failed");
  }
}

void TPowersock::OpenSocket() {
  socket_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!socket_) {
    SocketError(WSAEWOULDBLOCK);
    throw ESockError(GetErrorMessage(lastErrorNo_));
  }
  // Every socket closes the same way: an orderly close that the system
  // finishes in the background, so closing never waits, and a server sees
  // the end of a request as an end, not as a reset. (Unread data still makes
  // the system reset the connection, as an abandoned download should.)
  ::linger setting{0, 0};
  setsockopt(socket_.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&setting),
             sizeof setting);
  if (WSAAsyncSelect(socket_.get(), window_.get(), SocketNotice, NoticeEvents) == SOCKET_ERROR) {
    SocketError(WSAEWOULDBLOCK);
    throw ESockError(GetErrorMessage(lastErrorNo_));
  }
}

// --------------------------------------------------------- notices and waiting

LRESULT CALLBACK TPowersock::SocketWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* self = reinterpret_cast<TPowersock*>(GetWindowLongPtrA(window, 0));
  if (!self || (message != SocketNotice && message != LookupNotice))
    return DefWindowProcA(window, message, wParam, lParam);
  try {
    self->SocketMessage(message, wParam, lParam);
  } catch (...) {
    // Dropped by design (see the header): a notice has no caller to tell,
    // and the waiting operation meets the same trouble on its next call.
    // Whatever it was, it must not unwind through the system's frames.
  }
  return 0;
}

void TPowersock::SocketMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == LookupNotice) {
    // The answer to a lookup given up on belongs to no one.
    if (!lookupTask_ || reinterpret_cast<HANDLE>(wParam) != lookupTask_) return;
    lookupTask_ = nullptr;
    succeeded_ = WSAGETASYNCERROR(lParam) == 0;
    waitDone_ = true;
    return;
  }
  // A notice for a socket closed meanwhile is a normal race, not news.
  if (!socket_ || static_cast<SOCKET>(wParam) != socket_.get()) return;
  succeeded_ = WSAGETSELECTERROR(lParam) == 0;
  switch (WSAGETSELECTEVENT(lParam)) {
    case FD_READ:
      if (OnDataReady) {
        try {
          OnDataReady(this);
        } catch (const std::exception&) {
          // Readers find the data themselves; this hook only informs.
        }
      }
      break;
    case FD_ACCEPT:
      connected_ = true;
      if (OnAcceptReady) OnAcceptReady(this);
      break;
    case FD_CONNECT:
      if (succeeded_) {
        connected_ = true;
        if (OnConnect) OnConnect(this);
      }
      break;
    case FD_CLOSE:
      // A reset or an abort is no end of the data, whenever the reader gets
      // to the end: the error is kept for it.
      if (!closeSeen_) closeError_ = WSAGETSELECTERROR(lParam);
      closeSeen_ = true;
      // While unread data remains the reader meets the end itself.
      if (!DataAvailable()) RequestCloseSocket();
      break;
    default:
      break;
  }
}

void TPowersock::HandleMessages() {
  bool quit = false;
  if (TApplication* application = Application()) {
    application->ProcessMessages();
    quit = application->Terminated();
  } else {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        quit = true;
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  // The program is ending: stop waiting, so that the loops up the stack can end too.
  if (quit && !canceled_) Abort();
}

void TPowersock::WaitForNotice() {
  MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  HandleMessages();
}

void TPowersock::DropSocketNotices() {
  if (!window_) return;
  MSG message;
  // Bounded: nothing posts for a closed socket, so only what was queued remains.
  for (int i = 0; i < 4096; ++i) {
    if (!PeekMessageA(&message, window_.get(), SocketNotice, SocketNotice, PM_REMOVE)) break;
  }
}

// ---------------------------------------------------------- status and errors

void TPowersock::StatusMessage(int level, const std::string& text) {
  if (level > reportLevel_) return;
  status_ = text;
  if (destroying_ || !OnStatus) return;
  try {
    OnStatus(this, status_);
  } catch (const std::exception&) {
    // Status texts only inform; a failing display must not break a transfer.
  }
}

std::string TPowersock::GetErrorMessage(int errorNumber) {
  StatusMessage(8, "Looking Up Error Message");
  if (errorNumber == 0) return "";
  for (const ErrorText& entry : ErrorTexts) {
    if (entry.number == errorNumber) return std::to_string(errorNumber) + ":" + entry.text;
  }
  return "Unknown Error No. " + std::to_string(errorNumber);
}

void TPowersock::SocketError(int tolerated) {
  lastErrorNo_ = WSAGetLastError();
  if (lastErrorNo_ == tolerated || lastErrorNo_ <= 10000) return;
  std::string text = GetErrorMessage(lastErrorNo_);
  if (OnSocketError) OnSocketError(this, lastErrorNo_, text);
  if (lastErrorNo_ == WSAENETRESET || lastErrorNo_ == WSAECONNABORTED ||
      lastErrorNo_ == WSAECONNRESET)
    throw EConnectionBroken(text);
  throw ESockError(text);
}

// ---------------------------------------------------------------------- timer

void TPowersock::TimerOn() {
  StatusMessage(8, "Timer On");
  timedOut_ = false;
  if (timeOut_ < 0) RangeError();
  timeoutTimer_->SetInterval(static_cast<unsigned>(timeOut_));
  timeoutTimer_->SetEnabled(true);
  // The setters do nothing for unchanged values; the time-out counts silence,
  // so each call, after every received block too, starts its period anew.
  timeoutTimer_->Restart();
}

void TPowersock::TimerOff() {
  StatusMessage(8, "Timer Off");
  timeoutTimer_->SetEnabled(false);
}

void TPowersock::TimerTriggered() {
  StatusMessage(8, "Timer Triggered");
  TimerOff();
  timedOut_ = true;
  waitDone_ = true;
  Abort();
}

namespace {
// TimerOff on every way out of a wait; TimerOff itself never raises.
class TimerScope {
 public:
  explicit TimerScope(std::function<void()> off) : off_(std::move(off)) {}
  ~TimerScope() { off_(); }
  TimerScope(const TimerScope&) = delete;
  TimerScope& operator=(const TimerScope&) = delete;

 private:
  std::function<void()> off_;
};
}  // namespace

// ------------------------------------------------------------ resolve, connect

void TPowersock::ResolveHost() {
  StatusMessage(8, "Resolve Host");
  const std::string& name = proxy_.empty() ? host_ : proxy_;
  std::size_t length = std::min<std::size_t>(name.size(), BlockSize);
  std::memcpy(lineBuffer_.data(), name.data(), length);
  lineBuffer_[length] = '\0';
  unsigned long address = inet_addr(lineBuffer_.data());
  if (address != INADDR_NONE) {
    remoteAddress_.sin_addr.s_addr = address;
    return;
  }
  remoteAddress_.sin_addr.s_addr = 0;
  TimerOn();
  waitDone_ = false;
  lookupTask_ = WSAAsyncGetHostByName(window_.get(), LookupNotice, lineBuffer_.data(),
                                      hostEntBuffer_.data(), HostEntBufferSize);
  if (!lookupTask_) {
    // The lookup never started, so no notice will come.
    succeeded_ = false;
    waitDone_ = true;
  }
  while (!waitDone_ && !timedOut_ && !canceled_) WaitForNotice();
  TimerOff();
  if (lookupTask_) WSACancelAsyncRequest(std::exchange(lookupTask_, nullptr));
  if (timedOut_) throw ESockError("Host Lookup Timed Out");
  if (canceled_) throw ESockError("Host Lookup Canceled");
  if (!succeeded_) throw ESockError("Host Lookup Failed");
  const auto* entry = reinterpret_cast<const hostent*>(hostEntBuffer_.data());
  if (entry->h_addrtype == AF_INET && entry->h_length == 4 && entry->h_addr_list &&
      entry->h_addr_list[0])
    std::memcpy(&remoteAddress_.sin_addr, entry->h_addr_list[0], 4);
  if (OnHostResolved) OnHostResolved(this);
}

void TPowersock::Connect() {
  StatusMessage(8, "Connecting");
  canceled_ = false;
  closeError_ = 0;
  closeSeen_ = false;
  bytesRecvd_ = 0;
  if (connected_) throw ESockError("Already connected");
  for (int tries = 0;; ++tries) {
    try {
      ResolveHost();
    } catch (const ESockError& error) {
      // A failed lookup is handled below, by asking OnInvalidHost.
      if (error.Message() == "Host Lookup Timed Out" || error.Message() == "Host Lookup Canceled")
        throw;
    }
    if (remoteAddress_.sin_addr.s_addr != 0) break;
    bool handled = false;
    if (tries == 0 && OnInvalidHost) OnInvalidHost(handled);
    if (!handled) throw ESockError("Null Remote Address");
  }
  remoteAddress_.sin_family = AF_INET;
  remoteAddress_.sin_port = htons(static_cast<u_short>(proxy_.empty() ? port_ : proxyPort_));
  std::memset(remoteAddress_.sin_zero, 0, sizeof remoteAddress_.sin_zero);
  waitDone_ = false;
  succeeded_ = true;
  if (connect(socket_.get(), reinterpret_cast<const sockaddr*>(&remoteAddress_),
              sizeof remoteAddress_) == SOCKET_ERROR)
    SocketError(WSAEWOULDBLOCK);
  TimerOn();
  while (!connected_ && !timedOut_ && !canceled_ && succeeded_) WaitForNotice();
  TimerOff();
  if (!timedOut_ && !canceled_ && succeeded_) return;
  if (OnConnectionFailed) OnConnectionFailed(this);
  if (timedOut_) throw ESockError("Connection Timed out");
  if (canceled_) throw ESockError("Connection Canceled");
  throw ESockError("Connection Failed");
}

void TPowersock::Disconnect() {
  StatusMessage(8, "Disconnecting");
  RequestCloseSocket();
}

void TPowersock::RequestCloseSocket() {
  StatusMessage(4, "Request Close Socket");
  connected_ = false;
  if (!socket_) return;
  SOCKET closing = socket_.release();
  WSAAsyncSelect(closing, window_.get(), 0, 0);
  int result = closesocket(closing);
  DropSocketNotices();
  if (result == SOCKET_ERROR) SocketError(WSAEWOULDBLOCK);
  if (!destroying_ && OnDisconnect) OnDisconnect(this);
  if (!beingDestroyed_) OpenSocket();
}

void TPowersock::Cancel() {
  StatusMessage(8, "Canceling");
  canceled_ = true;
}

void TPowersock::Abort() {
  StatusMessage(8, "Abort");
  Cancel();
}

UniqueSocket TPowersock::Accept() {
  StatusMessage(4, "Accepting");
  while (!waitDone_ && !canceled_) WaitForNotice();
  if (canceled_) throw ESockError("Accepting Canceled");
  if (!succeeded_) throw ESockError("Error creating Data Connection");
  sockaddr_in peer{};
  int length = sizeof peer;
  UniqueSocket accepted(accept(socket_.get(), reinterpret_cast<sockaddr*>(&peer), &length));
  if (!accepted) {
    SocketError(WSAEWOULDBLOCK);
    throw ESockError("Error creating Data Connection");
  }
  if (WSAAsyncSelect(accepted.get(), window_.get(), SocketNotice, NoticeEvents) == SOCKET_ERROR)
    SocketError(WSAEWOULDBLOCK);
  remoteAddress_ = peer;
  return accepted;
}

// ---------------------------------------------------------------------- send

int TPowersock::SendBlock(const char* data, int length, bool countAndReport) {
  int left = length;
  while (left > 0 && !canceled_) {
    int sent = send(socket_.get(), data + (length - left), left, 0);
    if (sent == 0) break;
    if (sent == SOCKET_ERROR) {
      SocketError(WSAEWOULDBLOCK);
      // No room yet: the write notice (or a time-out, or Abort) wakes us.
      if (lastErrorNo_ == WSAEWOULDBLOCK) WaitForNotice();
      continue;
    }
    left -= sent;
    if (countAndReport) {
      bytesSent_ += sent;
      if (OnPacketSent) OnPacketSent(this);
      HandleMessages();
    }
  }
  return length - left;
}

void TPowersock::SendBuffer(const char* data, int length) {
  StatusMessage(4, "Sending Buffer");
  TimerOn();
  TimerScope timer([this] { TimerOff(); });
  if (!canceled_) {
    if (length < 0 || length > 65535) RangeError();
    if (length == 0) {
      const void* end = std::memchr(data, '\0', 65536);
      if (!end) RangeError();
      length = static_cast<int>(static_cast<const char*>(end) - data);
    }
    SendBlock(data, length, false);
  }
  EndIfCanceled("Socket send aborted");
}

void TPowersock::Write(const std::string& text) {
  StatusMessage(8, "Write");
  std::size_t length = std::min<std::size_t>(text.size(), BlockSize);
  std::memcpy(lineBuffer_.data(), text.data(), length);
  lineBuffer_[length] = '\0';
  SendBuffer(lineBuffer_.data(), 0);
}

void TPowersock::Writeln(const std::string& text) {
  StatusMessage(8, "Writeln");
  Write(text + "\r\n");
}

void TPowersock::SendFile(const std::string& fileName) {
  StatusMessage(8, "SendFile");
  InputFile file(fileName);
  std::uint64_t size = file.Size();
  std::uint64_t position = 0;
  do {
    if (!canceled_) {
      std::size_t read = file.Read(lineBuffer_.data(), BlockSize);
      if (read == 0) break;  // the file shrank meanwhile
      position += read;
      SendBlock(lineBuffer_.data(), static_cast<int>(read), true);
    }
  } while (position < size && !canceled_);
  EndIfCanceled("Socket send aborted");
}

// ------------------------------------------------------------------- receive

int TPowersock::Receive(int offset, int size, int flags) {
  int received = recv(socket_.get(), lineBuffer_.data() + offset, size, flags);
  if (received == SOCKET_ERROR) {
    lastErrorNo_ = WSAGetLastError();
    return -1;
  }
  return received;
}

void TPowersock::ReceiveExactly(int offset, int size) {
  while (size > 0) {
    int received = Receive(offset, size, 0);
    if (received <= 0) {
      if (received < 0) {
        WSASetLastError(lastErrorNo_);
        SocketError(WSAEWOULDBLOCK);
      }
      // The bytes were peeked a moment ago, so only a vanished socket gets here.
      throw ESockError(GetErrorMessage(received < 0 ? lastErrorNo_ : WSAENOTCONN));
    }
    offset += received;
    size -= received;
  }
}

void TPowersock::EndOfData() {
  AwaitCloseNotice();
  if (closeError_ == 0) return;
  WSASetLastError(closeError_);
  SocketError(WSAEWOULDBLOCK);
}

void TPowersock::AwaitCloseNotice() {
  if (closeSeen_ || !window_) return;
  const DWORD start = GetTickCount();
  while (!closeSeen_ && !canceled_) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= CloseNoticeWaitMs) break;
    MsgWaitForMultipleObjectsEx(0, nullptr, CloseNoticeWaitMs - elapsed, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    HandleMessages();
  }
}

bool TPowersock::ReceiveFailed() {
  // Not connected: the close notice was handled and the socket replaced.
  if (lastErrorNo_ == WSAENOTCONN) {
    EndOfData();
    return true;
  }
  WSASetLastError(lastErrorNo_);
  SocketError(WSAEWOULDBLOCK);
  // Nothing to read yet: sleep until the read or close notice (or a tick).
  WaitForNotice();
  return false;
}

void TPowersock::EndIfCanceled(const char* text) {
  if (!canceled_) return;
  canceled_ = false;
  throw EAbortError(text);
}

std::string TPowersock::ReadLn() {
  StatusMessage(8, "ReadLn");
  int consumed = 0;
  TimerOn();
  TimerScope timer([this] { TimerOff(); });
  std::string line;
  int lineFeed = -1;
  while (!canceled_) {
    // A line, its LF included, may fill a block; one byte more can't be a line.
    int room = BlockSize - consumed;
    if (room == 0) throw ESockError(LineTooLongText());
    int peeked = Receive(consumed, room, MSG_PEEK);
    if (peeked == 0) {
      EndOfData();
      return "";
    }
    if (peeked > 0) {
      const char* start = lineBuffer_.data() + consumed;
      if (const void* found = std::memchr(start, '\n', peeked)) {
        lineFeed = static_cast<int>(static_cast<const char*>(found) - lineBuffer_.data());
        break;
      }
      ReceiveExactly(consumed, peeked);
      line.append(start, peeked);
      consumed += peeked;
    } else {
      if (ReceiveFailed()) return "";
      continue;
    }
    HandleMessages();
  }
  EndIfCanceled("Socket readln aborted");
  int rest = lineFeed + 1 - consumed;
  ReceiveExactly(consumed, rest);
  line.append(lineBuffer_.data() + consumed, rest);
  return line;
}

void TPowersock::CaptureBlocks(const std::function<void(const char*, int)>& store,
                               const std::function<bool()>& full) {
  TimerOn();
  TimerScope timer([this] { TimerOff(); });
  while (!canceled_ && !full()) {
    int received = Receive(0, BlockSize, 0);
    if (received == 0) {
      EndOfData();
      break;
    }
    if (received > 0) {
      store(lineBuffer_.data(), received);
      bytesRecvd_ += received;
      if (OnPacketRecvd) OnPacketRecvd(this);
      TimerOn();
    } else {
      if (ReceiveFailed()) break;
      continue;
    }
    HandleMessages();
  }
  EndIfCanceled("Socket capture aborted");
}

void TPowersock::CaptureString(std::string& text, std::int64_t maximum) {
  StatusMessage(8, "Capture String");
  text.clear();
  bytesRecvd_ = 0;
  CaptureBlocks(
      [this, &text](const char* data, int size) {
        if (static_cast<std::int64_t>(text.size()) + size > captureLimit_)
          throw ETextTooLong("Received text longer than " + std::to_string(captureLimit_) +
                             " bytes");
        text.append(data, size);
      },
      [&] { return maximum != -1 && static_cast<std::int64_t>(text.size()) >= maximum; });
}

void TPowersock::CaptureFile(const std::string& fileName) {
  CaptureFile(fileName, -1);
}

void TPowersock::CaptureFile(const std::string& fileName, std::int64_t maximum) {
  StatusMessage(8, "CaptureFile");
  bytesRecvd_ = 0;
  OutputFile file(fileName);
  try {
    CaptureBlocks([&file](const char* data, int size) { file.Write(data, size); },
                  [&] { return maximum != -1 && bytesRecvd_ >= maximum; });
  } catch (const EAbortError&) {
    // What arrived before the cancel stays in the file.
    file.Commit();
    throw;
  }
  file.Commit();
}

bool TPowersock::DataAvailable() {
  StatusMessage(8, "Data Available");
  char peeked;
  return recv(socket_.get(), &peeked, 1, MSG_PEEK) >= 1;
}

std::string TPowersock::Transaction(const std::string& command) {
  StatusMessage(8, "Transaction");
  replyNumber_ = 0;
  Writeln(command);
  transactionReply_ = ReadLn();
  if (!transactionReply_.empty()) {
    StatusMessage(1, transactionReply_);
    std::size_t digits = 0;
    while (digits < 10 && digits < transactionReply_.size() && transactionReply_[digits] >= '0' &&
           transactionReply_[digits] <= '9')
      ++digits;
    if (digits > 0) {
      long long value = std::stoll(transactionReply_.substr(0, digits));
      if (value > std::numeric_limits<int>::max()) RangeError();
      replyNumber_ = static_cast<int>(value);
    }
  }
  return transactionReply_;
}

}  // namespace velloran
