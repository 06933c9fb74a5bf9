#pragma once
// The HTTP/1.0 client: one blocking operation per request kind, each opening
// a connection per pass, sending the request, reading the status and header
// lines into Header and the body into Body until the server closes, and
// telling the outcome through OnSuccess or OnFailure. Redirects with a new
// address are followed; the name=value pair of a cookie that comes with a
// redirect is kept in HeaderInfo, with the host and port that set it, and
// sent with every later request to that server and to no other.
//
// A reply can't steer a request: every pass's address is checked before it
// connects, and one holding a control character (a CR in a Location, say)
// ends the request with ControlCharacterText (HttpUrl.h); so does such a text
// for any other request line (HttpRequest.h), and a redirect's cookie whose
// pair holds one (CookiePair, HttpResponse.h).
//
// Threading and re-entrancy: as TPowersock (Psock.h). Every request operation
// handles the thread's messages while it waits, so the owner's handlers run
// inside it; Abort is the one operation meant for use from there. The owner
// keeps the user from starting a second request on the same component
// meanwhile.
//
// Bounds: one request makes at most MaxPasses passes (redirects and repeated
// 299/303-399 answers), then raises TooManyPassesText; a body kept in Body
// ends with an error past CaptureLimit (256 MiB); through a proxy, which
// may keep the connection open, a body with a Content-Length ends once that
// many bytes arrived.

#include <cstdint>
#include <string>

#include "net/HttpRequest.h"
#include "net/NMExtstr.h"
#include "net/Psock.h"

namespace velloran {

class TNMHTTP : public TPowersock {
 public:
  static constexpr int MaxPasses = 20;
  static constexpr const char* TooManyPassesText = "Too many redirects";

  explicit TNMHTTP(TComponent* owner);
  ~TNMHTTP() override;

  // One request with its redirects.
  virtual void ExecuteRequest();
  // URL into RequestPath, Host and Port.
  virtual void ParseURL();
  virtual void BuildRequestHeader();
  virtual void ReadResponseHeader();
  virtual void SendRequestText();

  virtual void Options(const std::string& url);
  virtual void Get(const std::string& url);
  virtual void Post(const std::string& url, const std::string& data);
  virtual void Put(const std::string& url, const std::string& data);
  virtual void Head(const std::string& url);
  virtual void Patch(const std::string& url, const std::string& data);
  virtual void Delete(const std::string& url);
  virtual void Trace(const std::string& url, const std::string& data);
  virtual void Copy(const std::string& url, const std::string& destination);
  virtual void Move(const std::string& url, const std::string& destination);
  // Sends "Link: " and the target, announces "Content-Length: 0" and no body.
  virtual void Link(const std::string& url, const std::string& target);
  virtual void Unlink(const std::string& url, const std::string& target);
  // Data is the whole request, sent as it is to the host and port of URL.
  virtual void RawCommand(const std::string& url, const std::string& data);

  // Ends a running request: waits stop and transfers raise; no status text.
  void Abort() override;

  // Before a request: the file name used with InputFileMode. After one
  // without it: the response body, byte for byte.
  const std::string& Body() const { return body_; }
  void SetBody(const std::string& value) { body_ = value; }
  // Before a request: the file name used with OutputFileMode. After one
  // without it: the status and header lines with their line ends.
  const std::string& Header() const { return header_; }
  void SetHeader(const std::string& value) { header_ = value; }
  THeaderInfo& HeaderInfo() { return headerInfo_; }
  bool InputFileMode() const { return inputFileMode_; }
  void SetInputFileMode(bool value) { inputFileMode_ = value; }
  bool OutputFileMode() const { return outputFileMode_; }
  void SetOutputFileMode(bool value) { outputFileMode_ = value; }
  bool EncodePostData() const { return encodePostData_; }
  void SetEncodePostData(bool value) { encodePostData_ = value; }

  const std::string& RequestPath() const { return requestPath_; }
  const TExStringList& SendHeader() const { return sendHeader_; }
  const std::string& Location() const { return location_; }
  // The last reply's Set-Cookie value as it came, attributes and all
  // (HeaderInfo().Cookie holds the pair that is sent back).
  const std::string& CookieIn() const { return cookieIn_; }
  // Of the last reply: whether it gave a Content-Length (BytesTotal holds it
  // then, and a body shorter than that was cut short), and whether its header
  // ended with its empty line rather than with the server's close.
  bool ContentLengthGiven() const { return contentLengthGiven_; }
  bool HeaderComplete() const { return headerComplete_; }
  const std::string& SendData() const { return sendData_; }
  const std::string& DestURL() const { return destURL_; }
  const std::string& URL() const { return url_; }
  CmdType CurrentCmd() const { return currentCmd_; }

  TResultEvent OnSuccess;
  TResultEvent OnFailure;
  TNotifyEvent OnAboutToSend;
  THandlerEvent OnRedirect;
  TNotifyEvent OnAuthenticationNeeded;

 private:
  void Request(CmdType cmd, const std::string& url);
  void Request(CmdType cmd, const std::string& url, const std::string& data);
  // Connect, send, read the reply; returns the reply number.
  int Pass();
  void ReadBody();
  // A redirect's cookie into HeaderInfo, with this pass's server as its origin.
  void TakeCookie();

  std::string body_ = "Default.htm";
  std::string header_ = "Head.txt";
  std::string requestPath_;
  TExStringList sendHeader_;
  std::string location_;
  THeaderInfo headerInfo_;
  std::string cookieIn_;
  bool contentLengthGiven_ = false;
  bool headerComplete_ = false;
  bool inputFileMode_ = false;
  bool outputFileMode_ = false;
  bool encodePostData_ = true;
  std::string sendData_;
  std::string destURL_;
  std::string url_;
  CmdType currentCmd_ = CmdGET;
};

}  // namespace velloran
