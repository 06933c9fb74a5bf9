#pragma once
// The main window: the one window of the program, with the server grid, the
// control panel, the status bar and the links.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ListAddress.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Form.h"
#include "framework/GridControl.h"
#include "framework/PopupMenu.h"
#include "framework/StdCtrls.h"
#include "gif/GIFImage.h"
#include "grid/kstrgrid.h"
#include "net/NMHttp.h"

namespace velloran {

class ServerCheck;
class TStallWatch;

class TForm1 : public TForm {
 public:
  // Sources: the addresses of the server-list page that "Refresh" tries, and
  // the list files to load once the window is up.
  explicit TForm1(TComponent* owner, ListSources sources = {{BuiltInListUrl()}, {}});
  ~TForm1() override;

  static constexpr const char* Caption = "Velloran 1.1 [for WinMX 3] ";

  // The list lives here; GridControl shows it.
  TKStringGrid Grid;

  TLabel* Label5 = nullptr;
  TBevel* Bevel1 = nullptr;
  TImage* Image3 = nullptr;
  TLabel* Label1 = nullptr;
  TImage* Image1 = nullptr;
  TImage* Image2 = nullptr;
  TGridControl* GridControl = nullptr;
  TPanel* Panel1 = nullptr;
  TStatusBar* SB = nullptr;

  TButton* Button2 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TButton* Button1 = nullptr;
  TRadioButton* RadioButton1 = nullptr;
  TRadioButton* RadioButton2 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TLabel* Label2 = nullptr;
  TEdit* Edit1 = nullptr;
  TLabel* Label3 = nullptr;
  TEdit* Edit2 = nullptr;
  TLabel* Label6 = nullptr;
  TEdit* Edit4 = nullptr;
  TLabel* Label7 = nullptr;
  TLabel* Label4 = nullptr;
  TEdit* Edit3 = nullptr;
  TButton* Button3 = nullptr;
  TPanel* Panel4 = nullptr;

  // The logos over the image areas; they answer the same clicks.
  TGIFImage* GIFImage1 = nullptr;  // over Image3
  TGIFImage* GIFImage2 = nullptr;  // over Image1
  TGIFImage* GIFImage3 = nullptr;  // over Image2
  // The HTTP client that downloads the list.
  TNMHTTP* H = nullptr;

  void AckwList();
  // Replaces the list by Rows, a whole list read aside (its texts are taken
  // over), and saves it.
  void FillGrid(CellTable& rows);
  void ClickAddServer();
  void Button1Click();
  void Image1Click();
  void Image2Click();
  void Image3Click();
  void Panel4Click();

  // The refresh (app/Refresh.cpp).
  void ClickRA();
  void HSuccess(CmdType cmd);
  void HFailure(CmdType cmd);
  void HConnectionFailed(TComponent* sender);
  void HInvalidHost(bool& handled);
  void HStatus(TComponent* sender, const std::string& status);
  void HPacketRecvd(TComponent* sender);
  void FormClose(TCloseAction& action);
  // Ends a running refresh, keeping the old list (the shortcut menu's "Stop
  // refresh" and Escape).
  void StopRefresh();
  bool Refreshing() const { return refreshing_; }

  // The grid's shortcut menu (app/GridMenu.cpp): each feature adds its own
  // commands to it.
  void GridContextPopup(int screenX, int screenY);
  // The server check's commands (app/ServerCheckCommands.cpp).
  void AddServerCheckItems(TPopupMenu& menu);
  void CheckServers();
  void StopServerCheck();
  void SelectServersThatAnswered();
  void CopySelectedRows();
  // Loading a list from a file (app/ListFileCommands.cpp): from the menu, a
  // drop on the window or the command line. Paths are in UTF-8. Of several
  // files the first that holds a list is taken; when none does, one error
  // box names each.
  void AddListFileItems(TPopupMenu& menu);
  void LoadListFiles(const std::vector<std::string>& paths);
  // Every way that puts a new list into the grid calls this afterwards:
  // whatever was known about the old rows no longer holds.
  void ListReplaced();

 private:
  void CreateControls();
  void CreatePanelControls();
  void CreateLogos();
  void FormCreate();
  void OpenPage(const char* address);
  std::string CachePath() const;

  void CreateClient();
  // One address's try of a refresh; true when its list was taken.
  bool TryListUrl(const std::string& url);
  // Puts Rows, a whole list, into the grid in one step (taking its texts
  // over), then saves it as a download's is.
  void ReplaceList(CellTable& rows);
  void AcceptListFiles();
  void LoadListFromDialog();
  // Shows why a list can't be loaded now, if it can't.
  bool ListLoadRefused();
  void LoadListFile(const std::string& path);

  // The server check, made when first used.
  struct ServerCheckState;
  struct ServerCheckStateDeleter {
    void operator()(ServerCheckState* state) const;
  };
  ServerCheck& TheServerCheck();
  void ShowCheckProgress();
  std::unique_ptr<ServerCheckState, ServerCheckStateDeleter> serverCheck_;

  const std::vector<std::string> listUrls_;
  const std::vector<std::string> listFiles_;
  std::unique_ptr<TStallWatch> stallWatch_;
  // Set once the window closes: a download under way ends and writes nothing.
  bool closing_ = false;
  bool refreshing_ = false;
  // Set when the user stops the refresh under way: it ends, writes nothing
  // and says so in place of an error.
  bool stopRequested_ = false;
  bool addingServers_ = false;
  // Set once a new list goes into the grid: an error after that (saving it)
  // is no failure of the list's source.
  bool listTaken_ = false;
};

}  // namespace velloran
