#include "net/HttpRequest.h"

#include "framework/FileAccess.h"
#include "framework/StringList.h"
#include "net/HttpUrl.h"
#include "net/NMUUE.h"

namespace velloran {

namespace {

// Base64 of the user's "name:password" as one text. The encoder cuts it into
// lines of 60 characters (45 bytes, no filler); joined again they are the
// Base64 of the whole text, which a header value needs on one line.
std::string BasicCredentials(const THeaderInfo& info) {
  std::string lines = EncodeLines(info.UserId + ":" + info.Password, uuMime);
  std::string joined;
  joined.reserve(lines.size());
  for (char c : lines) {
    if (c != '\r' && c != '\n') joined += c;
  }
  return joined;
}

std::string ContentLength(const RequestFields& request) {
  if (request.Cmd == CmdLINK || request.Cmd == CmdUNLINK) return "0";
  if (request.OutputFileMode) return std::to_string(InputFile(request.SendData).Size());
  return std::to_string(request.SendData.size());
}

bool SendsDestination(CmdType cmd) {
  return cmd == CmdCOPY || cmd == CmdMOVE || cmd == CmdLINK || cmd == CmdUNLINK;
}

// Every text that goes into a line, checked before a line is built: a CR or
// LF inside one would end it there and start a line of the text's choosing.
void RefuseControlCharactersIn(const RequestFields& request, const THeaderInfo& headerInfo) {
  const bool viaProxy = !request.Proxy.empty();
  RefuseControlCharacters(viaProxy ? request.URL : request.RequestPath, "address");
  RefuseControlCharacters(request.Host, "address");
  if (SendsDestination(request.Cmd)) {
    RefuseControlCharacters(request.DestURL, "destination address");
  }
  RefuseControlCharacters(headerInfo.LocalProgram, "User-Agent");
  RefuseControlCharacters(headerInfo.LocalMailAddress, "From address");
  if (CookieGoesTo(headerInfo, request.Host, request.Port)) {
    RefuseControlCharacters(headerInfo.Cookie, "cookie");
  }
  RefuseControlCharacters(headerInfo.Referer, "Referer");
}

}  // namespace

std::string OriginOf(std::string_view host, std::int32_t port) {
  return std::string(host) + ":" + std::to_string(port);
}

bool CookieGoesTo(const THeaderInfo& headerInfo, std::string_view host, std::int32_t port) {
  return headerInfo.CookieOrigin.empty() ||
         CompareText(headerInfo.CookieOrigin, OriginOf(host, port)) == 0;
}

std::string MethodToken(CmdType cmd) {
  static constexpr const char* tokens[] = {"GET ",    "OPTIONS ", "HEAD ", "POST ",   "PUT ",
                                           "PATCH ",  "COPY ",    "MOVE ", "DELETE ", "LINK ",
                                           "UNLINK ", "TRACE ",   ""};
  return cmd <= CmdRAW ? tokens[cmd] : "";
}

bool SendsBody(CmdType cmd) {
  return cmd == CmdPOST || cmd == CmdPUT || cmd == CmdPATCH || cmd == CmdTRACE || cmd == CmdRAW;
}

void BuildRequestHeader(const RequestFields& request, const THeaderInfo& headerInfo,
                        TExStringList& sendHeader) {
  // A raw request is the caller's text alone.
  if (request.Cmd == CmdRAW) {
    sendHeader.Clear();
    return;
  }
  RefuseControlCharactersIn(request, headerInfo);
  sendHeader.Clear();
  const bool viaProxy = !request.Proxy.empty();
  sendHeader.Add(MethodToken(request.Cmd) + (viaProxy ? request.URL : request.RequestPath) +
                 " HTTP/1.0");
  if (viaProxy) {
    sendHeader.Add("Proxy-Connection: Keep-Alive");
    sendHeader.Add("Host: " + request.Host);
  }
  sendHeader.SetHeaderValue("Host", request.Host);
  sendHeader.Add("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
  sendHeader.Add("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
  sendHeader.SetHeaderValue("User-Agent", headerInfo.LocalProgram);
  sendHeader.SetHeaderValue("From", headerInfo.LocalMailAddress);
  if (CookieGoesTo(headerInfo, request.Host, request.Port)) {
    sendHeader.SetHeaderValue("Cookie", headerInfo.Cookie);
  }
  sendHeader.SetHeaderValue("Referer", headerInfo.Referer);
  if (!headerInfo.UserId.empty() && !headerInfo.Password.empty()) {
    sendHeader.SetHeaderValue("Authorization", "Basic " + BasicCredentials(headerInfo));
  }
  sendHeader.Add("Content-type: application/x-www-form-urlencoded");
  switch (request.Cmd) {
    case CmdCOPY:
    case CmdMOVE:
      sendHeader.Add("URI-header: " + request.DestURL);
      break;
    case CmdLINK:
    case CmdUNLINK:
      sendHeader.Add("Link: " + request.DestURL);
      break;
    default:
      break;
  }
  if (SendsBody(request.Cmd) || request.Cmd == CmdLINK || request.Cmd == CmdUNLINK) {
    sendHeader.Add("Content-Length: " + ContentLength(request));
  }
}

std::string CompleteRedirectURL(const std::string& url, const std::string& host) {
  if (url.find('/') != std::string::npos) return url;
  return "http://" + host + "/" + url;
}

}  // namespace velloran
