#include "net/NMHttp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/net/NetTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempFiles.h"

namespace velloran {
namespace {

using test::ErrorOf;
using test::LoopbackReply;
using test::LoopbackServer;
using test::SafetyTimeOut;

const std::string Accept =
    "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
    "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
const std::string ContentType = "Content-type: application/x-www-form-urlencoded\r\n";

// The request the client sends for Method and Path, with Extra lines before
// the Content-type line and Tail lines after it.
std::string Request(const std::string& method, const std::string& path,
                    const std::string& extra = "", const std::string& tail = "") {
  return method + " " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n" + Accept + extra + ContentType +
         tail + "\r\n";
}

std::string Reply(const std::string& status, const std::string& lines, const std::string& body) {
  return "HTTP/1.0 " + status + "\r\n" + lines + "\r\n" + body;
}

struct Client {
  TNMHTTP http{nullptr};
  std::vector<std::string> log;
  bool stopRedirects = false;

  Client() {
    http.SetTimeOut(SafetyTimeOut);
    http.SetReportLevel(2);
    http.OnStatus = [this](TComponent*, const std::string& text) { log.push_back(text); };
    http.OnAboutToSend = [this](TComponent*) { log.push_back("OnAboutToSend"); };
    http.OnHostResolved = [this](TComponent*) { log.push_back("OnHostResolved"); };
    http.OnConnect = [this](TComponent*) { log.push_back("OnConnect"); };
    http.OnDisconnect = [this](TComponent*) { log.push_back("OnDisconnect"); };
    http.OnConnectionFailed = [this](TComponent*) { log.push_back("OnConnectionFailed"); };
    http.OnPacketRecvd = [this](TComponent*) { log.push_back("OnPacketRecvd"); };
    http.OnSuccess = [this](CmdType cmd) { log.push_back("OnSuccess " + std::to_string(cmd)); };
    http.OnFailure = [this](CmdType cmd) { log.push_back("OnFailure " + std::to_string(cmd)); };
    http.OnRedirect = [this](bool& handled) {
      log.push_back("OnRedirect");
      handled = stopRedirects;
    };
    http.OnAuthenticationNeeded = [this](TComponent*) { log.push_back("OnAuthenticationNeeded"); };
  }
  // The log without the notices whose number depends on timing.
  std::vector<std::string> Outcome() const {
    std::vector<std::string> kept;
    for (const std::string& entry : log) {
      if (entry != "OnPacketRecvd" && entry != "OnDisconnect") kept.push_back(entry);
    }
    return kept;
  }
  long Count(const std::string& entry) const { return std::count(log.begin(), log.end(), entry); }
};

TEST(NMHttp, GetSendsTheRequestAndDeliversTheReplyInOrder) {
  const std::string page = "<html>" + std::string(150000, 'x') + "</html>";
  LoopbackReply reply;
  reply.head = Reply("200 OK", "Content-Length: 150013\r\nServer: test\r\n", "");
  reply.chunks = {page.substr(0, 1), page.substr(1, 70000), page.substr(70001)};
  reply.delayMs = 20;
  LoopbackServer server({reply});
  Client client;
  client.http.Get(server.Url("/list.php"));

  EXPECT_EQ(server.Requests(), std::vector<std::string>{Request("GET", "/list.php")});
  EXPECT_EQ(client.http.ReplyNumber(), 200);
  EXPECT_EQ(client.http.Header(),
            "HTTP/1.0 200 OK\r\nContent-Length: 150013\r\nServer: test\r\n\r\n");
  EXPECT_EQ(client.http.Body(), page);
  EXPECT_EQ(client.http.BytesRecvd(), static_cast<std::int64_t>(page.size()));
  EXPECT_EQ(client.http.BytesTotal(), 150013);
  EXPECT_EQ(client.http.Host(), "127.0.0.1");
  EXPECT_EQ(client.http.Port(), server.Port());
  EXPECT_GE(client.Count("OnPacketRecvd"), 3);
  EXPECT_EQ(client.Outcome(), (std::vector<std::string>{"OnAboutToSend", "OnConnect", "OnSuccess 0",
                                                        "Transaction Completed"}));
  // The last OnDisconnect comes from the client's own Disconnect, after the outcome.
  EXPECT_EQ(client.log.back(), "OnDisconnect");
  auto firstPacket = std::find(client.log.begin(), client.log.end(), "OnPacketRecvd");
  auto success = std::find(client.log.begin(), client.log.end(), "OnSuccess 0");
  EXPECT_LT(firstPacket, success);
  EXPECT_LT(std::find(client.log.begin(), client.log.end(), "OnConnect"), firstPacket);
}

TEST(NMHttp, HostNameIsResolvedAndAnAddressWithoutPathGetsOne) {
  LoopbackServer server({LoopbackReply::Text(Reply("200 OK", "", "hi"))});
  Client client;
  std::string url = "http://localhost:" + std::to_string(server.Port());
  client.http.Get(url);
  EXPECT_EQ(client.http.URL(), url + "/");
  EXPECT_EQ(client.http.Host(), "localhost");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0],
            "GET / HTTP/1.0\r\nHost: localhost\r\n" + Accept + ContentType + "\r\n");
  EXPECT_EQ(client.Outcome(),
            (std::vector<std::string>{"OnAboutToSend", "OnHostResolved", "OnConnect", "OnSuccess 0",
                                      "Transaction Completed"}));
}

