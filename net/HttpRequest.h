#pragma once
// The request side of the HTTP client: the kinds of request, the optional
// header values, and the request lines each kind sends.
//
// Threading: none; pure functions (BuildRequestHeader reads the size of a file).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "net/NMExtstr.h"

namespace velloran {

// The order is fixed: events pass these numbers.
enum CmdType : std::uint8_t {
  CmdGET,
  CmdOPTIONS,
  CmdHEAD,
  CmdPOST,
  CmdPUT,
  CmdPATCH,
  CmdCOPY,
  CmdMOVE,
  CmdDELETE,
  CmdLINK,
  CmdUNLINK,
  CmdTRACE,
  CmdRAW,
};

using TResultEvent = std::function<void(CmdType cmd)>;

// Values for optional request header lines; an empty value sends no line.
struct THeaderInfo {
  std::string LocalMailAddress;
  std::string LocalProgram;
  std::string Cookie;
  std::string Referer;
  std::string UserId;
  std::string Password;
  // "host:port" (OriginOf) of the server that set Cookie: the cookie goes
  // back there only, never to a server a redirect leads on to. Empty: a
  // cookie of the owner's own, sent to every server.
  std::string CookieOrigin;
};

// The client's fields that a request is built from.
struct RequestFields {
  CmdType Cmd = CmdGET;
  std::string URL;
  std::string RequestPath;
  std::string Host;
  std::string Proxy;
  std::string DestURL;
  // The body, or with OutputFileMode the name of the file that holds it.
  std::string SendData;
  bool OutputFileMode = false;
  // The server's port (with Host, what a cookie's origin is compared with).
  std::int32_t Port = 80;
};

// A server as a cookie's origin: Host, ":" and Port ("127.0.0.1:8080").
std::string OriginOf(std::string_view host, std::int32_t port);
// Whether HeaderInfo's cookie goes to the server of Host and Port: it has no
// origin, or that origin (host names compared without regard to case).
bool CookieGoesTo(const THeaderInfo& headerInfo, std::string_view host, std::int32_t port);

// "GET ", "POST ", ...; empty for CmdRAW.
std::string MethodToken(CmdType cmd);

// Whether the request carries SendData (or its file) as its body: POST, PUT,
// PATCH, TRACE and RAW. LINK and UNLINK send none and announce length 0.
bool SendsBody(CmdType cmd);

// Clears SendHeader and fills it with the request's lines, without line ends:
// the request line (through a proxy with the whole URL), the proxy's lines,
// Host, the two Accept lines, the HeaderInfo lines (Authorization as
// "Basic " and the Base64 of UserId:Password on one line, when both are set),
// the Content-type line, and the lines of the kind of request. The Cookie
// line only when CookieGoesTo the request's Host and Port. CmdRAW builds
// nothing: its SendData is the whole request as it goes out. With
// OutputFileMode the Content-Length is the size of the file named SendData
// (an error opening it passes on).
// A value that would go into a line holding a control character raises
// ControlCharacterText (Exception) and leaves SendHeader as it was: "address"
// (the request line's path or URL, Host), "destination address" (DestURL),
// "User-Agent", "From address", "cookie" and "Referer" (HeaderInfo).
void BuildRequestHeader(const RequestFields& request, const THeaderInfo& headerInfo,
                        TExStringList& sendHeader);

// The URL of the next pass after a redirect: a URL without "/" is a name
// beside the root of Host.
std::string CompleteRedirectURL(const std::string& url, const std::string& host);

}  // namespace velloran
