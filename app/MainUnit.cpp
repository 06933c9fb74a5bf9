#include "app/MainUnit.h"

#include <shellapi.h>

#include <memory>
#include <utility>

#include "app/AddServers.h"
#include "app/CacheFile.h"
#include "app/FileDate.h"
#include "app/Links.h"
#include "app/ListFile.h"
#include "app/Resources.h"
#include "app/StallWatch.h"
#include "app/ServerGrid.h"
#include "app/Win32WindowDriver.h"
#include "framework/Application.h"
#include "framework/Registry.h"

namespace velloran {
namespace {

FormArgs MainWindowArgs() {
  FormArgs args;
  args.caption = TForm1::Caption;
  args.clientWidth = 741;
  args.clientHeight = 468;
  args.color = clBtnFace;
  args.font = TFont("MS Sans Serif", -10);
  args.iconResource = IDI_VELLORAN;
  args.desktopCenter = true;
  return args;
}

template <typename Args = ControlArgs>
Args At(int left, int top, int width, int height, const std::string& text = "",
        std::optional<int> tabOrder = std::nullopt) {
  return PlaceAt<Args>(left, top, width, height, text, tabOrder);
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

const TFont SmallFonts("Small Fonts", -9);
const TFont TitleFont("Impact", -51, 0, clInactiveCaption);

LabelArgs RightLabel(int left, int top, int width, int height, const char* text) {
  auto args = At<LabelArgs>(left, top, width, height, text);
  args.alignment = TLabelAlignment::Right;
  args.transparent = true;
  return args;
}

EditArgs InfoEdit(int left, int top, int width, int height, const char* text, int tabOrder,
                  bool readOnly = false) {
  auto args = At<EditArgs>(left, top, width, height, text, tabOrder);
  args.color = clInfoBk;
  args.readOnly = readOnly;
  return args;
}

}  // namespace

TForm1::TForm1(TComponent* owner, ListSources sources)
    : TForm(owner, MainWindowArgs()),
      listUrls_(std::move(sources.urls)),
      listFiles_(std::move(sources.files)) {
  SetUpServerGrid(Grid);
  Grid.SetRegistry([] { return std::unique_ptr<RegistryAccess>(std::make_unique<TRegistry>()); });
  CreateControls();
  CreateClient();
  // An error in a start-up step ends creation there; the window stays usable.
  GuardHandler(Application(), [this] { FormCreate(); });
  AcceptListFiles();
  // After the start-up load, so that a file that is no list leaves the cached one.
  if (!listFiles_.empty()) GuardHandler(Application(), [this] { LoadListFiles(listFiles_); });
}

TForm1::~TForm1() {
  // The check's sockets and window first: nothing of it reaches the controls.
  serverCheck_.reset();
  // The controls go before the grid they show.
  DestroyComponents();
}

void TForm1::CreateControls() {
  auto title = At<LabelArgs>(8, 8, 267, 63, "Velloran 1.1");
  title.font = TitleFont;
  Label5 = &Create<TLabel>(title);
  Label5->OnClick = [this] { Panel4Click(); };

  Bevel1 = &Create<TBevel>(At(304, 8, 9, 65));
  Image3 = &Create<TImage>(At(328, 26, 89, 31));
  Image3->OnClick = [this] { Image3Click(); };
  auto caption = At<LabelArgs>(327, 55, 39, 11, "OpenNap");
  caption.transparent = true;
  caption.font = SmallFonts;
  Label1 = &Create<TLabel>(caption);
  Image1 = &Create<TImage>(At(431, 21, 226, 36));
  Image1->OnClick = [this] { Image1Click(); };
  Image2 = &Create<TImage>(At(667, 15, 62, 58));
  Image2->OnClick = [this] { Image2Click(); };

  GridControl = &Create<TGridControl>(Grid, At(9, 88, 720, 257, "", 0));
  Grid.OnContextPopup = [this](TKStringGrid&, int x, int y) { GridContextPopup(x, y); };

  auto panel = At<PanelArgs>(8, 352, 721, 89, "", 1);
  panel.font = SmallFonts;
  Panel1 = &Create<TPanel>(panel);
  CreatePanelControls();

  StatusBarArgs status;
  status.height = 23;
  status.panelWidths = {300};
  SB = &Create<TStatusBar>(status);
  CreateLogos();
}

void TForm1::CreateLogos() {
  // Each carries its picture as form data in the program's resources.
  auto logo = [this](const ControlArgs& place, int resource, void (TForm1::*click)()) {
    TGIFImage& image = Create<TGIFImage>(place);
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(10));
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    if (loaded) {
      const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
      image.ReadData({bytes, SizeofResource(nullptr, found)});
    }
    image.Loaded();
    image.OnClick = [this, click] { (this->*click)(); };
    // Above the image areas they lie over.
    SetWindowPos(image.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return &image;
  };
  GIFImage1 = logo(At(328, 24, 89, 33), IDR_LOGO_OPENNAP, &TForm1::Image3Click);
  GIFImage2 = logo(At(432, 16, 225, 41), IDR_LOGO_WINMX, &TForm1::Image1Click);
  GIFImage3 = logo(At(664, 16, 65, 57), IDR_LOGO_SERVERLIST, &TForm1::Image2Click);
}

void TForm1::CreatePanelControls() {
  TPanel& panel = *Panel1;
  Button2 = &panel.Create<TButton>(At(0, 0, 721, 25, "Add servers", 1));
  Button2->OnClick = [this] { ClickAddServer(); };
  CheckBox1 =
      &panel.Create<TCheckBox>(At<CheckableArgs>(320, 40, 153, 17, "Add selected servers only", 9));
  Button1 = &panel.Create<TButton>(At(320, 57, 145, 14, "Select all above cursor", 8));
  Button1->OnClick = [this] { Button1Click(); };
  auto byIp = At<CheckableArgs>(7, 44, 72, 14, "by IP address", 5);
  byIp.checked = true;
  RadioButton1 = &panel.Create<TRadioButton>(byIp);
  RadioButton2 = &panel.Create<TRadioButton>(At<CheckableArgs>(7, 57, 58, 14, "by host", 4));
  auto registering = At<CheckableArgs>(8, 70, 121, 14, "Register on first connect", 11);
  registering.checked = true;
  CheckBox2 = &panel.Create<TCheckBox>(registering);
  Label2 = &panel.Create<TLabel>(RightLabel(152, 44, 23, 11, "Login"));
  Edit1 = &panel.Create<TEdit>(InfoEdit(186, 44, 98, 10, "YourName", 0));
  Label3 = &panel.Create<TLabel>(RightLabel(133, 57, 42, 11, "Password"));
  Edit2 = &panel.Create<TEdit>(InfoEdit(186, 57, 98, 10, "", 3));
  Label6 = &panel.Create<TLabel>(RightLabel(152, 70, 23, 11, "Email"));
  Edit4 = &panel.Create<TEdit>(InfoEdit(186, 71, 98, 10, PlaceholderEmail, 10));
  auto arrow = At<LabelArgs>(528, 26, 27, 55, ">");
  arrow.font = TitleFont;
  Label7 = &panel.Create<TLabel>(arrow);
  Label4 = &panel.Create<TLabel>(RightLabel(560, 40, 59, 11, "Last refreshed"));
  Edit3 = &panel.Create<TEdit>(InfoEdit(560, 52, 100, 10, "", 6, /*readOnly=*/true));
  Button3 = &panel.Create<TButton>(At(560, 64, 100, 14, "Refresh", 2));
  Panel4 = &panel.Create<TPanel>(At<PanelArgs>(704, 72, 25, 22, "?", 7));
  Panel4->OnClick = [this] { Panel4Click(); };
}

void TForm1::FormCreate() {
  // Shown before anything is loaded, so that a first download runs with the window on screen.
  Show();
  std::string cache = CachePath();
  // A save that could not put its new list in place left it beside the place.
  RecoverUnplacedCache(cache);
  if (FileExists(cache)) {
    Grid.Columns().LoadFromRegistry(ServerListKey, 1);
    Edit3->SetText(FileDateText(cache));
    ListRows rows(Grid.ColumnCount());
    LoadGridFile(rows, cache);
    Grid.TakeRows(rows);
    ListReplaced();
  } else if (listFiles_.empty()) {
    // The window is on the screen already, so the first download shows its progress.
    ClickRA();
  }
  AckwList();
}

std::string TForm1::CachePath() const {
  return ExeFolder() + CacheFileName;
}

void TForm1::AckwList() {
  SB->SetPanelText(0, std::to_string(Grid.RowCount()) + " servers");
}

void TForm1::FillGrid(CellTable& rows) {
  ReplaceList(rows);
}

void TForm1::ReplaceList(CellTable& rows) {
  // All or nothing: a failure here leaves the old list in the grid. The
  // texts move over; the rows aside are not needed afterwards.
  Grid.TakeRows(rows);
  Grid.Columns().SaveToRegistry(ServerListKey);
  std::string cache = CachePath();
  ListReplaced();
  SaveGridFile(Grid, cache);
  Edit3->SetText(FileDateText(cache));
}

void TForm1::Button1Click() {
  Grid.SetSelection(SelectAllAboveCursor(Grid.Selection()));
}

namespace {

// The main window's side of an add-servers run.
class RunWindow final : public AddServersWindow {
 public:
  explicit RunWindow(TForm1& form) : form_(form), application_(*form.Application()) {}
  void SetStatusText(const std::string& text) override { form_.SB->SetPanelText(0, text); }
  void ShowMessage(const std::string& text) override { application_.ShowMessage(text); }
  void WriteBackLogin(const std::string& login, const std::string& password) override {
    form_.Edit1->SetText(login);
    form_.Edit2->SetText(password);
  }
  void ProcessMessages() override { application_.ProcessMessages(); }
  void WaitForMessages(std::chrono::milliseconds limit) override {
    application_.WaitForMessages(static_cast<DWORD>(limit.count()));
  }
  bool Ending() override { return application_.Terminated(); }

