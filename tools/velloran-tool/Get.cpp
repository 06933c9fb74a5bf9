// velloran-tool get: one Get with the program's HTTP client, its events as
// they fire and its results afterwards, for people and scripts.
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/Application.h"
#include "framework/FileAccess.h"
#include "net/HttpUrl.h"
#include "net/NMHttp.h"
#include "tools/velloran-tool/Commands.h"

namespace velloran::tool {
namespace {

void PrintLine(const std::string& line) {
  std::string text = line + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  // Line by line, so that a reader sees each event when it fires.
  std::fflush(stdout);
}

void SaveFile(const std::string& path, const std::string& bytes) {
  OutputFile file(path);
  file.Write(bytes.data(), bytes.size());
  file.Commit();
}

// The client as the main window sets it up: no proxy, port and report level
// 0, empty HeaderInfo; plus a time-out, so that no run waits for ever.
void SetUpClient(TNMHTTP& http, bool noRedirect) {
  http.SetTimeOut(30000);
  http.OnAboutToSend = [](TComponent*) { PrintLine("OnAboutToSend"); };
  http.OnHostResolved = [](TComponent*) { PrintLine("OnHostResolved"); };
  http.OnConnect = [](TComponent*) { PrintLine("OnConnect"); };
  http.OnPacketRecvd = [](TComponent*) { PrintLine("OnPacketRecvd"); };
  http.OnDisconnect = [](TComponent*) { PrintLine("OnDisconnect"); };
  http.OnConnectionFailed = [](TComponent*) { PrintLine("OnConnectionFailed"); };
  http.OnInvalidHost = [](bool&) { PrintLine("OnInvalidHost"); };
  http.OnStatus = [](TComponent*, const std::string& status) { PrintLine("OnStatus " + status); };
  http.OnSuccess = [](CmdType) { PrintLine("OnSuccess"); };
  http.OnFailure = [](CmdType) { PrintLine("OnFailure"); };
  http.OnRedirect = [noRedirect](bool& handled) {
    PrintLine("OnRedirect");
    handled = noRedirect;
  };
  http.OnAuthenticationNeeded = [](TComponent*) { PrintLine("OnAuthenticationNeeded"); };
}

// A value from a reply or the command line, on one line whatever it holds: a
// CR in a Location would otherwise pose as a line of its own, or overwrite one.
std::string Shown(const std::string& value) {
  std::string shown;
  for (char c : value) {
    if (IsControlCharacter(c)) {
      shown += "\\x" + HexByte(c);
    } else {
      shown += c;
    }
  }
  return shown;
}

void PrintResults(TNMHTTP& http) {
  PrintLine("ReplyNumber " + std::to_string(http.ReplyNumber()));
  PrintLine("BytesTotal " + std::to_string(http.BytesTotal()));
  PrintLine("BytesRecvd " + std::to_string(http.BytesRecvd()));
  PrintLine("Location " + Shown(http.Location()));
  PrintLine("CookieIn " + Shown(http.CookieIn()));
  PrintLine("Cookie " + Shown(http.HeaderInfo().Cookie));
  PrintLine("CookieOrigin " + Shown(http.HeaderInfo().CookieOrigin));
  PrintLine("URL " + Shown(http.URL()));
}

}  // namespace

int Get(const Arguments& arguments) {
  Arguments rest = arguments;
  bool noRedirect = !rest.empty() && rest.front() == "--no-redirect";
  if (noRedirect) rest.erase(rest.begin());
  if (rest.size() != 1 && rest.size() != 3) {
    std::fprintf(stderr, "usage: velloran-tool get [--no-redirect] URL [HEADER-FILE BODY-FILE]\n");
    return 2;
  }
  TApplication application(GetModuleHandleA(nullptr));
  application.SetTitle("velloran-tool");
  TNMHTTP* client = nullptr;
  try {
    client = &application.Create<TNMHTTP>();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  TNMHTTP& http = *client;
  SetUpClient(http, noRedirect);
  bool raised = false;
  std::string failure;
  try {
    http.Get(rest[0]);
  } catch (const std::exception& error) {
    raised = true;
    failure = error.what();
  }
  PrintResults(http);
  try {
    if (rest.size() == 3) {
      SaveFile(rest[1], http.Header());
      SaveFile(rest[2], http.Body());
    }
  } catch (const EInOutError& error) {
    if (!raised) failure = error.what();
    raised = true;
  }
  if (raised) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    return 1;
  }
  return 0;
}

}  // namespace velloran::tool