TEST(NMHttp, StatusLinesDecideSuccessOrFailure) {
  struct Case {
    std::string reply;
    int replyNumber;
    std::string outcome;
  };
  const Case cases[] = {
      {"HTTP/1.0 200 OK\r\n\r\nbody", 200, "OnSuccess 0"},
      {"HTTP/1.0 200\r\n\r\nbody", 200, "OnSuccess 0"},
      {"HTTP/1.0 204 No Content\n\nbody", 204, "OnSuccess 0"},
      {"HTTP/1.0 404 Not Found\r\n\r\nbody", 404, "OnFailure 0"},
      {"HTTP/1.0 500 Oops\r\n\r\nbody", 500, "OnFailure 0"},
      // Not cut to 16 bits: 65736 would be 200 there.
      {"HTTP/1.0 65736 OK\r\n\r\nbody", 65736, "OnFailure 0"},
      {"HTTP/1.0 99999999999 OK\r\n\r\nbody", 2147483647, "OnFailure 0"},
      {"HTTP/1.0 abc OK\r\n\r\nbody", 0, "OnSuccess 0"},
      // No status line at all: the server's close ends an empty reply.
      {"", 0, "OnSuccess 0"},
  };
  for (const Case& c : cases) {
    LoopbackServer server({LoopbackReply::Text(c.reply)});
    Client client;
    client.http.Get(server.Url("/"));
    EXPECT_EQ(client.http.ReplyNumber(), c.replyNumber) << c.reply;
    EXPECT_EQ(client.Count(c.outcome), 1) << c.reply;
    EXPECT_EQ(client.http.Body(), c.reply.empty() ? "" : "body") << c.reply;
    EXPECT_EQ(server.Connections(), 1) << c.reply;
  }
}

TEST(NMHttp, UnauthorizedAsksForCredentialsAfterTheFailure) {
  LoopbackServer server({LoopbackReply::Text(Reply("401 Unauthorized", "", "who?"))});
  Client client;
  client.http.Get(server.Url("/secret"));
  EXPECT_EQ(client.Outcome(), (std::vector<std::string>{"OnAboutToSend", "OnConnect", "OnFailure 0",
                                                        "OnAuthenticationNeeded"}));
  EXPECT_EQ(client.http.Body(), "who?");
  EXPECT_EQ(server.Connections(), 1);
}

TEST(NMHttp, CredentialsGoOnOneAuthorizationLine) {
  LoopbackServer server({LoopbackReply::Text(Reply("200 OK", "", ""))});
  Client client;
  client.http.HeaderInfo().UserId = std::string(40, 'u');
  client.http.HeaderInfo().Password = "secret";
  client.http.Get(server.Url("/"));
  // Base64 of 40 "u", ":" and "secret" (47 bytes: more than one encoder line).
  const std::string expected =
      "Authorization: Basic "
      "dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dTpzZWNyZXQ=\r\n";
  EXPECT_EQ(server.Requests(), std::vector<std::string>{Request("GET", "/", expected)});
}

