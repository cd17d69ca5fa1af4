#include "exam/setup/setupscreen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <optional>
#include <vector>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/formtext.h"
#include "common/hotkeys.h"
#include "common/settings.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/workfolders.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "platform/gui/captionfit.h"
#include "platform/gui/handler.h"
#include "platform/gui/x11window.h"
#include "platform/im/imframework.h"
#include "platform/media/sound.h"
#include "exam/record/recordmodule.h"
#include "common/gui/backdrop.h"
#include "exam/run/core/run_services.h"
#include "common/gui/whoami.h"
#include "exam/setup/downloadlink.h"
#include "exam/setup/imechooser.h"
#include "exam/setup/core/setuplogic.h"
#include "exam/setup/smallwindows.h"
#include "exam/setup/updown.h"
#include "common/gui/urllauncher.h"
#include "exam/setup/webpanel.h"

namespace setup {

namespace {

constexpr int kF11 = 122;
constexpr int kF12 = 123;
constexpr int kShiftCtrl = 2;

std::optional<QStringList> g_arguments;

template <class W>
W* Make(QWidget* parent, const char* name) {
  auto* w = new W(parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// Virtual-key code of the function keys the boxes watch.
int FunctionKeyCode(int qtKey) {
  if (qtKey == Qt::Key_F11) return kF11;
  if (qtKey == Qt::Key_F12) return kF12;
  return 0;
}

int ShiftState(Qt::KeyboardModifiers m) {
  int s = 0;
  if (m & Qt::ShiftModifier) s |= 1;
  if (m & Qt::ControlModifier) s |= 2;
  if (m & Qt::AltModifier) s |= 4;
  return s;
}

}  // namespace

SetupHooks& setupHooks() {
  static SetupHooks h;
  return h;
}

void SetProgramArguments(const QStringList& arguments) { g_arguments = arguments; }

QStringList ProgramArguments() {
  if (g_arguments) return *g_arguments;
  return QCoreApplication::arguments().mid(1);
}

// ---------------------------------------------------------------------------
// Construction: the design's controls and places.

輸入資料表面::輸入資料表面() : Form(QStringLiteral("輸入資料表面")) {
  // A main window, not a dialog: it is the program's taskbar entry.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowMinimizeButtonHint);
  BuildControls();
}

輸入資料表面::~輸入資料表面() = default;

void 輸入資料表面::Place(QWidget* w, const plat::TwipsBox& box) {
  geometry_[w] = box;
  plat::SetTwipsGeometry(w, box);
}

void 輸入資料表面::SetLeft(QWidget* w, int left) {
  plat::TwipsBox b = Geometry(w);
  b.left = left;
  Place(w, b);
}

plat::TwipsBox 輸入資料表面::Geometry(const QWidget* w) const {
  auto it = geometry_.find(w);
  return it != geometry_.end() ? *it : plat::TwipsGeometry(w);
}

void 輸入資料表面::SetFormHeight(int twips) {
  setFixedSize(plat::TwipsToPixels(formWidth_), plat::TwipsToPixels(twips));
}

void 輸入資料表面::BuildControls() {
  // Controls are placed by the design's plan once they are all made.
  auto label = [this](const char* name, const QString& text, QWidget* parent = nullptr) {
    QLabel* l = Make<QLabel>(parent ? parent : this, name);
    l->setText(text);
    return l;
  };
  auto edit = [this](const char* name, const QString& tip = {}) {
    QLineEdit* e = Make<QLineEdit>(this, name);
    e->setToolTip(tip);
    return e;
  };
  auto button = [this](const char* name, const QString& text, const QString& tip = {}, QWidget* parent = nullptr) {
    QPushButton* b = Make<QPushButton>(parent ? parent : this, name);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
  };
  auto frame = [this](const char* name, const QString& text) {
    QGroupBox* g = Make<QGroupBox>(this, name);
    g->setTitle(text);
    return g;
  };
  auto option = [](QGroupBox* parent, const char* name, const QString& text) {
    QRadioButton* o = Make<QRadioButton>(parent, name);
    o->setText(text);
    return o;
  };

  // Particulars.
  Label1 = label("Label1", QStringLiteral("請輸入您的姓名："));
  Text1 = edit("Text1", QStringLiteral("請輸入您的姓名(中英文皆可)!"));
  Label8 = label("Label8", QStringLiteral("請輸入您的生日：　　　年　　　　月　　日"));
  Text6A = edit("Text6A", QStringLiteral("請輸入您的生日(西元幾年)1911-9999!"));
  Text6B = edit("Text6B", QStringLiteral("請輸入您的生日(月份)!"));
  Text6C = edit("Text6C", QStringLiteral("請輸入您的生日(幾日生)!"));
  Label9 = label("Label9", QStringLiteral("(西元)"));
  Label2 = label("Label2", QStringLiteral("請輸入身分證號："));
  Text2 = edit("Text2", QStringLiteral("請輸入您的身分證字號!"));
  Label10 = label("Label10", QStringLiteral("請輸入班級座號："));
  Text6 = edit("Text6", QStringLiteral("請輸入您的班級座號!"));
  for (QLineEdit* e : {Text6A, Text6B, Text6C}) e->setMaxLength(4);
  QFont small = Label9->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  Label9->setFont(small);

  // The test.
  Label3 = label("Label3", QStringLiteral("請輸入測驗題目："));
  Text3 = edit("Text3", QStringLiteral("請輸入測驗題目,或按\"尋找檔案\"鈕指定!"));
  Command3 = button("Command3", QStringLiteral("尋找檔案"), QStringLiteral("可幫您在硬碟和任何網路磁碟機中尋找檔案!"));
  Command4 = button("Command4", QStringLiteral("自動抽取題目"), QStringLiteral("按這裡可由電腦幫您選題目!"));
  Label6 = label("Label6", QStringLiteral("請準備好檔名　　　　　　　　的試卷"));
  Label7 = label("Label7", QString());
  QFont bold = Label7->font();
  bold.setBold(true);
  Label7->setFont(bold);
  Label7->setAlignment(Qt::AlignCenter);

  Label4 = label("Label4", QStringLiteral("請輸入測驗時間：　　　分鐘"));
  Text4 = edit("Text4", QStringLiteral("請選擇測驗時間(分鐘)"));
  UpDown1 = new UpDown(this, 1, 99, 1);
  UpDown1->setObjectName(QStringLiteral("UpDown1"));
  Label5 = label("Label5", QStringLiteral("請輸入測驗別：第　　　 次"));
  Text5 = edit("Text5");
  UpDown2 = new UpDown(this, 1, 10, 1);
  UpDown2->setObjectName(QStringLiteral("UpDown2"));
  Text4->setText(QStringLiteral("1"));
  Text5->setText(QStringLiteral("1"));
  for (QLineEdit* e : {Text4, Text5}) e->setAlignment(Qt::AlignCenter);

  // Options.
  Frame1 = frame("Frame1", QStringLiteral("請選擇打字文稿的顯示方式："));
  Option1 = option(Frame1, "Option1", QStringLiteral("顯示打字文稿於螢幕上"));
  Option2 = option(Frame1, "Option2", QStringLiteral("不顯示打字文稿於螢幕上"));
  Option1->setChecked(true);
  Frame2 = frame("Frame2", QStringLiteral("成績自動存到磁碟片"));
  Option3 = option(Frame2, "Option3", QStringLiteral("不存"));
  Option4 = option(Frame2, "Option4", QStringLiteral("要存"));
  Option4->setChecked(true);
  Frame3 = frame("Frame3", QStringLiteral("請選擇練習的聲音速度："));
  Option5 = option(Frame3, "Option5", QStringLiteral("慢速"));
  Option6 = option(Frame3, "Option6", QStringLiteral("中等"));
  Option7 = option(Frame3, "Option7", QStringLiteral("正式檢定"));
  Frame4 = frame("Frame4", QStringLiteral("儲存成績於"));
  Check1 = Make<QCheckBox>(Frame4, "Check1");
  Check1->setText(QStringLiteral("指定路徑"));
  Check1->setToolTip(QStringLiteral("本機資料夾或區域網路的主機分享路徑"));
  Command7 = button("Command7", QStringLiteral("..."), QStringLiteral("請指定本機資料夾或區域網路的主機分享路徑"), Frame4);
  Check2 = Make<QCheckBox>(Frame4, "Check2");
  Check2->setText(QStringLiteral("主機或IP位址"));
  Check2->setToolTip(QStringLiteral("區域網路主機或遠端(外部)網路位址"));
  Command8 = button("Command8", QStringLiteral("..."), QStringLiteral("請指定區域或遠端網路主機名稱或IP位址"), Frame4);

  // Start and leave.
  Command1 = button("Command1", QStringLiteral("開始"), QStringLiteral("您準備好了嗎?按下就開始囉!!"));
  Command2 = button("Command2", QStringLiteral("結束本軟體"), QStringLiteral("若不想測驗,可按下結束本軟體!"));
  QFont big = Command1->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  big.setBold(true);
  Command1->setFont(big);

  // The row of further buttons.
  Command5 = button("Command5", QStringLiteral("進階設定"));
  Command6 = button("Command6", QStringLiteral("音量測試"), QStringLiteral("測驗前建議您先試聽並調整試題音量！"));
  Command9 = button("Command9", QStringLiteral("連絡我們"));
  Command10 = button("Command10", QStringLiteral("連線成績"));
  Command11 = button("Command11", QStringLiteral("操作說明"));

  WebBrowser2 = new WebPanel(this);
  WebBrowser2->setObjectName(QStringLiteral("WebBrowser2"));

  controls_ = {Label1,  Label2,  Label3,  Label4,  Label5,   Label6,   Label7,   Label8,    Label9,    Label10,
               Text1,   Text2,   Text3,   Text4,   Text5,    Text6,    Text6A,   Text6B,    Text6C,    UpDown1,
               UpDown2, Frame1,  Frame2,  Frame3,  Frame4,   Option1,  Option2,  Option3,   Option4,   Option5,
               Option6, Option7, Check1,  Check2,  Command1, Command2, Command3, Command4,  Command5,  Command6,
               Command7, Command8, Command9, Command10, Command11, WebBrowser2};
  plan_ = DesignPlan();
  PlaceControls(plan_);
  SetFormHeight(plan_.formHeight);

  // Handlers: the event loop calls each through plat::RunHandler, under its
  // design name.
  using Handler = void (輸入資料表面::*)();
  auto handlerOf = [this](const QString& procedure, Handler handler) {
    return [this, procedure, handler] { plat::RunHandler(procedure, [this, handler] { (this->*handler)(); }); };
  };
  const std::pair<QAbstractButton*, Handler> clicks[] = {
      {Command1, &輸入資料表面::Command1_Click},   {Command2, &輸入資料表面::Command2_Click},
      {Command3, &輸入資料表面::Command3_Click},   {Command4, &輸入資料表面::Command4_Click},
      {Command5, &輸入資料表面::Command5_Click},   {Command6, &輸入資料表面::Command6_Click},
      {Command7, &輸入資料表面::Command7_Click},   {Command8, &輸入資料表面::Command8_Click},
      {Command9, &輸入資料表面::Command9_Click},   {Command10, &輸入資料表面::Command10_Click},
      {Command11, &輸入資料表面::Command11_Click}, {Check1, &輸入資料表面::Check1_Click},
      {Check2, &輸入資料表面::Check2_Click},       {Option1, &輸入資料表面::Option1_Click},
      {Option2, &輸入資料表面::Option2_Click},
  };
  for (const auto& [b, handler] : clicks)
    QObject::connect(b, &QAbstractButton::clicked, this,
                     handlerOf(b->objectName() + QStringLiteral("_Click"), handler));
  const std::pair<QLineEdit*, Handler> changes[] = {
      {Text3, &輸入資料表面::Text3_Change}, {Text4, &輸入資料表面::Text4_Change}, {Text5, &輸入資料表面::Text5_Change}};
  for (const auto& [e, handler] : changes)
    QObject::connect(e, &QLineEdit::textChanged, this, handlerOf(e->objectName() + QStringLiteral("_Change"), handler));
  UpDown1->Change = handlerOf(QStringLiteral("UpDown1_Change"), &輸入資料表面::UpDown1_Change);
  UpDown2->Change = handlerOf(QStringLiteral("UpDown2_Change"), &輸入資料表面::UpDown2_Change);
  for (QLineEdit* e : {Text1, Text2, Text3, Text6A, Text6B, Text6C}) e->installEventFilter(this);
  const auto sync = handlerOf(QStringLiteral("SyncSetupValues"), &輸入資料表面::SyncSetupValues);
  for (QLineEdit* e : {Text1, Text2, Text3, Text4, Text5, Text6, Text6A, Text6B, Text6C})
    QObject::connect(e, &QLineEdit::textChanged, this, sync);
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{Option1, Option2, Option3, Option4, Option5,
                                                                     Option6, Option7, Check1, Check2})
    QObject::connect(b, &QAbstractButton::toggled, this, sync);
}

// ---------------------------------------------------------------------------
// Start-up

void 輸入資料表面::Form_Load() {
  using namespace common;
  FirstActivated = false;

  // Backdrops, which take no clicks; this screen is shown over them.
  common::ShowBackdrops();

  ProgramFolder.set(plat::ProgramFolder());
  SettingsBase.set(ProgramFolder.get() + rec::testRecordModule().OwnProgramName);
  if (LoadSettings() == LoadResult::FatalNoSettings) {
    plat::app().EndProgram(1);
    return;
  }
  LoadHotKeys();
  // Folders in the settings are relative to the installation folder.
  if (DataPath.get().size() > 1) DataPath.set(FolderInProgramFolder(DataPath.get()));
  if (TestFolder.get().size() > 1) TestFolder.set(FolderInProgramFolder(TestFolder.get()));

  ApplyFormText(1, this);
  Magic();
  SetTitle();

  Text4->setText(QString::number(Setting201.get()));
  TestNumber.set(1);
  Text5->setText(QString::number(TestNumber.get()));
  UpDown1->SetValue(static_cast<int>(plat::RoundHalfEven(BoxNumber(Text4->text())).value_or(0)));
  UpDown2->SetValue(static_cast<int>(plat::RoundHalfEven(BoxNumber(Text5->text())).value_or(0)));

  Text3->setText(rec::testRecordModule().ResolveTestDataPath());

  FillDownloadFields();

  if (setupHooks().RefreshNoteSettings) setupHooks().RefreshNoteSettings();

  ReadCommandLine();
  ApplySettings(true);
  if (plat::app().Ending()) return;

  rec::testRecordModule().PrepareImeName = [](rec::SetupValues& v) {
    frmIME& f = plat::forms::loaded<frmIME>();
    f.TakeTypedMethod();
    v.imeName = f.Combo1->currentText();
  };
  plat::CentreOnScreen(this);
}

// ---------------------------------------------------------------------------
// The settings after the note refresh. A newer note that comes before Start
// goes through here again, so the screen never shows other settings than the
// ones Start checks by.

void 輸入資料表面::ApplySettings(bool atLoad) {
  applying_ = true;
  // A note that comes while a box of this is open goes round once more.
  for (bool first = true; first || applyAgain_; first = false) {
    applyAgain_ = false;
    ApplySettingsOnce(atLoad && first);
    if (plat::app().Ending()) break;
  }
  applying_ = false;
  settingsApplied_ = true;
}

void 輸入資料表面::ApplySettingsOnce(bool atLoad) {
  using namespace common;
  const Choices before = CurrentChoices();
  ScreenState state = state_;
  if (!atLoad) state.before = before;
  const ScreenPlan previous = plan_;
  plan_ = ComputeScreenPlan(startup_, ReadScreenSettings(), state);
  ApplyPlan(plan_, before);
  if (plan_[Ctl::WebBrowser2].shown) static_cast<WebPanel*>(WebBrowser2)->Navigate(plan_.panelPage);
  TakeLock(previous);

  if (!state_.launcher.given) {
    if (SystemIniValue(199).asInt() == 1) {
      const plat::Answer a = plat::prompt().Ask(StoreText(10177) + u'\n' + StoreText(10178), StoreText(10179),
                                                plat::Buttons::YesNo, plat::Icon::Exclamation);
      if (a == plat::Answer::Yes) {
        const QString address = SystemIniValue(198).asText();
        common::OpenUrlChecked(plat::WebUrl(address), address, QStringLiteral("輸入資料表面"));
        plat::beeper().Beep();
      }
      plat::app().EndProgram(0);
      return;
    }
    if (SystemIniValue(204).asInt() == 1) {
      const QString folder = plat::TempFolder();
      for (const QString& name : plat::FindFiles(folder, u"~T*.txt")) {
        const QString path = folder + u'/' + name;
        if (!QFile::remove(path)) WriteErrorLog(QStringLiteral("無法刪除殘留的作答檔>") + path);
      }
    }
    // A note changes settings, not the run: the report goes on.
    if (atLoad) CreateErrorReport();
  }
  WarnOfFolders(atLoad);
  if (atLoad) WarnOfWindowSystem();

  // The chooser is read into the record at the end of the test; loaded now it
  // can also show itself, so the candidate's pick reaches the record.
  // The record names the method text was committed with, watched from now.
  plat::TypedEngine::Watch();
  if (SystemIniValue(1147).asInt() == 1) plat::forms::loaded<frmIME>();

  FitBoxesToCaptions();
  SyncSetupValues();
}

void 輸入資料表面::PlaceControls(const ScreenPlan& plan) {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    QWidget* w = controls_[i];
    const ControlPlan& c = plan.controls[i];
    Place(w, {c.box.left, c.box.top, c.box.width, c.box.height});
    w->setVisible(c.shown);
    w->setEnabled(c.enabled);
  }
}

void 輸入資料表面::ApplyPlan(const ScreenPlan& plan, const Choices& before) {
  PlaceControls(plan);
  if (plan.identityCaption) {
    Label2->setText(*plan.identityCaption);
    Text2->setToolTip(*plan.identityCaption);
  }
  if (plan.classCaption) {
    Label10->setText(*plan.classCaption);
    Text6->setToolTip(*plan.classCaption);
  }
  SetFormHeight(plan.formHeight);
  // The plan has set what the buttons' clicks would: the paper line and
  // the folder and host buttons.
  const Choices& c = plan.choices;
  (c.manuscript == 2 ? Option2 : Option1)->setChecked(true);
  (c.floppy == 3 ? Option3 : Option4)->setChecked(true);
  if (c.speed == 5 || c.speed == 6 || c.speed == 7)
    (c.speed == 5 ? Option5 : c.speed == 6 ? Option6 : Option7)->setChecked(true);
  Check1->setChecked(c.check1);
  Check2->setChecked(c.check2);
  if (c.check1 != before.check1) SetColour(Check1, kSystemButtonText);
  if (c.check2 != before.check2) SetColour(Check2, kSystemButtonText);
}

void 輸入資料表面::TakeLock(const ScreenPlan& previous) {
  using namespace common;
  const LauncherParticulars& l = state_.launcher;
  const struct {
    Particular p;
    std::vector<std::pair<QLineEdit*, QString>> boxes;
    QString value;
  } particulars[] = {
      {Particular::Name, {{Text1, l.name}}, l.name},
      {Particular::Birthday, {{Text6A, l.year}, {Text6B, l.month}, {Text6C, l.day}},
       l.year + u'/' + l.month + u'/' + l.day},
      {Particular::Identity, {{Text2, l.identity}}, l.identity},
  };
  for (const auto& c : particulars) {
    const auto row = static_cast<std::size_t>(c.p);
    // Locked boxes show what the launcher gave, also over an entry typed
    // before a note brought the lock.
    if (plan_.locked[row])
      for (const auto& [box, given] : c.boxes)
        if (box->text() != given) box->setText(given);
    // Locked as it came, the start would refuse it for ever.
    if (plan_.opened[row] && !previous.opened[row])
      WriteErrorLog(QStringLiteral("命令列的考生資料不完整,開放考生輸入>") + ParticularName(c.p) + u' ' + c.value);
  }
}

void 輸入資料表面::WarnOfFolders(bool atLoad) {
  using namespace common;
  // A folder the run cannot write into, or whose path the record cannot
  // hold, would lose the record or the score at the end: said now, and
  // Start refuses until it is mended. A note says again only what it changed.
  const QList<FolderProblem> folders = CheckRunFolders();
  QStringList paths;
  for (const FolderProblem& p : folders) paths << p.path;
  if (!atLoad && paths == warnedFolders_) return;
  warnedFolders_ = paths;
  for (const QString& path : paths) WriteErrorLog(QStringLiteral("資料夾無法使用>") + path);
  WarnOfFolderProblems(TestFolderLead(), folders);
}

bool 輸入資料表面::WarnOfWindowSystem() {
  if (!plat::x11::OutOfReach()) return true;
  plat::prompt().Ask(QStringLiteral("這個桌面只有 Wayland,沒有 X 視窗系統(Xwayland)可用,測驗畫面無法保持在最前面,"
                                    "不能開始測驗。請通知考場負責人處理:改以 X11 工作階段登入,或安裝 Xwayland。"),
                     QStringLiteral("警告訊息"), plat::Buttons::Ok, plat::Icon::Exclamation);
  return false;
}

bool 輸入資料表面::NoteArrived(const QString& path) {
  using namespace common;
  if (startPressed_) {
    WriteErrorLog(QStringLiteral("WWW>") + path + QStringLiteral(" 在按下開始之後才收到,下次啟動時套用"));
    return false;
  }
  ReadIniFile(path);
  FillDownloadFields();
  if (applying_) {
    applyAgain_ = true;
  } else if (settingsApplied_) {
    ApplySettings(false);
  }
  // Otherwise the load has yet to come to its settings, and takes these.
  return true;
}

void 輸入資料表面::SetTitle() {
  setWindowTitle(plat::TitleWithMakerAtRight(this, common::ProductTitle.get(), common::MakerLine.get()));
}

void 輸入資料表面::FillDownloadFields() {
  using namespace common;
  DownloadFieldValues& d = DownloadFields();
  d.userSetData = FeatureDigits.get();
  d.text1 = Setting701.get() > 0 ? QStringLiteral("DovoRO__") : QStringLiteral("RudaZO__");
  d.text5 = Text5->text();
  d.text6 = Setting981.get();
  d.text7 = Setting982.get();
  d.text8 = Setting986.get();
  d.text9 = DownloadFieldText.get();
  d.text13 = Setting988.get();
  d.t6 = SystemIniValue(5902).asText();
  if (!Setting985.get().isEmpty()) {
    d.text10 = FtpServerSpec.get();
    d.text11 = Setting985.get();
  }
}

void 輸入資料表面::ReadCommandLine() {
  using namespace common;
  const QString text = ProgramArguments().join(u' ');
  const CommandFields f = SplitCommandFields(text);
  if (!f.Empty()) {
    if (f.truncated) WriteErrorLog(QStringLiteral("命令列超過七個欄位,其餘不用>") + text);
    rec::TestRecordModule& m = rec::testRecordModule();
    if (f.separators < 2 || IsScorerRestart(f)) {
      // The record of the previous run (and its score file): the scorer's
      // "again" sends "record,score" or, to start the series over, ",123".
      m.ScoreFileName(f.Field(1));
      rec::SetupValues v = ValuesFromControls();
      try {
        m.ReadTestRecord(f.Field(0), v);
      } catch (const AppError& e) {
        LogTrappedError(QStringLiteral("ReadTestRecord"), e);
        ShowErrorMessage(e);
      }
      ApplyValues(v);
    } else {
      Text1->setText(f.Field(0));
      Text2->setText(f.Field(1));
      if (const auto d = ParseBirthDate(f.Field(2))) {
        Text6A->setText(d->year);
        Text6B->setText(d->month);
        Text6C->setText(d->day);
      } else {
        Text6A->clear();
        Text6B->clear();
        Text6C->clear();
        if (!f.Field(2).trimmed().isEmpty()) WriteErrorLog(QStringLiteral("命令列的生日不是日期>") + f.Field(2));
      }
    }
    state_.launcher = {true, Text1->text(), Text2->text(), Text6A->text(), Text6B->text(), Text6C->text()};
    if (f.Field(2) == u"123") Text5->setText(QString::number(TestNumber.set(1)));
  }
}

// ---------------------------------------------------------------------------
// Layout helpers: boxes over the blanks of their captions.

void 輸入資料表面::FitBoxesToCaptions() {
  // A box stands in the k-th run of blanks of its caption and is wide enough
  // for `sample` ("120" minutes, a four-digit year); when the desktop's font
  // leaves the run too narrow, the caption gets more blanks, so the words
  // after the box ("分鐘") stand clear of it and of its arrows.
  auto over = [this](QLabel* label, int k, QWidget* box, QWidget* arrows = nullptr, const QString& sample = {}) {
    auto* edit = qobject_cast<QLineEdit*>(box);
    const int arrowWidth = arrows ? Geometry(arrows).width : 0;
    const int gap = 30;
    const int least = edit && !sample.isEmpty() ? plat::PixelsToTwips(plat::LineEditWidthFor(edit, sample)) : 360;
    const auto span = plat::WidenBlankRun(label, k, plat::TwipsToPixels(least + arrowWidth + 2 * gap));
    if (!span) return;
    const plat::TwipsBox lb = Geometry(label);
    const int room = plat::PixelsToTwips(span->second - span->first);
    plat::TwipsBox b = Geometry(box);
    // The box keeps its designed width when the blanks leave room for it,
    // and stands in their middle.
    const int width = std::max(least, std::min(b.width, room - arrowWidth - 2 * gap));
    b.left = lb.left + plat::PixelsToTwips(span->first) + std::max(gap, (room - arrowWidth - width) / 2);
    b.width = width;
    Place(box, b);
    if (arrows) SetLeft(arrows, b.left + b.width);
  };
  over(Label8, 0, Text6A, nullptr, QStringLiteral("0000"));
  over(Label8, 1, Text6B, nullptr, QStringLiteral("00"));
  over(Label8, 2, Text6C, nullptr, QStringLiteral("00"));
  over(Label4, 0, Text4, UpDown1, QStringLiteral("120"));
  over(Label5, 0, Text5, UpDown2, QStringLiteral("10"));
  over(Label6, 0, Label7);
  if (const auto span = plat::BlankRunPixels(Label8, 2)) {
    const QFontMetrics fm(Label8->font());
    SetLeft(Label9, Geometry(Label8).left + plat::PixelsToTwips(fm.horizontalAdvance(Label8->text())) + 60);
  }
}

// ---------------------------------------------------------------------------
// Option groups and the particulars layout

void 輸入資料表面::SetCheckValue(QCheckBox* box, bool ticked) {
  if (box->isChecked() == ticked) return;
  box->setChecked(ticked);
  if (box == Check1) Check1_Click();
  if (box == Check2) Check2_Click();
}

void 輸入資料表面::SetOptionValue(QRadioButton* option) {
  if (option->isChecked()) return;
  option->setChecked(true);
  if (option == Option1) Option1_Click();
  if (option == Option2) Option2_Click();
}

Choices 輸入資料表面::CurrentChoices() const {
  Choices c;
  c.manuscript = Option2->isChecked() ? 2 : 1;
  c.floppy = Option3->isChecked() ? 3 : 4;
  c.speed = Option5->isChecked() ? 5 : Option6->isChecked() ? 6 : Option7->isChecked() ? 7 : 0;
  c.check1 = Check1->isChecked();
  c.check2 = Check2->isChecked();
  return c;
}

void 輸入資料表面::GetKeyNetBox2() {
  const ScoreDestination r = ScoreDestinationFor(common::Setting908.get());
  if (r.check1 >= 0) SetCheckValue(Check1, r.check1 == 1);
  if (r.check2 >= 0) SetCheckValue(Check2, r.check2 == 1);
  if (r.command7 >= 0) Command7->setEnabled(r.command7 == 1);
  if (r.command8 >= 0) Command8->setEnabled(r.command8 == 1);
  if (r.checks >= 0) {
    Check1->setEnabled(r.checks == 1);
    Check2->setEnabled(r.checks == 1);
  }
  if (r.frame >= 0) Frame4->setEnabled(r.frame == 1);
}

void 輸入資料表面::Magic() {
  startup_ = ReadStartupSettings();
  // A hidden identity row is not checked.
  if (HiddenRows(startup_.layout)[3]) common::Setting917.set(0);
}

void 輸入資料表面::LockTestChoice() {
  state_.testChoiceLocked = true;
  for (QWidget* w : std::initializer_list<QWidget*>{Text3, Command3, Command4}) w->setEnabled(false);
}

// ---------------------------------------------------------------------------
// Field handlers

void 輸入資料表面::Check1_Click() {
  Command7->setEnabled(Check1->isChecked());
  SetColour(Check1, kSystemButtonText);
}

void 輸入資料表面::Check2_Click() {
  Command8->setEnabled(Check2->isChecked());
  SetColour(Check2, kSystemButtonText);
}

void 輸入資料表面::SetColour(QCheckBox* box, int colour) {
  (box == Check1 ? Check1Colour : Check2Colour) = colour;
  QPalette p = box->palette();
  if (colour == kSystemButtonText) {
    p.setColor(QPalette::WindowText, palette().color(QPalette::ButtonText));
  } else {
    p.setColor(QPalette::WindowText, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
  }
  box->setPalette(p);
}

void 輸入資料表面::Option1_Click() {
  const bool show = PaperLineShown(1, common::Setting980.get());
  Label6->setVisible(show);
  Label7->setVisible(show);
}

void 輸入資料表面::Option2_Click() {
  const bool show = PaperLineShown(2, common::Setting980.get());
  Label6->setVisible(show);
  Label7->setVisible(show);
}

void 輸入資料表面::Text3_Change() { Label7->setText(FileNameOf(Text3->text())); }

void 輸入資料表面::Text4_Change() {
  const double v = BoxNumber(Text4->text());
  if (v < 100)
    if (const auto r = plat::RoundHalfEven(v)) UpDown1->SetValue(static_cast<int>(*r));
}

void 輸入資料表面::Text5_Change() {
  const double v = BoxNumber(Text5->text());
  if (v < 10)
    if (const auto r = plat::RoundHalfEven(v)) UpDown2->SetValue(static_cast<int>(*r));
  // The count of a series: only what the next record can hold.
  if (const auto b = plat::ToByte(v); b && *b >= 1 && *b <= 249) common::TestNumber.set(*b);
}

void 輸入資料表面::UpDown1_Change() { Text4->setText(plat::FormatNumber(UpDown1->Value(), u"00")); }

void 輸入資料表面::UpDown2_Change() { Text5->setText(plat::FormatNumber(UpDown2->Value(), u"00")); }

bool 輸入資料表面::Text_KeyDown(int keyCode, int shift) {
  if (keyCode == kF11) {
    plat::forms::get<frmAbout>().Show(plat::ShowMode::Modal, this);
    return true;
  }
  if (keyCode == kF12 && shift == kShiftCtrl) {
    plat::forms::get<common::我是誰>().Show(plat::ShowMode::Modeless, this);
    return true;
  }
  return false;
}

bool 輸入資料表面::BirthdayCharAllowed(QChar c) {
  const ushort u = c.unicode();
  return !((u >= 32 && u <= 47) || (u >= 58 && u <= 126));
}

bool 輸入資料表面::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (watched == Text1 || watched == Text2 || watched == Text3) {
      if (const int code = FunctionKeyCode(k->key()); code && Text_KeyDown(code, ShiftState(k->modifiers())))
        return true;
    } else if (watched == Text6A || watched == Text6B || watched == Text6C) {
      const QString text = k->text();
      if (!text.isEmpty() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        for (QChar c : text)
          if (!BirthdayCharAllowed(c)) return true;
    }
  }
  return Form::eventFilter(watched, event);
}

void 輸入資料表面::Form_Unload(int&) {
  // Closing the set-up screen ends the program, with no clean-up of its own.
  plat::app().EndProgram(0);
}

// ---------------------------------------------------------------------------
// Public procedures

bool 輸入資料表面::Crs_FileTestScore(const QString& path) {
  try {
    const QStringList lines{common::StoreText(10180), common::StoreText(10181),
                            common::StoreText(10182) + Text1->text()};
    QString why;
    if (plat::writeTextLines(plat::ToSlashes(path), lines, &why)) return true;
    common::WriteErrorLog(QStringLiteral("無法寫入>") + path + u' ' + why);
    return false;
  } catch (...) {
    return false;
  }
}

void 輸入資料表面::EnterWWW() {
  const QString address = common::SystemIniValue(9902).asText();
  common::OpenUrlChecked(plat::WebUrl(address), address, QStringLiteral("EnterWWW"));
  plat::beeper().Beep();
}

// ---------------------------------------------------------------------------
// The values the test run reads

rec::SetupValues 輸入資料表面::ValuesFromControls() const {
  rec::SetupValues v;
  v.name = Text1->text();
  v.identity = Text2->text();
  v.testFile = Text3->text();
  v.minutes = Text4->text();
  v.count = Text5->text();
  v.classSeat = Text6->text();
  v.birthYear = Text6A->text();
  v.birthMonth = Text6B->text();
  v.birthDay = Text6C->text();
  v.label7 = Label7->text();
  v.option1 = Option1->isChecked();
  v.option2 = Option2->isChecked();
  v.option3 = Option3->isChecked();
  v.option4 = Option4->isChecked();
  v.option5 = Option5->isChecked();
  v.option6 = Option6->isChecked();
  v.option7 = Option7->isChecked();
  v.check1 = Check1->isChecked() ? rec::kChecked : rec::kUnchecked;
  v.check2 = Check2->isChecked() ? rec::kChecked : rec::kUnchecked;
  return v;
}

void 輸入資料表面::ApplyValues(const rec::SetupValues& v) {
  Text1->setText(v.name);
  Text2->setText(v.identity);
  Text3->setText(v.testFile);
  if (!v.minutes.isEmpty()) Text4->setText(v.minutes);
  Text6->setText(v.classSeat);
  Text6A->setText(v.birthYear);
  Text6B->setText(v.birthMonth);
  Text6C->setText(v.birthDay);
}

void 輸入資料表面::SyncSetupValues() {
  rec::SetupValues& s = run::SetupScreenValues();
  const QString ime = s.imeName;
  s = ValuesFromControls();
  s.imeName = plat::forms::exists<frmIME>() ? plat::forms::get<frmIME>().Combo1->currentText() : ime;
}

}  // namespace setup