 private:
  TForm1& form_;
  TApplication& application_;
};

}  // namespace

void TForm1::ClickAddServer() {
  // The run owns the status bar from here.
  StopServerCheck();
  // The run handles the window's messages while it waits: the lower panel
  // stays disabled meanwhile, so that neither a second run nor a refresh
  // starts inside it, and the grid too, so that no sort reorders its rows.
  Panel1->SetEnabled(false);
  GridControl->SetEnabled(false);
  addingServers_ = true;
  struct Enable {
    TForm1& form;
    ~Enable() {
      form.addingServers_ = false;
      form.GridControl->SetEnabled(true);
      form.Panel1->SetEnabled(true);
    }
  } enable{*this};
  AddServersInput input;
  input.login = Edit1->Text();
  input.password = Edit2->Text();
  input.email = Edit4->Text();
  input.byHost = RadioButton2->Checked();
  input.selectedOnly = CheckBox1->Checked();
  input.registerUser = CheckBox2->Checked();
  Win32WindowDriver driver;
  RunWindow window(*this);
  RunAddServers(
      Grid, [this] { return Grid.Selection(); }, input, driver, window);
}

void TForm1::OpenPage(const char* address) {
  // The page's own address: no browser on current Windows still opens a
  // "javascript:" one. Nothing is reported when the shell can't open it.
  ShellExecuteA(Handle(), nullptr, address, nullptr, "c:\\", SW_SHOWNORMAL);
}

void TForm1::Image1Click() {
  OpenPage(WinMXHomePage);
}
void TForm1::Image2Click() {
  OpenPage(ServerListHomePage);
}
void TForm1::Image3Click() {
  OpenPage(OpenNapProjectPage);
}
void TForm1::Panel4Click() {
  OpenPage(ProgramHomePage);
}

}  // namespace velloran