TEST(NMHttp, RedirectsFollowLocationAndKeepTheCookie) {
  LoopbackServer server({
      LoopbackReply::Text(
          Reply("302 Found", "Location: /other\r\nSet-Cookie: id=7; Path=/; HttpOnly\r\n", "")),
      LoopbackReply::Text(Reply("301 Moved", "Location: bare\r\n", "")),
      LoopbackReply::Text(Reply("200 OK", "", "done")),
      LoopbackReply::Text(Reply("200 OK", "", "again")),
  });
  Client client;
  client.http.Get(server.Url("/start"));
  const std::string cookie = "Cookie: id=7\r\n";
  EXPECT_EQ(server.Requests(),
            (std::vector<std::string>{Request("GET", "/start"), Request("GET", "/other", cookie),
                                      Request("GET", "/bare", cookie)}));
  EXPECT_EQ(client.http.Body(), "done");
  EXPECT_EQ(client.http.HeaderInfo().Cookie, "id=7");
  EXPECT_EQ(client.http.HeaderInfo().CookieOrigin, "127.0.0.1:" + std::to_string(server.Port()));
  EXPECT_EQ(client.http.Location(), "bare");
  EXPECT_EQ(client.http.URL(), server.Url("/bare"));
  EXPECT_EQ(client.Count("OnRedirect"), 2);
  EXPECT_EQ(client.Count("OnSuccess 0"), 1);
  // The cookie stays for later requests.
  client.http.Get(server.Url("/later"));
  EXPECT_EQ(server.Requests().back(), Request("GET", "/later", cookie));
}

TEST(NMHttp, ACookieGoesBackOnlyToTheServerThatSetIt) {
  LoopbackServer other({LoopbackReply::Text(Reply("200 OK", "", "there"))});
  LoopbackServer first(
      {LoopbackReply::Text(Reply(
           "302 Found",
           "Location: " + other.Url("/next") + "\r\nSet-Cookie: id=7; Path=/; HttpOnly\r\n", "")),
       LoopbackReply::Text(Reply("200 OK", "", "back"))});
  const std::string port = std::to_string(first.Port());
  Client client;
  client.http.Get(first.Url("/start"));
  EXPECT_EQ(client.http.Body(), "there");
  EXPECT_EQ(other.Requests(), std::vector<std::string>{Request("GET", "/next")});
  EXPECT_EQ(client.http.HeaderInfo().Cookie, "id=7");
  EXPECT_EQ(client.http.HeaderInfo().CookieOrigin, "127.0.0.1:" + port);
  // Back on the server that set it, it goes with the request: the pair alone.
  client.http.Get(first.Url("/later"));
  EXPECT_EQ(first.Requests().back(), Request("GET", "/later", "Cookie: id=7\r\n"));
  // The same port under another name is another server.
  client.http.Get("http://localhost:" + port + "/named");
  EXPECT_EQ(first.Requests().back(),
            "GET /named HTTP/1.0\r\nHost: localhost\r\n" + Accept + ContentType + "\r\n");
  EXPECT_EQ(first.Connections(), 3);
}

TEST(NMHttp, AnAddressWithAControlCharacterIsSentNowhere) {
  using namespace std::string_literals;
  LoopbackServer server({LoopbackReply::Text(Reply("200 OK", "", "page"))});
  const std::string port = std::to_string(server.Port());
  const struct {
    std::string bytes, named;
  } bytes[] = {{"\r", "0x0D"}, {"\n", "0x0A"}, {"\r\n", "0x0D"}, {"\0"s, "0x00"}, {"\t", "0x09"}};
  for (const auto& b : bytes) {
    const std::string inPath = "http://127.0.0.1:" + port + "/a" + b.bytes + "X-Injected: 1";
    const std::string inHost = "http://127.0.0.1" + b.bytes + ":" + port + "/a";
    for (const std::string& url : {inPath, inHost}) {
      Client client;
      EXPECT_EQ(ErrorOf([&] { client.http.Get(url); }),
                "The address holds a control character (" + b.named + "); nothing was sent")
          << testing::PrintToString(url);
      EXPECT_EQ(client.log, std::vector<std::string>{}) << testing::PrintToString(url);
    }
  }
  Client client;
  EXPECT_EQ(ErrorOf([&] { client.http.Post("http://127.0.0.1:" + port + "/\r", "a"); }),
            "The address holds a control character (0x0D); nothing was sent");
  EXPECT_EQ(server.Connections(), 0);
}

