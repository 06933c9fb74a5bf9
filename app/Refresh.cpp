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
std::string StallText() {
  return "The list site sent nothing for " + std::to_string(StallLimitMs / 1000) +
         " seconds; the download was stopped and the old list kept";
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
  SB->SetPanelText(0, "Contacting " + ListUrlHost(listUrl_) + "...");
  stallWatch_->Start();
  try {
    H->Get(listUrl_);
  } catch (const ESockError&) {
    // The window's close aborted the download: the program is ending, and
    // the abort's text would only hold it up.
    if (closing_) return;
    if (stallWatch_->Stalled()) throw ESockError(StallText());
    throw;
  }
}

void TForm1::HSuccess(CmdType) {
  // Once the window is closing nothing is written any more.
  if (closing_) return;
  const std::string& body = H->Body();
  // A reply that is not the list (an error page, an empty reply) would
  // otherwise replace a good list with an empty one.
  if (!HoldsServerTable(body)) {
    SB->SetPanelText(0, "Error downloading!");
    throw Exception(NoServerListText);
  }
  SB->SetPanelText(0, "Download complete");
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
