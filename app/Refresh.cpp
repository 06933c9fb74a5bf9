// The main window's refresh: its HTTP client H, "Refresh" (ClickRA), the
// client's events, and what closing the window does to a download.
#include <memory>
#include <string>

#include "app/ListAddress.h"
#include "app/ListCheck.h"
#include "app/MainUnit.h"
#include "app/StallWatch.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "net/NMHttp.h"

namespace velloran {
namespace {

// A download ends once the list site has sent nothing for this long. Every
// received block starts the period anew, so a slow but live download of any
// size finishes; only silence ends it.
constexpr UINT StallLimitMs = 30000;

constexpr const char* NoServerListText = "The page holds no server list; the old list was kept";
std::string StallFailure() {
  return "sent nothing for " + std::to_string(StallLimitMs / 1000) + " seconds";
}
std::string StallText() {
  return "The list site " + StallFailure() + "; the download was stopped and the old list kept";
}

constexpr const char* AllListSitesFailedText =
    "No list site gave a server list; the old list was kept:";

// A reply that is not the list, told apart from the client's own errors.
class ENoServerList : public Exception {
 public:
  using Exception::Exception;
};

// What an error reply said of itself: its status line, or, without one, the
// status text the refresh showed for it.
std::string ReplyStatusLine(const std::string& header) {
  std::string line = header.substr(0, header.find_first_of("\r\n"));
  return line.empty() ? "Error downloading!" : line;
}

}  // namespace

void TForm1::CreateClient() {
  H = &Create<TNMHTTP>();
  H->SetPort(0);
  H->SetReportLevel(0);
  H->SetBody("Default.htm");
  H->SetHeader("Head.txt");
  H->SetInputFileMode(false);
  H->SetOutputFileMode(false);
  H->SetProxyPort(0);
  H->OnSuccess = [this](CmdType cmd) { HSuccess(cmd); };
  H->OnFailure = [this](CmdType cmd) { HFailure(cmd); };
  H->OnConnectionFailed = [this](TComponent* sender) { HConnectionFailed(sender); };
  H->OnInvalidHost = [this](bool& handled) { HInvalidHost(handled); };
  H->OnStatus = [this](TComponent* sender, const std::string& status) { HStatus(sender, status); };
  H->OnPacketRecvd = [this](TComponent* sender) { HPacketRecvd(sender); };
  stallWatch_ = std::make_unique<TStallWatch>(Application(), StallLimitMs, [this] { H->Abort(); });
  Button3->OnClick = [this] { ClickRA(); };
  OnClose = [this](TCloseAction& action) { FormClose(action); };
}

void TForm1::ClickRA() {
  // The disabled panel keeps a second refresh from starting inside this one;
  // this keeps it from any other way in too.
  if (refreshing_) return;
  refreshing_ = true;
  Panel1->SetEnabled(false);
  // Whatever the outcome: the count text, then the panel back, and only then
  // does an error go on to the error box.
  struct EndOfRefresh {
    TForm1& form;
    ~EndOfRefresh() {
      form.stallWatch_->Stop();
      form.AckwList();
      form.Panel1->SetEnabled(true);
      form.refreshing_ = false;
    }
  } end{*this};
  // One address: its own errors, as they come.
  if (listUrls_.size() == 1) {
    TryListUrl(listUrls_.front());
    return;
  }
  // Several: a site that fails is one of several mirrors, not yet worth a
  // box; only when every one has failed does the user hear what each did.
  std::string failures;
  for (const std::string& url : listUrls_) {
    if (closing_) return;
    std::string failure;
    try {
      if (TryListUrl(url)) return;
      failure = ReplyStatusLine(H->Header());
    } catch (const ENoServerList&) {
      failure = "the reply holds no server list";
    } catch (const Exception& error) {
      // An error after the list was taken (saving it) is no failure of the site.
      if (listTaken_) throw;
      failure = stallWatch_->Stalled() ? StallFailure() : error.what();
    }
    if (closing_) return;
    failures += "\n" + url + ": " + failure;
  }
  throw Exception(AllListSitesFailedText + failures);
}

bool TForm1::TryListUrl(const std::string& url) {
  listTaken_ = false;
  SB->SetPanelText(0, "Contacting " + ListUrlHost(url) + "...");
  stallWatch_->Start();
  try {
    H->Get(url);
  } catch (const ESockError&) {
    // The window's close aborted the download: the program is ending, and
    // the abort's text would only hold it up.
    if (closing_) return false;
    if (stallWatch_->Stalled()) throw ESockError(StallText());
    throw;
  }
  stallWatch_->Stop();
  return listTaken_;
}

void TForm1::HSuccess(CmdType) {
  // Once the window is closing nothing is written any more.
  if (closing_) return;
  const std::string& body = H->Body();
  // A reply that is not the list (an error page, an empty reply) would
  // otherwise replace a good list with an empty one.
  if (!HoldsServerTable(body)) {
    SB->SetPanelText(0, "Error downloading!");
    throw ENoServerList(NoServerListText);
  }
  SB->SetPanelText(0, "Download complete");
  listTaken_ = true;
  FillGrid(body);
  AckwList();
}

void TForm1::HFailure(CmdType) {
  SB->SetPanelText(0, "Error downloading!");
}

void TForm1::HConnectionFailed(TComponent*) {
  SB->SetPanelText(0, "Connection failed!");
}

void TForm1::HInvalidHost(bool&) {
  SB->SetPanelText(0, "Invalid host or DNS error!");
}

void TForm1::HStatus(TComponent*, const std::string& status) {
  SB->SetPanelText(0, status);
}

void TForm1::HPacketRecvd(TComponent*) {
  stallWatch_->Touch();
  // The window repaints, the grid scrolls and sorts, and a close is seen.
  Application()->ProcessMessages();
  SB->SetPanelText(0, std::to_string(H->BytesRecvd()) + " bytes received... (Please wait)");
}

void TForm1::FormClose(TCloseAction&) {
  closing_ = true;
  H->Abort();
}

}  // namespace velloran