TEST(NMHttp, ARedirectWithAControlCharacterIsNotFollowed) {
  using namespace std::string_literals;
  const struct {
    std::string lines, what, byte;
  } cases[] = {
      // A CR inside the Location line, which LF (or CR LF) ends.
      {"Location: /a\rX-Injected: 1\n", "address", "0x0D"},
      {"Location: /a\rX-Injected: 1\r\n", "address", "0x0D"},
      {"Location: /a\r\r\n", "address", "0x0D"},
      {"Location: /a\0X-Injected: 1\r\n"s, "address", "0x00"},
      {"Location: /a\tb\r\n", "address", "0x09"},
      {"Location: bare\x7F\r\n", "address", "0x7F"},
      {"Location: http://127.0.0.1\r:1/a\r\n", "address", "0x0D"},
      {"Location: http://127.0.0\t.1:1/a\r\n", "address", "0x09"},
      {"Location: http://127.0.0.1\0:1/a\r\n"s, "address", "0x00"},
      {"Location: /a\r\nSet-Cookie: id=7\rX-Injected: 1\r\n", "reply's cookie", "0x0D"},
  };
  for (const auto& c : cases) {
    LoopbackServer server({LoopbackReply::Text("HTTP/1.0 302 Found\r\n" + c.lines + "\r\n"),
                           LoopbackReply::Text(Reply("200 OK", "", "page"))});
    Client client;
    EXPECT_EQ(ErrorOf([&] { client.http.Get(server.Url("/start")); }),
              "The " + c.what + " holds a control character (" + c.byte + "); nothing was sent")
        << testing::PrintToString(c.lines);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{Request("GET", "/start")})
        << testing::PrintToString(c.lines);
    EXPECT_EQ(client.http.HeaderInfo().Cookie, "");
    EXPECT_FALSE(client.http.Connected());
  }
  // A line feed ends the Location: what follows is a line of the reply,
  // never one of the next request.
  LoopbackServer server(
      {LoopbackReply::Text("HTTP/1.0 302 Found\r\nLocation: /a\nX-Injected: 1\r\n\r\n"),
       LoopbackReply::Text(Reply("200 OK", "", "page"))});
  Client client;
  client.http.Get(server.Url("/start"));
  EXPECT_EQ(server.Requests(),
            (std::vector<std::string>{Request("GET", "/start"), Request("GET", "/a")}));
}

TEST(NMHttp, HandledRedirectEndsTheRequest) {
  LoopbackServer server({LoopbackReply::Text(Reply("302 Found", "Location: /other\r\n", "moved"))});
  Client client;
  client.stopRedirects = true;
  client.http.Get(server.Url("/"));
  EXPECT_EQ(client.Outcome(),
            (std::vector<std::string>{"OnAboutToSend", "OnConnect", "OnRedirect"}));
  EXPECT_EQ(client.http.URL(), "/other");
  EXPECT_EQ(client.http.Body(), "moved");
  EXPECT_EQ(server.Connections(), 1);
}

TEST(NMHttp, EndlessRepeatsEndAfterTheirBound) {
  const std::string replies[] = {Reply("303 See Other", "", ""), Reply("299 Again", "", ""),
                                 Reply("302 Found", "Location: /loop\r\n", "")};
  for (const std::string& reply : replies) {
    LoopbackServer server({LoopbackReply::Text(reply)});
    Client client;
    EXPECT_EQ(ErrorOf([&] { client.http.Get(server.Url("/loop")); }), "Too many redirects");
    EXPECT_EQ(server.Connections(), TNMHTTP::MaxPasses) << reply;
    EXPECT_EQ(client.Count("OnAboutToSend"), TNMHTTP::MaxPasses) << reply;
  }
}

