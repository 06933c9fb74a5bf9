// The main window's refresh: its HTTP client H, "Refresh" (ClickRA), the
// client's events, stopping a refresh, and what closing the window does to a
// download.
#include <memory>
#include <string>

#include "app/DownloadVerdict.h"
#include "app/ListAddress.h"
#include "app/ListBounds.h"
#include "app/ListFile.h"
#include "app/MainUnit.h"
#include "app/PageScraper.h"
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
constexpr const char* NoServerListFailure = "the reply holds no server list";
constexpr const char* StoppedText = "Refresh stopped; the old list was kept.";
std::string StallFailure() {
  return "sent nothing for " + std::to_string(StallLimitMs / 1000) + " seconds";
}
std::string StallText() {
  return "The list site " + StallFailure() + "; the download was stopped and the old list kept";
}

constexpr const char* AllListSitesFailedText =
    "No list site gave a server list; the old list was kept:";

// A reply that came but brought no whole list: its sentence for the box of a
// refresh from one address, its phrase for the summary of several.
class EListNotTaken : public Exception {
 public:
  EListNotTaken(const std::string& text, std::string failure)
      : Exception(text), failure_(std::move(failure)) {}
  // What the site did, for the line "URL: ..." of the summary.
  const std::string& Failure() const { return failure_; }

 private:
  std::string failure_;
};

// What the list site did, as the failure of one address and as the sentence
// that tells the user.
EListNotTaken SiteFailure(const std::string& failure) {
  return EListNotTaken("The list site " + failure + std::string(OldListKeptClause), failure);
}

// A download that ended without a whole list: the status bar says so, and
// the failure goes on to tell what the site did.
EListNotTaken DownloadFailure(TStatusBar& bar, const std::string& failure) {
  bar.SetPanelText(0, "Error downloading!");
  return SiteFailure(failure);
}

// What an error reply said of itself: its status line, or, without one, the
// status text the refresh showed for it.
std::string ReplyStatusLine(const std::string& header) {
  std::string line = header.substr(0, header.find_first_of("\r\n"));
  return line.empty() ? "Error downloading!" : line;
}

ReplyFacts FactsOf(const TNMHTTP& client) {
  ReplyFacts facts;
  facts.headerStarted = !client.Header().empty();
  facts.headerComplete = client.HeaderComplete();
  facts.contentLengthGiven = client.ContentLengthGiven();
  facts.contentLength = client.BytesTotal();
  facts.bodyBytes = client.BytesRecvd();
  return facts;
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
  // No page of a server list comes near this; more is a site gone wrong.
  H->SetCaptureLimit(static_cast<std::int64_t>(MaxListBytes));
  // Bytes that wait unread on the socket came from a live site: only this
  // program kept them waiting (a message box, a menu or a window drag runs a
  // loop of its own, which reads nothing), so they are no silence.
  stallWatch_ = std::make_unique<TStallWatch>(
      Application(), StallLimitMs, [this] { H->Abort(); }, [this] { return H->DataAvailable(); });
  Button3->OnClick = [this] { ClickRA(); };
  OnClose = [this](TCloseAction& action) { FormClose(action); };
  OnCancel = [this] { StopRefresh(); };
}

void TForm1::ClickRA() {
  // The disabled panel keeps a second refresh from starting inside this one;
  // this keeps it from any other way in too.
  if (refreshing_) return;
  refreshing_ = true;
  stopRequested_ = false;
  Panel1->SetEnabled(false);
  // Whatever the outcome: the count text (or, once the user stopped it, what
  // became of the refresh), then the panel back, and only then does an error
  // go on to the error box.
  struct EndOfRefresh {
    TForm1& form;
    ~EndOfRefresh() {
      form.stallWatch_->Stop();
      form.AckwList();
      if (form.stopRequested_ && !form.closing_) form.SB->SetPanelText(0, StoppedText);
      form.Panel1->SetEnabled(true);
      form.refreshing_ = false;
      form.stopRequested_ = false;
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
    if (closing_ || stopRequested_) return;
    std::string failure;
    try {
      if (TryListUrl(url)) return;
      failure = ReplyStatusLine(H->Header());
    } catch (const EListNotTaken& error) {
      failure = error.Failure();
    } catch (const Exception& error) {
      // An error after the list was taken (saving it) is no failure of the site.
      if (listTaken_) throw;
      failure = stallWatch_->Stalled() ? StallFailure() : error.what();
    }
    if (closing_ || stopRequested_) return;
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
  } catch (const ESockError& error) {
    // The window's close or the user's stop aborted the download: the abort's
    // text would only tell them what they just did.
    if (closing_ || stopRequested_) return false;
    if (stallWatch_->Stalled()) throw ESockError(StallText());
    if (dynamic_cast<const ETextTooLong*>(&error)) throw DownloadFailure(*SB, ReplyTooLargeText());
    // Whatever arrived before the break is not known to be all there was.
    if (dynamic_cast<const EConnectionBroken*>(&error))
      throw DownloadFailure(*SB, BrokenOffText(error.Message(), H->BytesRecvd()));
    throw;
  }
  stallWatch_->Stop();
  return listTaken_;
}

void TForm1::StopRefresh() {
  if (!refreshing_ || stopRequested_) return;
  stopRequested_ = true;
  // The download's wait is below on this thread's stack: it ends as soon as
  // this handler returns to it.
  H->Abort();
}

void TForm1::HSuccess(CmdType) {
  // Once the window is closing or the user stopped the refresh, nothing is written.
  if (closing_ || stopRequested_) return;
  const std::string& body = H->Body();
  const ReplyFacts facts = FactsOf(*H);
  // A reply cut short must never stand in for the list: the page is read
  // aside, and only a whole one replaces the grid.
  if (std::string cut = HowTheReplyWasCut(facts); !cut.empty()) throw DownloadFailure(*SB, cut);
  ListRows rows(Grid.ColumnCount());
  ServerTableState table = ServerTableState::None;
  try {
    table = ScrapeServerList(body, rows);
  } catch (const EListTooLarge&) {
    throw DownloadFailure(*SB, TooManyServersSentText());
  }
  // A reply that is not the list (an error page, an empty reply) would
  // otherwise replace a good list with an empty one.
  if (table == ServerTableState::None) {
    SB->SetPanelText(0, "Error downloading!");
    throw EListNotTaken(NoServerListText, NoServerListFailure);
  }
  if (std::string cut = HowThePageWasCut(facts, table); !cut.empty())
    throw DownloadFailure(*SB, cut);
  SB->SetPanelText(0, "Download complete");
  listTaken_ = true;
  FillGrid(rows);
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
  SB->SetProgressText(0, std::to_string(H->BytesRecvd()) + " bytes received... (Please wait)");
}

void TForm1::FormClose(TCloseAction&) {
  closing_ = true;
  H->Abort();
}

}  // namespace velloran
