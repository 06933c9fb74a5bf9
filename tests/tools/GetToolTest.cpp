// velloran-tool get, run as a program against scripted loopback servers.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempFiles.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

using test::LoopbackReply;
using test::LoopbackServer;

struct ToolRun {
  DWORD exitCode = 0;
  std::vector<std::string> lines;  // standard output, line by line
  std::string errors;              // standard error
};

UniqueKernelHandle InheritableFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return UniqueKernelHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

ToolRun RunTool(const test::TempFolder& folder, const std::string& arguments) {
  const std::string outPath = folder.File("stdout.txt");
  const std::string errPath = folder.File("stderr.txt");
  ToolRun run;
  {
    UniqueKernelHandle out = InheritableFile(outPath);
    UniqueKernelHandle err = InheritableFile(errPath);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    std::string line = test::QuotedProgramPath("velloran-tool.exe") + " " + arguments;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info)) {
      ADD_FAILURE() << "cannot start " << line;
      return run;
    }
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    // The tool's own time-out is 30 s; none of these runs needs more than a few.
    if (WaitForSingleObject(info.hProcess, 20000) != WAIT_OBJECT_0) {
      TerminateProcess(info.hProcess, 99);
      WaitForSingleObject(info.hProcess, 5000);
      ADD_FAILURE() << "velloran-tool did not end: " << arguments;
    }
    GetExitCodeProcess(info.hProcess, &run.exitCode);
  }
  std::istringstream output(test::FileBytes(outPath));
  for (std::string line; std::getline(output, line);) run.lines.push_back(line);
  run.errors = test::FileBytes(errPath);
  return run;
}

// The lines without those whose number depends on timing.
std::vector<std::string> Steady(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  for (const std::string& line : lines) {
    if (line != "OnPacketRecvd" && line != "OnDisconnect") kept.push_back(line);
  }
  return kept;
}

TEST(GetTool, PrintsEventsAndResultsAndSavesTheLastPass) {
  test::TempFolder folder;
  const std::string body = std::string("bytes\0\r\n\xE9 kept", 14);
  LoopbackServer server({
      LoopbackReply::Text(
          "HTTP/1.0 302 Found\r\nLocation: /next\r\nSet-Cookie: s=1; Path=/\r\n\r\n"),
      LoopbackReply::Text("HTTP/1.0 200 OK\r\nContent-Length: 14\r\n\r\n" + body),
  });
  ToolRun run = RunTool(folder, "get " + server.Url("/first") + " \"" + folder.File("head.txt") +
                                    "\" \"" + folder.File("body.htm") + "\"");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(
      Steady(run.lines),
      (std::vector<std::string>{
          "OnAboutToSend", "OnConnect", "OnRedirect", "OnAboutToSend", "OnConnect", "OnSuccess",
          "ReplyNumber 200", "BytesTotal 14", "BytesRecvd 14", "Location /next", "CookieIn ",
          "Cookie s=1", "CookieOrigin 127.0.0.1:" + std::to_string(server.Port()), "URL /next"}));
  EXPECT_EQ(test::FileBytes(folder.File("head.txt")),
            "HTTP/1.0 200 OK\r\nContent-Length: 14\r\n\r\n");
  EXPECT_EQ(test::FileBytes(folder.File("body.htm")), body);
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_NE(server.Requests()[1].find("GET /next HTTP/1.0\r\n"), std::string::npos);
  EXPECT_NE(server.Requests()[1].find("\r\nCookie: s=1\r\n"), std::string::npos);
}

TEST(GetTool, NoRedirectEndsAfterTheFirstPass) {
  test::TempFolder folder;
  LoopbackServer server({LoopbackReply::Text("HTTP/1.0 301 Moved\r\nLocation: /x\r\n\r\n")});
  ToolRun run = RunTool(folder, "get --no-redirect " + server.Url("/"));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(Steady(run.lines),
            (std::vector<std::string>{"OnAboutToSend", "OnConnect", "OnRedirect", "ReplyNumber 301",
                                      "BytesTotal 0", "BytesRecvd 0", "Location /x", "CookieIn ",
                                      "Cookie ", "CookieOrigin ", "URL /x"}));
  EXPECT_EQ(server.Connections(), 1);
}

TEST(GetTool, ShowsTheCookieBothWaysAndControlCharactersEscaped) {
  test::TempFolder folder;
  const std::string reply =
      "HTTP/1.0 302 Found\r\nLocation: /x\rY: z\r\nSet-Cookie: s=1; HttpOnly\r\n\r\n";
  LoopbackServer stopped({LoopbackReply::Text(reply)});
  const std::string origin = "CookieOrigin 127.0.0.1:" + std::to_string(stopped.Port());
  ToolRun run = RunTool(folder, "get --no-redirect " + stopped.Url("/"));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(Steady(run.lines),
            (std::vector<std::string>{"OnAboutToSend", "OnConnect", "OnRedirect", "ReplyNumber 302",
                                      "BytesTotal 0", "BytesRecvd 0", "Location /x\\x0DY: z",
                                      "CookieIn s=1; HttpOnly", "Cookie s=1", origin,
                                      "URL /x\\x0DY: z"}));

  // Followed, that Location is sent nowhere.
  LoopbackServer followed({LoopbackReply::Text(reply)});
  run = RunTool(folder, "get " + followed.Url("/"));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.errors, "The address holds a control character (0x0D); nothing was sent\r\n");
  EXPECT_EQ(run.lines.back(), "URL /x\\x0DY: z");
  EXPECT_EQ(followed.Connections(), 1);
}

TEST(GetTool, FailureExitsWithOneAndTheErrorText) {
  test::TempFolder folder;
  ToolRun refused =
      RunTool(folder, "get http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/");
  EXPECT_EQ(refused.exitCode, 1u);
  // Standard error is a text stream: its line end is CR LF.
  EXPECT_EQ(refused.errors, "Connection Failed\r\n");
  EXPECT_EQ(Steady(refused.lines).front(), "OnAboutToSend");
  EXPECT_EQ(Steady(refused.lines)[1], "OnConnectionFailed");

  ToolRun usage = RunTool(folder, "get");
  EXPECT_EQ(usage.exitCode, 2u);
  EXPECT_NE(usage.errors.find("usage: velloran-tool get"), std::string::npos);
}

}  // namespace
}  // namespace velloran