TEST(NMHttp, FailuresOfTheConnectionRaiseAfterDisconnect) {
  Client client;
  client.http.SetTimeOut(300);
  EXPECT_EQ(ErrorOf([&] {
              client.http.Get("http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()));
            }),
            "Connection Failed");
  test::StalledListener listener;
  EXPECT_EQ(ErrorOf([&] {
              client.http.Get("http://127.0.0.1:" + std::to_string(listener.Port()) + "/");
            }),
            "Connection Timed out");
  EXPECT_EQ(client.Count("OnConnectionFailed"), 2);
  EXPECT_EQ(client.Count("OnSuccess 0") + client.Count("OnFailure 0"), 0);
  EXPECT_FALSE(client.http.Connected());
}

TEST(NMHttp, AbortEndsAWaitAndLeavesTheClientReady) {
  struct Case {
    LoopbackReply reply;
    std::string error;
  };
  LoopbackReply inHeader;
  inHeader.head = "HTTP/1.0 200 OK\r\nServer: slow";
  inHeader.end = LoopbackReply::End::Stall;
  LoopbackReply inBody;
  inBody.head = Reply("200 OK", "", "partial");
  inBody.end = LoopbackReply::End::Stall;
  const Case cases[] = {{inHeader, "Socket readln aborted"}, {inBody, "Socket capture aborted"}};
  for (const Case& c : cases) {
    LoopbackServer server({c.reply, LoopbackReply::Text(Reply("200 OK", "", "next"))});
    Client client;
    client.http.SetReportLevel(8);
    TThreadTimer aborter(nullptr);
    aborter.SetInterval(300);
    aborter.SetOnTimer([&](TComponent*) {
      aborter.SetEnabled(false);
      client.http.Abort();
    });
    EXPECT_EQ(ErrorOf([&] { client.http.Get(server.Url("/")); }), c.error);
    EXPECT_EQ(client.Count("OnSuccess 0") + client.Count("OnFailure 0"), 0);
    EXPECT_EQ(client.log.back(), "OnDisconnect");
    // The client's Abort cancels without a status text of its own.
    EXPECT_EQ(client.Count("Canceling"), 1);
    EXPECT_EQ(client.Count("Abort"), 0);
    // The next request runs normally.
    client.http.Get(server.Url("/"));
    EXPECT_EQ(client.http.Body(), "next");
  }
}

TEST(NMHttp, TimeOutEndsAStalledBody) {
  LoopbackReply stall;
  stall.head = Reply("200 OK", "", "partial");
  stall.end = LoopbackReply::End::Stall;
  LoopbackServer server({stall});
  Client client;
  client.http.SetTimeOut(300);
  EXPECT_EQ(ErrorOf([&] { client.http.Get(server.Url("/")); }), "Socket capture aborted");
  EXPECT_EQ(client.http.Body(), "partial");
}

TEST(NMHttp, HostileHeadersEndWithAClearError) {
  // What the lines before the bad one said is kept for the caller to see.
  std::string manyLines = "HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\n";
  for (int i = 0; i < 1001; ++i) manyLines += "X-Line: " + std::to_string(i) + "\r\n";
  const struct {
    std::string reply, error;
    int replyNumber;
    std::string location;
  } cases[] = {
      {manyLines + "\r\nbody", "HTTP header has more than 1000 lines", 302, "/elsewhere"},
      {"HTTP/1.0 200 OK\r\nX-Long: " + std::string(70000, 'a') + "\r\n\r\n",
       "Line longer than 65536 bytes", 200, ""},
  };
  for (const auto& c : cases) {
    LoopbackServer server({LoopbackReply::Text(c.reply)});
    Client client;
    EXPECT_EQ(ErrorOf([&] { client.http.Get(server.Url("/")); }), c.error);
    EXPECT_FALSE(client.http.Connected());
    EXPECT_EQ(client.http.ReplyNumber(), c.replyNumber);
    EXPECT_EQ(client.http.Location(), c.location);
  }
}

// A client whose body limit is small enough for a test.
class SmallLimitClient : public TNMHTTP {
 public:
  explicit SmallLimitClient(std::int64_t limit) : TNMHTTP(nullptr) { SetCaptureLimit(limit); }
};

TEST(NMHttp, ABodyPastTheLimitEndsWithAnError) {
  EXPECT_EQ(TPowersock::DefaultCaptureLimit, 268435456);
  LoopbackReply big;
  // Content-Length announces little: it sizes nothing and ends nothing.
  big.head = Reply("200 OK", "Content-Length: 10\r\n", "");
  big.chunks = {std::string(65536, 'x')};
  big.repeat = 8;
  for (std::int64_t limit : {std::int64_t{5 * 65536}, std::int64_t{8 * 65536}}) {
    LoopbackServer server({big});
    SmallLimitClient http(limit);
    http.SetTimeOut(SafetyTimeOut);
    std::string error = ErrorOf([&] { http.Get(server.Url("/")); });
    if (limit < 8 * 65536) {
      EXPECT_EQ(error, "Received text longer than 327680 bytes");
      EXPECT_LE(http.Body().size(), 327680u);
    } else {
      EXPECT_EQ(error, "(no error)");
      EXPECT_EQ(http.Body().size(), 8u * 65536);
    }
    EXPECT_FALSE(http.Connected());
  }
}

TEST(NMHttp, PostEncodesItsDataAndAnnouncesItsLength) {
  LoopbackServer server({LoopbackReply::Text(Reply("200 OK", "", "ok"))});
  Client client;
  client.http.Post(server.Url("/form"), "a b");
  EXPECT_EQ(server.Requests(), std::vector<std::string>{
                                   Request("POST", "/form", "", "Content-Length: 3\r\n") + "a+b"});
  EXPECT_EQ(client.Count("OnSuccess 3"), 1);
}

TEST(NMHttp, RequestKindsSendTheirLines) {
  struct Case {
    std::function<void(TNMHTTP&, const std::string&)> run;
    std::string request;
  };
  const Case cases[] = {
      {[](TNMHTTP& h, const std::string& u) { h.Head(u); }, Request("HEAD", "/x")},
      {[](TNMHTTP& h, const std::string& u) { h.Options(u); }, Request("OPTIONS", "/x")},
      {[](TNMHTTP& h, const std::string& u) { h.Delete(u); }, Request("DELETE", "/x")},
      {[](TNMHTTP& h, const std::string& u) { h.Put(u, "a b"); },
       Request("PUT", "/x", "", "Content-Length: 3\r\n") + "a b"},
      {[](TNMHTTP& h, const std::string& u) { h.Copy(u, "/y"); },
       Request("COPY", "/x", "", "URI-header: /y\r\n")},
      {[](TNMHTTP& h, const std::string& u) { h.Link(u, "/y"); },
       Request("LINK", "/x", "", "Link: /y\r\nContent-Length: 0\r\n")},
      {[](TNMHTTP& h, const std::string& u) { h.RawCommand(u, "PING\r\n\r\n"); }, "PING\r\n\r\n"},
  };
  for (const Case& c : cases) {
    LoopbackServer server({LoopbackReply::Text(Reply("200 OK", "", ""))});
    Client client;
    c.run(client.http, server.Url("/x"));
    EXPECT_EQ(server.Requests(), std::vector<std::string>{c.request});
    EXPECT_EQ(client.http.Body(), "");
  }
}

TEST(NMHttp, FileModesWriteHeaderAndBodyToFiles) {
  test::TempFolder folder;
  LoopbackServer server({LoopbackReply::Text(Reply("200 OK", "A: b\r\n", "the body"))});
  Client client;
  client.http.SetInputFileMode(true);
  client.http.SetOutputFileMode(true);
  client.http.SetBody(folder.File("body.htm"));
  client.http.SetHeader(folder.File("head.txt"));
  client.http.Get(server.Url("/"));
  EXPECT_EQ(test::FileBytes(folder.File("body.htm")), "the body");
  EXPECT_EQ(test::FileBytes(folder.File("head.txt")), "HTTP/1.0 200 OK\r\nA: b\r\n\r\n");
  EXPECT_EQ(client.http.Body(), folder.File("body.htm"));
}

TEST(NMHttp, ThroughAProxyTheWholeUrlGoesOutAndContentLengthEndsTheBody) {
  LoopbackReply keepAlive;
  keepAlive.head = Reply("200 OK", "Content-Length: 5\r\n", "hello");
  keepAlive.end = LoopbackReply::End::Stall;
  LoopbackServer proxy({keepAlive});
  Client client;
  client.http.SetProxy("127.0.0.1");
  client.http.SetProxyPort(proxy.Port());
  client.http.Get("http://far.invalid/page");
  EXPECT_EQ(client.http.Body(), "hello");
  EXPECT_EQ(proxy.Requests(),
            std::vector<std::string>{"GET http://far.invalid/page HTTP/1.0\r\n"
                                     "Proxy-Connection: Keep-Alive\r\nHost: far.invalid\r\n" +
                                     Accept + ContentType + "\r\n"});
}

TEST(NMHttp, AddressErrorsComeBeforeAnyConnection) {
  Client client;
  EXPECT_EQ(ErrorOf([&] { client.http.Get(""); }), "Empty URL");
  EXPECT_EQ(ErrorOf([&] { client.http.Get("https://127.0.0.1/"); }),
            "HTTP Secure Socket is not supported");
  EXPECT_TRUE(client.log.empty());
}

}  // namespace
}  // namespace velloran
