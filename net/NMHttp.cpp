#include "net/NMHttp.h"

#include "framework/FileAccess.h"
#include "framework/Streams.h"
#include "net/HttpResponse.h"
#include "net/HttpUrl.h"
#include "net/NMURL.h"

namespace velloran {
namespace {

// The connection's lines for the response reader.
class SocketLines : public LineSource {
 public:
  explicit SocketLines(TPowersock& socket) : socket_(socket) {}
  std::string ReadLn() override { return socket_.ReadLn(); }

 private:
  TPowersock& socket_;
};

}  // namespace

TNMHTTP::TNMHTTP(TComponent* owner) : TPowersock(owner) {}

TNMHTTP::~TNMHTTP() = default;

void TNMHTTP::Abort() {
  SetWaitDone();
  Cancel();
}

void TNMHTTP::Request(CmdType cmd, const std::string& url) {
  url_ = url;
  currentCmd_ = cmd;
  ExecuteRequest();
}

void TNMHTTP::Request(CmdType cmd, const std::string& url, const std::string& data) {
  sendData_ = data;
  Request(cmd, url);
}

void TNMHTTP::Options(const std::string& url) {
  Request(CmdOPTIONS, url);
}
void TNMHTTP::Get(const std::string& url) {
  Request(CmdGET, url);
}
void TNMHTTP::Head(const std::string& url) {
  Request(CmdHEAD, url);
}
void TNMHTTP::Delete(const std::string& url) {
  Request(CmdDELETE, url);
}
void TNMHTTP::Post(const std::string& url, const std::string& data) {
  if (encodePostData_ && !outputFileMode_) {
    TNMURL encoder(nullptr);
    encoder.SetInputString(data);
    Request(CmdPOST, url, encoder.Encode());
  } else {
    Request(CmdPOST, url, data);
  }
}
void TNMHTTP::Put(const std::string& url, const std::string& data) {
  Request(CmdPUT, url, data);
}
void TNMHTTP::Patch(const std::string& url, const std::string& data) {
  Request(CmdPATCH, url, data);
}
void TNMHTTP::Trace(const std::string& url, const std::string& data) {
  Request(CmdTRACE, url, data);
}
void TNMHTTP::RawCommand(const std::string& url, const std::string& data) {
  Request(CmdRAW, url, data);
}
void TNMHTTP::Copy(const std::string& url, const std::string& destination) {
  destURL_ = destination;
  Request(CmdCOPY, url);
}
void TNMHTTP::Move(const std::string& url, const std::string& destination) {
  destURL_ = destination;
  Request(CmdMOVE, url);
}
void TNMHTTP::Link(const std::string& url, const std::string& target) {
  destURL_ = target;
  Request(CmdLINK, url);
}
void TNMHTTP::Unlink(const std::string& url, const std::string& target) {
  destURL_ = target;
  Request(CmdUNLINK, url);
}

void TNMHTTP::ParseURL() {
  RequestTarget target{url_, requestPath_, Host(), Port()};
  ::velloran::ParseURL(target);
  url_ = target.URL;
  requestPath_ = target.RequestPath;
  SetHost(target.Host);
  SetPort(target.Port);
}

void TNMHTTP::BuildRequestHeader() {
  RequestFields fields{currentCmd_, url_,      requestPath_,    Host(), Proxy(),
                       destURL_,    sendData_, outputFileMode_, Port()};
  ::velloran::BuildRequestHeader(fields, headerInfo_, sendHeader_);
}

void TNMHTTP::SendRequestText() {
  // RawCommand's data is the whole request: it gets no header of ours.
  if (currentCmd_ != CmdRAW) {
    Write(sendHeader_.Text());
    Writeln("");
  }
  if (!SendsBody(currentCmd_)) return;
  if (outputFileMode_)
    SendFile(sendData_);
  else
    Write(sendData_);
}

void TNMHTTP::ReadResponseHeader() {
  SetBytesTotal(0);
  cookieIn_.clear();
  contentLengthGiven_ = false;
  headerComplete_ = false;
  ResponseHeaderFields fields;
  fields.Location = location_;
  SocketLines lines(*this);
  // What the lines read so far said stays visible when a later one fails.
  auto keep = [&] {
    SetReplyNumber(fields.ReplyNumber);
    SetBytesTotal(fields.BytesTotal);
    cookieIn_ = fields.CookieIn;
    location_ = fields.Location;
    contentLengthGiven_ = fields.HasContentLength;
    headerComplete_ = fields.Complete;
  };
  try {
    if (outputFileMode_) {
      OutputFile file(header_);
      ::velloran::ReadResponseHeader(lines, file, fields);
      file.Commit();
    } else {
      header_.clear();
      StringSink sink(header_);
      ::velloran::ReadResponseHeader(lines, sink, fields);
    }
  } catch (...) {
    keep();
    throw;
  }
  keep();
}

void TNMHTTP::ReadBody() {
  // A proxy asked for keep-alive may leave the connection open after the
  // body: there a Content-Length ends it. Directly, only the close does.
  std::int64_t maximum = -1;
  if (!Proxy().empty() && BytesTotal() > 0) maximum = BytesTotal();
  if (inputFileMode_)
    CaptureFile(body_, maximum);
  else
    CaptureString(body_, maximum);
}

int TNMHTTP::Pass() {
  try {
    Connect();
    SendRequestText();
    SetReplyNumber(0);
    ReadResponseHeader();
    ReadBody();
    int code = ReplyNumber();
    if (code < 299) {
      if (OnSuccess) OnSuccess(currentCmd_);
      StatusMessage(2, "Transaction Completed");
    } else if (code > 399) {
      if (OnFailure) OnFailure(currentCmd_);
    } else if (code >= 300 && code <= 302) {
      url_ = location_;
    }
  } catch (...) {
    // Rethrown below: the pass's own error is the one the caller needs, so a
    // second one from closing the socket is not allowed to replace it.
    try {
      Disconnect();
    } catch (const ESockError&) {
    }
    throw;
  }
  Disconnect();
  return ReplyNumber();
}

void TNMHTTP::TakeCookie() {
  if (cookieIn_.empty()) return;
  std::string pair = CookiePair(cookieIn_);
  if (pair.empty()) return;
  headerInfo_.Cookie = std::move(pair);
  headerInfo_.CookieOrigin = OriginOf(Host(), Port());
}

void TNMHTTP::ExecuteRequest() {
  for (int pass = 1;; ++pass) {
    // Before any connection: a redirect's Location is checked here, on the
    // pass that would send it.
    ParseURL();
    BuildRequestHeader();
    if (OnAboutToSend) OnAboutToSend(this);
    int code = Pass();
    if (code >= 300 && code <= 398) {
      bool handled = false;
      TakeCookie();
      if (OnRedirect) OnRedirect(handled);
      if (handled) return;
      // A bare name stays on the server of this pass, its port included.
      url_ =
          CompleteRedirectURL(url_, Port() == 80 ? Host() : Host() + ":" + std::to_string(Port()));
    }
    if (code == 401 && OnAuthenticationNeeded) OnAuthenticationNeeded(this);
    if (code < 299 || code > 399) return;
    if (pass == MaxPasses) throw ESockError(TooManyPassesText);
  }
}

}  // namespace velloran
