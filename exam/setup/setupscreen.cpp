#include "exam/setup/guarded.h"
#include "exam/setup/setupscreen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
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
#include "platform/gui/x11window.h"
#include "platform/im/imframework.h"
#include "platform/media/sound.h"
#include "exam/record/recordmodule.h"
#include "common/gui/backdrop.h"
#include "exam/run/core/run_services.h"
#include "common/gui/whoami.h"
#include "exam/setup/downloadlink.h"
#include "exam/setup/imechooser.h"
#include "exam/setup/setuplogic.h"
#include "exam/setup/smallwindows.h"
#include "exam/setup/updown.h"
#include "exam/setup/urllauncher.h"
#include "exam/setup/webpanel.h"

namespace setup {

namespace {

constexpr int kF11 = 122;
constexpr int kF12 = 123;
constexpr int kShiftCtrl = 2;

constexpr auto T = &common::StoreText;

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

// A folder setting relative to the installation folder becomes absolute, so
// that nothing depends on the folder the program was started from.
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

void 輸入資料表面::SetTop(QWidget* w, int top) {
  plat::TwipsBox b = Geometry(w);
  b.top = top;
  Place(w, b);
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
  formHeight_ = twips;
  setFixedSize(plat::TwipsToPixels(formWidth_), plat::TwipsToPixels(formHeight_));
}

void 輸入資料表面::BuildControls() {
  auto label = [this](const char* name, const QString& text, plat::TwipsBox box, QWidget* parent = nullptr) {
    QLabel* l = Make<QLabel>(parent ? parent : this, name);
    l->setText(text);
    Place(l, box);
    return l;
  };
  auto edit = [this](const char* name, plat::TwipsBox box, const QString& tip = {}) {
    QLineEdit* e = Make<QLineEdit>(this, name);
    e->setToolTip(tip);
    Place(e, box);
    return e;
  };
  auto button = [this](const char* name, const QString& text, plat::TwipsBox box, const QString& tip = {},
                       QWidget* parent = nullptr) {
    QPushButton* b = Make<QPushButton>(parent ? parent : this, name);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    Place(b, box);
    return b;
  };
  auto frame = [this](const char* name, const QString& text, plat::TwipsBox box) {
    QGroupBox* g = Make<QGroupBox>(this, name);
    g->setTitle(text);
    Place(g, box);
    return g;
  };
  auto option = [this](QGroupBox* parent, const char* name, const QString& text, plat::TwipsBox box) {
    QRadioButton* o = Make<QRadioButton>(parent, name);
    o->setText(text);
    Place(o, box);
    return o;
  };

  // Particulars (rows moved by Magic).
  Label1 = label("Label1", QStringLiteral("請輸入您的姓名："), {240, 200, 1950, 300});
  Text1 = edit("Text1", {2200, 150, 2800, 360}, QStringLiteral("請輸入您的姓名(中英文皆可)!"));
  Label8 = label("Label8", QStringLiteral("請輸入您的生日：　　　年　　　　月　　日"), {240, 700, 4800, 300});
  Text6A = edit("Text6A", {2200, 650, 640, 360}, QStringLiteral("請輸入您的生日(西元幾年)1911-9999!"));
  Text6B = edit("Text6B", {3200, 650, 440, 360}, QStringLiteral("請輸入您的生日(月份)!"));
  Text6C = edit("Text6C", {4000, 650, 440, 360}, QStringLiteral("請輸入您的生日(幾日生)!"));
  Label9 = label("Label9", QStringLiteral("(西元)"), {4600, 800, 700, 300});
  Label2 = label("Label2", QStringLiteral("請輸入身分證號："), {240, 1200, 1950, 300});
  Text2 = edit("Text2", {2200, 1150, 2800, 360}, QStringLiteral("請輸入您的身分證字號!"));
  Label10 = label("Label10", QStringLiteral("請輸入班級座號："), {240, 1700, 1950, 300});
  Text6 = edit("Text6", {2200, 1650, 2800, 360}, QStringLiteral("請輸入您的班級座號!"));
  for (QLineEdit* e : {Text6A, Text6B, Text6C}) e->setMaxLength(4);
  QFont small = Label9->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  Label9->setFont(small);

  // The test.
  Label3 = label("Label3", QStringLiteral("請輸入測驗題目："), {240, 2330, 1950, 300});
  Text3 = edit("Text3", {2200, 2280, 2800, 360}, QStringLiteral("請輸入測驗題目,或按\"尋找檔案\"鈕指定!"));
  Command3 = button("Command3", QStringLiteral("尋找檔案"), {2200, 2730, 1350, 420},
                    QStringLiteral("可幫您在硬碟和任何網路磁碟機中尋找檔案!"));
  Command4 = button("Command4", QStringLiteral("自動抽取題目"), {3650, 2730, 1350, 420},
                    QStringLiteral("按這裡可由電腦幫您選題目!"));
  Label6 = label("Label6", QStringLiteral("請準備好檔名　　　　　　　　的試卷"), {240, 3330, 4800, 300});
  Label7 = label("Label7", QString(), {1600, 3330, 2000, 300});
  QFont bold = Label7->font();
  bold.setBold(true);
  Label7->setFont(bold);
  Label7->setAlignment(Qt::AlignCenter);
  // With the manuscript shown (the design's choice) the paper is not needed.
  Label6->setVisible(false);
  Label7->setVisible(false);

  Label4 = label("Label4", QStringLiteral("請輸入測驗時間：　　　分鐘"), {240, 3830, 4800, 300});
  Text4 = edit("Text4", {2200, 3780, 520, 360}, QStringLiteral("請選擇測驗時間(分鐘)"));
  UpDown1 = new UpDown(this, 1, 99, 1);
  UpDown1->setObjectName(QStringLiteral("UpDown1"));
  Place(UpDown1, {2720, 3780, 240, 360});
  Label5 = label("Label5", QStringLiteral("請輸入測驗別：第　　　 次"), {240, 4330, 4800, 300});
  Text5 = edit("Text5", {2050, 4280, 520, 360});
  UpDown2 = new UpDown(this, 1, 10, 1);
  UpDown2->setObjectName(QStringLiteral("UpDown2"));
  Place(UpDown2, {2570, 4280, 240, 360});
  Text4->setText(QStringLiteral("1"));
  Text5->setText(QStringLiteral("1"));
  for (QLineEdit* e : {Text4, Text5}) e->setAlignment(Qt::AlignCenter);

  // Options.
  Frame1 = frame("Frame1", QStringLiteral("請選擇打字文稿的顯示方式："), {5300, 100, 4400, 1050});
  Option1 = option(Frame1, "Option1", QStringLiteral("顯示打字文稿於螢幕上"), {240, 340, 3900, 300});
  Option2 = option(Frame1, "Option2", QStringLiteral("不顯示打字文稿於螢幕上"), {240, 680, 3900, 300});
  Option1->setChecked(true);
  Frame2 = frame("Frame2", QStringLiteral("成績自動存到磁碟片"), {5300, 1250, 4400, 700});
  Option3 = option(Frame2, "Option3", QStringLiteral("不存"), {240, 330, 1800, 300});
  Option4 = option(Frame2, "Option4", QStringLiteral("要存"), {2200, 330, 1800, 300});
  Option4->setChecked(true);
  Frame3 = frame("Frame3", QStringLiteral("請選擇練習的聲音速度："), {5300, 2050, 4400, 700});
  Option5 = option(Frame3, "Option5", QStringLiteral("慢速"), {240, 330, 1200, 300});
  Option6 = option(Frame3, "Option6", QStringLiteral("中等"), {1500, 330, 1200, 300});
  Option7 = option(Frame3, "Option7", QStringLiteral("正式檢定"), {2760, 330, 1500, 300});
  Frame4 = frame("Frame4", QStringLiteral("儲存成績於"), {5300, 2850, 4400, 1050});
  Check1 = Make<QCheckBox>(Frame4, "Check1");
  Check1->setText(QStringLiteral("指定路徑"));
  Check1->setToolTip(QStringLiteral("本機資料夾或區域網路的主機分享路徑"));
  Place(Check1, {240, 340, 3100, 300});
  Command7 = button("Command7", QStringLiteral("..."), {3550, 310, 600, 340},
                    QStringLiteral("請指定本機資料夾或區域網路的主機分享路徑"), Frame4);
  Check2 = Make<QCheckBox>(Frame4, "Check2");
  Check2->setText(QStringLiteral("主機或IP位址"));
  Check2->setToolTip(QStringLiteral("區域網路主機或遠端(外部)網路位址"));
  Place(Check2, {240, 680, 3100, 300});
  Command8 = button("Command8", QStringLiteral("..."), {3550, 650, 600, 340},
                    QStringLiteral("請指定區域或遠端網路主機名稱或IP位址"), Frame4);

  // Start and leave.
  Command1 = button("Command1", QStringLiteral("開始"), {5300, 4150, 2100, 560},
                    QStringLiteral("您準備好了嗎?按下就開始囉!!"));
  Command2 = button("Command2", QStringLiteral("結束本軟體"), {7600, 4150, 2100, 560},
                    QStringLiteral("若不想測驗,可按下結束本軟體!"));
  QFont big = Command1->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  big.setBold(true);
  Command1->setFont(big);

  // The row of further buttons.
  Command5 = button("Command5", QStringLiteral("進階設定"), {240, 5350, 1800, 450});
  Command6 = button("Command6", QStringLiteral("音量測試"), {2160, 5350, 1800, 450},
                    QStringLiteral("測驗前建議您先試聽並調整試題音量！"));
  Command9 = button("Command9", QStringLiteral("連絡我們"), {4080, 5350, 1800, 450});
  Command10 = button("Command10", QStringLiteral("連線成績"), {6000, 5350, 1800, 450});
  Command11 = button("Command11", QStringLiteral("操作說明"), {7920, 5350, 1800, 450});
  Command5->setVisible(false);
  Command6->setVisible(false);

  WebBrowser2 = new WebPanel(this);
  WebBrowser2->setObjectName(QStringLiteral("WebBrowser2"));
  Place(WebBrowser2, {240, 6000, 9480, 1550});
  WebBrowser2->setVisible(false);

  SetFormHeight(6420);

  // Handlers.
  QObject::connect(Command1, &QPushButton::clicked, this, Guarded("Command1_Click", [this] { Command1_Click(); }));
  QObject::connect(Command2, &QPushButton::clicked, this, Guarded("Command2_Click", [this] { Command2_Click(); }));
  QObject::connect(Command3, &QPushButton::clicked, this, Guarded("Command3_Click", [this] { Command3_Click(); }));
  QObject::connect(Command4, &QPushButton::clicked, this, Guarded("Command4_Click", [this] { Command4_Click(); }));
  QObject::connect(Command5, &QPushButton::clicked, this, Guarded("Command5_Click", [this] { Command5_Click(); }));
  QObject::connect(Command6, &QPushButton::clicked, this, Guarded("Command6_Click", [this] { Command6_Click(); }));
  QObject::connect(Command7, &QPushButton::clicked, this, Guarded("Command7_Click", [this] { Command7_Click(); }));
  QObject::connect(Command8, &QPushButton::clicked, this, Guarded("Command8_Click", [this] { Command8_Click(); }));
  QObject::connect(Command9, &QPushButton::clicked, this, Guarded("Command9_Click", [this] { Command9_Click(); }));
  QObject::connect(Command10, &QPushButton::clicked, this, Guarded("Command10_Click", [this] { Command10_Click(); }));
  QObject::connect(Command11, &QPushButton::clicked, this, Guarded("Command11_Click", [this] { Command11_Click(); }));
  QObject::connect(Check1, &QCheckBox::clicked, this, Guarded("Check1_Click", [this] { Check1_Click(); }));
  QObject::connect(Check2, &QCheckBox::clicked, this, Guarded("Check2_Click", [this] { Check2_Click(); }));
  QObject::connect(Option1, &QRadioButton::clicked, this, Guarded("Option1_Click", [this] { Option1_Click(); }));
  QObject::connect(Option2, &QRadioButton::clicked, this, Guarded("Option2_Click", [this] { Option2_Click(); }));
  QObject::connect(Text3, &QLineEdit::textChanged, this, Guarded("Text3_Change", [this] { Text3_Change(); }));
  QObject::connect(Text4, &QLineEdit::textChanged, this, Guarded("Text4_Change", [this] { Text4_Change(); }));
  QObject::connect(Text5, &QLineEdit::textChanged, this, Guarded("Text5_Change", [this] { Text5_Change(); }));
  UpDown1->Change = Guarded("UpDown1_Change", [this] { UpDown1_Change(); });
  UpDown2->Change = Guarded("UpDown2_Change", [this] { UpDown2_Change(); });
  for (QLineEdit* e : {Text1, Text2, Text3, Text6A, Text6B, Text6C}) e->installEventFilter(this);
  for (QLineEdit* e : {Text1, Text2, Text3, Text4, Text5, Text6, Text6A, Text6B, Text6C})
    QObject::connect(e, &QLineEdit::textChanged, this, Guarded("SyncSetupValues", [this] { SyncSetupValues(); }));
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{Option1, Option2, Option3, Option4, Option5,
                                                                     Option6, Option7, Check1, Check2})
    QObject::connect(b, &QAbstractButton::toggled, this, Guarded("SyncSetupValues", [this] { SyncSetupValues(); }));
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
  const bool timeChangeable = Setting903.get() != 0;
  for (QWidget* w : std::initializer_list<QWidget*>{Label4, Text4, UpDown1}) w->setEnabled(timeChangeable);

  Text3->setText(rec::testRecordModule().ResolveTestDataPath());

  FillDownloadFields();
  const QString digits = FeatureDigits.get();
  Command10->setEnabled(digits.mid(10, 1) == u"1");

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
  if (atLoad) Settle();
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
  const int colours[] = {Check1Colour, Check2Colour};
  if (!atLoad) BackToSettled();

  ShowWebPanel();

  LockParticulars();
  if (!fromLauncher_) {
    if (SystemIniValue(199).asInt() == 1) {
      const plat::Answer a = plat::prompt().Ask(T(10177) + u'\n' + T(10178), T(10179), plat::Buttons::YesNo,
                                                plat::Icon::Exclamation);
      if (a == plat::Answer::Yes) {
        const QString address = SystemIniValue(198).asText();
        OpenUrlChecked(WebUrl(address), address, QStringLiteral("輸入資料表面"));
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

  GetKeyNetBox2();
  GetKeyNetBox3();
  GetKeyNetBox4();
  GetKeyNetBox5();
  GetKeyNetBox6();
  GetKeyNetBox9();
  if (scoresOffered_) Command10->setEnabled(true);

  if (Setting911.get() > 0) Command5->setVisible(true);
  if (Setting912.get() > 0) Command6->setVisible(true);
  Command9->setVisible(ContactInfo(99).asInt() == 1);

  if (Setting932.get() == 9) {
    for (QWidget* w : std::initializer_list<QWidget*>{Label8, Label9, Text6A, Text6B, Text6C}) w->setVisible(false);
    SetTop(Label2, 650);
    SetTop(Text2, 600);
  }

  // The chooser is read into the record at the end of the test; loaded now it
  // can also show itself, so the candidate's pick reaches the record.
  // The record names the method text was committed with, watched from now.
  plat::TypedEngine::Watch();
  if (SystemIniValue(1147).asInt() == 1) plat::forms::loaded<frmIME>();

  // What the settings chose, before the candidate's choices come back.
  appliedChoices_ = CurrentChoices();
  if (!atLoad) {
    KeepChoices(before);
    if (Check1->isChecked() == before.value(Check1)) SetColour(Check1, colours[0]);
    if (Check2->isChecked() == before.value(Check2)) SetColour(Check2, colours[1]);
  }
  // The paper line follows the manuscript choice, whoever made it.
  if (Option1->isChecked()) Option1_Click();
  else if (Option2->isChecked()) Option2_Click();

  FitBoxesToCaptions();
  ArrangeButtonRow();
  KeepStartClearOfGroups();
  SyncSetupValues();
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

輸入資料表面::Choices 輸入資料表面::CurrentChoices() const {
  Choices c;
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{Option1, Option2, Option3, Option4, Option5,
                                                                     Option6, Option7, Check1, Check2})
    c[b] = b->isChecked();
  return c;
}

void 輸入資料表面::Settle() {
  settled_.clear();
  for (auto it = geometry_.cbegin(); it != geometry_.cend(); ++it) {
    QWidget* w = const_cast<QWidget*>(it.key());
    settled_[w] = {it.value(), w->isVisibleTo(w->parentWidget()), !w->testAttribute(Qt::WA_ForceDisabled)};
  }
  settledCaptions_.clear();
  for (QLabel* l : {Label4, Label5, Label6, Label8}) settledCaptions_[l] = l->text();
  settledHeight_ = formHeight_;
  settledChoices_ = CurrentChoices();
}

void 輸入資料表面::BackToSettled() {
  for (auto it = settled_.cbegin(); it != settled_.cend(); ++it) {
    QWidget* w = it.key();
    Place(w, it->box);
    w->setVisible(it->shown);
    // The test choice is locked by the fetch at activation, never by a setting.
    if (w != Text3 && w != Command3 && w != Command4) w->setEnabled(it->enabled);
  }
  for (auto it = settledCaptions_.cbegin(); it != settledCaptions_.cend(); ++it) it.key()->setText(it.value());
  SetFormHeight(settledHeight_);
  for (auto it = settledChoices_.cbegin(); it != settledChoices_.cend(); ++it) {
    if (auto* c = qobject_cast<QCheckBox*>(it.key())) SetCheckValue(c, it.value());
    else if (auto* o = qobject_cast<QRadioButton*>(it.key()); o && it.value()) SetOptionValue(o);
  }
}

void 輸入資料表面::KeepChoices(const Choices& made) {
  // A choice the candidate made stays while its group can still be changed;
  // what they typed stays anyway (the settings write no box but the locked
  // particulars).
  for (auto it = made.cbegin(); it != made.cend(); ++it) {
    QAbstractButton* b = it.key();
    if (it.value() == appliedChoices_.value(b) || !b->isEnabled() || !b->isVisibleTo(this)) continue;
    if (auto* c = qobject_cast<QCheckBox*>(b)) SetCheckValue(c, it.value());
    else if (auto* o = qobject_cast<QRadioButton*>(b); o && it.value()) SetOptionValue(o);
  }
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

void 輸入資料表面::ShowWebPanel() {
  using namespace common;
  auto* panel = static_cast<WebPanel*>(WebBrowser2);
  switch (Setting980.get()) {
    case 1:
      SetFormHeight(7750);
      WebBrowser2->setVisible(true);
      panel->Navigate(Setting981.get());
      break;
    case 2: {
      Place(WebBrowser2, {240, 2750, 4900, 1200});
      WebBrowser2->setVisible(true);
      panel->Navigate(Setting981.get());
      SetTop(Command1, 1780);
      SetTop(Command2, 1780);
      for (QWidget* w : std::initializer_list<QWidget*>{Command6, Command9, Command11}) SetTop(w, 4050);
      for (QWidget* w : std::initializer_list<QWidget*>{Command3, Command4, Command10, Label6, Label7, Label3, Text3})
        w->setVisible(false);
      for (QWidget* w : std::initializer_list<QWidget*>{Label4, Text4, UpDown1}) {
        w->setEnabled(false);
        SetTop(w, w == Label4 ? 1650 : 1600);
      }
      for (QWidget* w : std::initializer_list<QWidget*>{Label5, Text5, UpDown2}) {
        w->setEnabled(false);
        SetTop(w, w == Label5 ? 2100 : 2050);
      }
      SetFormHeight(4850);
      break;
    }
    case 3:
      // The layout stays; the window grows to show the panel under it.
      SetFormHeight(7750);
      WebBrowser2->setVisible(true);
      panel->Navigate(Setting981.get());
      break;
    default:
      SetFormHeight(6420);
      break;
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
    fromLauncher_ = true;
    for (QLineEdit* e : {Text1, Text2, Text6A, Text6B, Text6C}) launcherTexts_[e] = e->text();
    if (f.Field(2) == u"123") Text5->setText(QString::number(TestNumber.set(1)));
  }
}

void 輸入資料表面::LockParticulars() {
  using namespace common;
  const std::array<bool, 4> wasOpened = opened_;
  opened_ = {};
  if (!fromLauncher_ || SystemIniValue(197).asInt() != 1) return;
  const int s901 = Setting901.get(), s902 = Setting902.get(), s917 = Setting917.get();
  // What the launcher gave, whatever the candidate typed since.
  auto given = [this](QLineEdit* box) { return launcherTexts_.value(box); };
  struct {
    Particular p;
    std::vector<QLineEdit*> boxes;
    bool given;
    QString value;
  } const particulars[] = {
      {Particular::Name, {Text1}, NameGiven(given(Text1), s901), given(Text1)},
      {Particular::Birthday, {Text6A, Text6B, Text6C}, BirthdayGiven(given(Text6A), given(Text6B), given(Text6C)),
       given(Text6A) + u'/' + given(Text6B) + u'/' + given(Text6C)},
      {Particular::Identity, {Text2}, IdentityGiven(given(Text2), s902, s917), given(Text2)},
  };
  for (const auto& c : particulars) {
    const int row = static_cast<int>(c.p);
    const bool shown = !RowHidden(row) && !(c.p == Particular::Birthday && Setting932.get() == 9);
    if (c.given || !shown) {
      // Locked boxes show what the launcher gave, also over an entry typed
      // before a note brought the lock.
      for (QLineEdit* e : c.boxes) {
        if (e->text() != given(e)) e->setText(given(e));
        e->setEnabled(false);
      }
      continue;
    }
    // Locked as it came, the start would refuse it for ever.
    opened_[row] = true;
    if (!wasOpened[row])
      WriteErrorLog(QStringLiteral("命令列的考生資料不完整,開放考生輸入>") + ParticularName(c.p) + u' ' + c.value);
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

void 輸入資料表面::ArrangeButtonRow() {
  if (common::Setting980.get() == 2) return;
  int left = 240;
  for (QPushButton* b : {Command5, Command6, Command9, Command10, Command11}) {
    if (b->isHidden()) continue;
    SetLeft(b, left);
    left += Geometry(b).width + 120;
  }
}

// Start and Exit move down past any option group they would cover (the
// compact layout puts them among the groups); the button row and the window
// make room below them.
void 輸入資料表面::KeepStartClearOfGroups() {
  const int gap = 100;
  int top = Geometry(Command1).top;
  for (bool moved = true; moved;) {
    moved = false;
    for (QGroupBox* g : {Frame1, Frame2, Frame3, Frame4}) {
      if (g->isHidden()) continue;
      const plat::TwipsBox f = Geometry(g);
      const int height = std::max(Geometry(Command1).height, Geometry(Command2).height);
      if (top < f.top + f.height && top + height > f.top) {
        top = f.top + f.height + gap;
        moved = true;
      }
    }
  }
  SetTop(Command1, top);
  SetTop(Command2, top);
  const int bottom = top + std::max(Geometry(Command1).height, Geometry(Command2).height) + gap;
  int shift = 0;
  for (QPushButton* b : {Command5, Command6, Command9, Command10, Command11})
    if (!b->isHidden()) shift = std::max(shift, bottom - Geometry(b).top);
  if (shift <= 0) return;
  for (QPushButton* b : {Command5, Command6, Command9, Command10, Command11}) SetTop(b, Geometry(b).top + shift);
  SetFormHeight(formHeight_ + shift);
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

void 輸入資料表面::GetKeyNetBox2() {
  // check1, check2: 1 tick, 0 untick, -1 unchanged; enabled: 1/0/-1.
  struct Row {
    int check1, check2, cmd7, cmd8, checks, frame;
  };
  static constexpr Row table[] = {
      {0, 0, 1, 1, 1, 1},   {1, -1, 1, 0, 1, 1},  {-1, 1, 0, 1, 1, 1}, {0, 0, 0, 0, 0, 0},
      {1, -1, 0, 0, 0, 0},  {-1, 1, 0, 0, 0, 0},  {1, 1, 1, 1, 1, 1},  {1, 1, 0, 0, 0, 0},
  };
  const int v = common::Setting908.get();
  const Row r = v >= 0 && v <= 7 ? table[v] : Row{0, 0, -1, -1, -1, 1};
  if (r.check1 >= 0) SetCheckValue(Check1, r.check1 == 1);
  if (r.check2 >= 0) SetCheckValue(Check2, r.check2 == 1);
  if (r.cmd7 >= 0) Command7->setEnabled(r.cmd7 == 1);
  if (r.cmd8 >= 0) Command8->setEnabled(r.cmd8 == 1);
  if (r.checks >= 0) {
    Check1->setEnabled(r.checks == 1);
    Check2->setEnabled(r.checks == 1);
  }
  if (r.frame >= 0) Frame4->setEnabled(r.frame == 1);
}

namespace {

// 1 usable, 2 locked, 3 hidden.
void GroupState(std::initializer_list<QWidget*> group, int state) {
  for (QWidget* w : group) {
    w->setVisible(state != 3);
    w->setEnabled(state == 1);
  }
}

}  // namespace

void 輸入資料表面::GetKeyNetBox3() {
  const int v = common::Setting305.get();
  if (v < 1 || v > 6) return;
  SetOptionValue(v % 2 == 1 ? Option1 : Option2);
  GroupState({Option1, Option2, Frame1}, (v + 1) / 2);
}

void 輸入資料表面::GetKeyNetBox4() {
  const int v = common::Setting904.get();
  static constexpr int which[] = {3, 4, 3, 4, 3, 4, 3};  // option number by value
  static constexpr int state[] = {1, 1, 1, 2, 2, 3, 3};
  if (v < 0 || v > 6) return;
  SetOptionValue(which[v] == 3 ? Option3 : Option4);
  GroupState({Option3, Option4, Frame2}, state[v]);
}

void 輸入資料表面::GetKeyNetBox5() {
  const bool on = common::Setting701.get() > 0 && common::Setting706.get() > 0;
  Frame3->setEnabled(on);
  Frame3->setVisible(on);
}

void 輸入資料表面::GetKeyNetBox6() { Command11->setVisible(common::Setting978.get() == 1); }

void 輸入資料表面::GetKeyNetBox9() {
  const int v = common::SystemIniValue(9151).asInt();
  if (v == 1) {
    Command10->setVisible(true);
    Command10->setEnabled(true);
  } else if (v == 9) {
    Command10->setVisible(false);
  } else {
    Command10->setEnabled(false);
  }
}

void 輸入資料表面::KorvelSet() { Label4->setVisible(false); }

void 輸入資料表面::MoveRow(int row, int top) {
  switch (row) {
    case 1: SetTop(Text1, top); SetTop(Label1, top + 50); break;
    case 2:
      for (QWidget* w : std::initializer_list<QWidget*>{Text6A, Text6B, Text6C}) SetTop(w, top);
      SetTop(Label8, top + 50);
      SetTop(Label9, top + 150);
      break;
    case 3: SetTop(Text2, top); SetTop(Label2, top + 50); break;
    case 4: SetTop(Text6, top); SetTop(Label10, top + 50); break;
    default: break;
  }
}

void 輸入資料表面::HideRow(int row) {
  std::vector<QWidget*> list;
  switch (row) {
    case 1: list = {Label1, Text1}; break;
    case 2: list = {Label8, Label9, Text6A, Text6B, Text6C}; break;
    case 3: list = {Label2, Text2}; break;
    case 4: list = {Label10, Text6}; break;
    default: return;
  }
  for (QWidget* w : list) w->setVisible(false);
  rowHidden_[row] = true;
  if (row == 3) common::Setting917.set(0);
}

void 輸入資料表面::Magic() {
  using namespace common;
  if (const QString s = Setting918.get(); !s.isEmpty()) {
    Label2->setText(SplitAtBar(s, 0));
    Text2->setToolTip(Label2->text());
  }
  if (const QString s = Setting916.get(); !s.isEmpty()) {
    Label10->setText(SplitAtBar(s, 0));
    Text6->setToolTip(Label10->text());
  }
  const ParticularsLayout layout = ComputeParticularsLayout(FieldOrderFlags.get());
  if (!layout.valid) return;
  for (const RowSlot& slot : layout.rows) {
    if (slot.row >= 1 && slot.row <= 4) {
      MoveRow(slot.row, slot.top);
      if (slot.visibility == 0) HideRow(slot.row);
    }
  }
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
  Label6->setVisible(false);
  Label7->setVisible(false);
}

void 輸入資料表面::Option2_Click() {
  const bool show = common::Setting980.get() != 2;
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
    const QStringList lines{T(10180), T(10181), T(10182) + Text1->text()};
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
  OpenUrlChecked(WebUrl(address), address, QStringLiteral("EnterWWW"));
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
