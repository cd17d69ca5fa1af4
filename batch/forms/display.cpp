#include "batch/forms/display.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QStyle>

#include "batch/core/batch.h"
#include "batch/forms/captions.h"
#include "batch/forms/formkit.h"
#include "batch/forms/layout.h"
#include "batch/forms/scoresheet.h"
#include "batch/forms/services.h"
#include "batch/forms/uploadclient.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/workfolders.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/gui/handler.h"
#include "platform/gui/titlebar.h"
#include "platform/media/sound.h"
#include "platform/net/tcpclient.h"

namespace batchui {

namespace {

constexpr int kWidth = 7600;
constexpr int kHeight = 5300;

// Caption labels and their value labels, one row each.
constexpr int kIdLabelLeft = 1500, kIdLabelWidth = 1500, kIdValueLeft = 3000, kIdValueWidth = 3000;
constexpr int kRowHeight = 240;
constexpr int kLeftLabel = 300, kLeftValue = 1800, kLeftValueWidth = 1700;
constexpr int kRightLabel = 3700, kRightValue = 5000, kRightValueWidth = 1500;
constexpr int kLabelWidth = 1500, kRightLabelWidth = 1300;
constexpr int kRow0 = 1500, kRowStep = 300;

int Row(int i) { return kRow0 + i * kRowStep; }

QColor ColourOf(batch::Colour c) {
  switch (c) {
    case batch::Colour::Red: return kRed;
    case batch::Colour::Blue: return kBlue;
    case batch::Colour::Plain: break;
  }
  return QColor(0, 0, 0);
}

batch::Batch& B() { return batch::batch(); }

}  // namespace

Display::Display()
    : Form(QStringLiteral("Display")),
      Label01(MakeLabel(this, "Label01", {kIdLabelLeft, 50, kIdLabelWidth, kRowHeight}, "考生姓名：")),
      Label02(MakeLabel(this, "Label02", {kIdLabelLeft, 550, kIdLabelWidth, kRowHeight}, "身分證號：")),
      Label03(MakeLabel(this, "Label03", {kIdLabelLeft, 300, kIdLabelWidth, kRowHeight}, "生日：")),
      Label04(MakeLabel(this, "Label04", {kLeftLabel, Row(0), kLabelWidth, kRowHeight}, "測驗次數：")),
      Label05(MakeLabel(this, "Label05", {kRightLabel, Row(0), kRightLabelWidth, kRowHeight}, "測驗別：")),
      Label06(MakeLabel(this, "Label06", {kLeftLabel, Row(1), kLabelWidth, kRowHeight}, "測驗日期：")),
      Label07(MakeLabel(this, "Label07", {kLeftLabel, Row(2), kLabelWidth, kRowHeight}, "總正確得分：")),
      Label08(MakeLabel(this, "Label08", {kRightLabel, Row(2), kRightLabelWidth, kRowHeight}, "扣分：")),
      Label09(MakeLabel(this, "Label09", {kLeftLabel, Row(3), kLabelWidth, kRowHeight}, "實得分數：")),
      Label10(MakeLabel(this, "Label10", {kRightLabel, Row(3), kRightLabelWidth, kRowHeight}, "正確率：")),
      Label11(MakeLabel(this, "Label11", {kRightLabel, Row(4), kRightLabelWidth, kRowHeight}, "錯誤率：")),
      Label12(MakeLabel(this, "Label12", {kLeftLabel, Row(4), kLabelWidth, kRowHeight}, "速度：")),
      Label14(MakeLabel(this, "Label14", {kIdLabelLeft, 800, kIdLabelWidth, kRowHeight}, "座號/班級：")),
      TEXT01(MakeLabel(this, "TEXT01", {kIdValueLeft, 50, kIdValueWidth, kRowHeight})),
      TEXT02(MakeLabel(this, "TEXT02", {kIdValueLeft, 550, kIdValueWidth, kRowHeight})),
      TEXT03(MakeLabel(this, "TEXT03", {kIdValueLeft, 300, kIdValueWidth, kRowHeight})),
      TEXT04(MakeLabel(this, "TEXT04", {kLeftValue, Row(0), kLeftValueWidth, kRowHeight})),
      TEXT05(MakeLabel(this, "TEXT05", {kRightValue, Row(0), kRightValueWidth, kRowHeight})),
      TEXT06(MakeLabel(this, "TEXT06", {kLeftValue, Row(1), 4700, kRowHeight})),
      TEXT07(MakeLabel(this, "TEXT07", {kLeftValue, Row(2), kLeftValueWidth, kRowHeight})),
      TEXT08(MakeLabel(this, "TEXT08", {kRightValue, Row(2), kRightValueWidth, kRowHeight})),
      TEXT09(MakeLabel(this, "TEXT09", {kLeftValue, Row(3), kLeftValueWidth, kRowHeight})),
      TEXT10(MakeLabel(this, "TEXT10", {kRightValue, Row(3), kRightValueWidth, kRowHeight})),
      TEXT11(MakeLabel(this, "TEXT11", {kRightValue, Row(4), kRightValueWidth, kRowHeight})),
      TEXT12(MakeLabel(this, "TEXT12", {kLeftValue, Row(4), kLeftValueWidth, kRowHeight})),
      TEXT13(MakeLabel(this, "TEXT13", {kLeftValue, Row(5), kLeftValueWidth, kRowHeight})),
      TEXT14(MakeLabel(this, "TEXT14", {kIdValueLeft, 800, kIdValueWidth, kRowHeight})),
      Label1(MakeLabel(this, "Label1", {300, 3450, 5900, 450}, "請先等監考老師登記完畢後，再跳離本畫面,否則視同零分!")),
      Label2(MakeLabel(this, "Label2", {1500, 4250, 2000, 200})),
      Label3(MakeLabel(this, "Label3", {1500, 4500, 4500, 200})),
      Label4(MakeLabel(this, "Label4", {3510, 4250, 2500, 200})),
      Command1(MakeControl<QPushButton>(this, "Command1", {6300, 4700, 1100, 400})),
      Command2(MakeControl<QPushButton>(this, "Command2", {6300, 4200, 1100, 400})),
      Command3(MakeControl<QPushButton>(this, "Command3", {6300, 3700, 1100, 400})),
      Text1(MakeControl<QLineEdit>(this, "Text1", {6300, 120, 1100, 300})),
      Image1(MakeControl<QLabel>(this, "Image1", {180, 120, 1080, 1080})) {
  setWindowTitle(QStringLiteral("總成績∼"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  plat::SetTwipsSize(this, kWidth, kHeight);
  setFixedSize(size());
  Command1->setText(QStringLiteral("結束"));
  Command2->setText(QStringLiteral("查詢"));
  Command3->setText(QStringLiteral("連絡我們"));
  Label1->setWordWrap(true);
  for (QLabel* l : {Label1, Label2, Label3, Label4}) l->setVisible(false);
  Label4->setCursor(Qt::PointingHandCursor);
  Label4->installEventFilter(this);
  Text1->setReadOnly(true);
  Text1->setFrame(false);
  Text1->setFocusPolicy(Qt::NoFocus);
  Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(64, 64));
  Image1->setAlignment(Qt::AlignCenter);
  plat::ConnectClick(Command1, "Command1_Click", [this] { Command1_Click(); }, ReportToRunLog);
  plat::ConnectClick(Command2, "Command2_Click", [this] { Command2_Click(); }, ReportToRunLog);
  plat::ConnectClick(Command3, "Command3_Click", [this] { Command3_Click(); }, ReportToRunLog);
}

void Display::Log(const QString& line) const { B().WriteErrorLog(line); }

QString Display::FrmShowCol(const QString& text, int part) { return batchui::FrmShowCol(text, part); }

void Display::Start() {
  Load();
  if (IsUnloaded() || plat::app().Ending()) return;
  if (!handedToSheet_) Show();
}

void Display::Form_Load() {
  plat::RunHandler(QStringLiteral("Form_Load"), [this] { LoadWindow(); }, ReportToRunLog);
}

void Display::LoadWindow() {
  batch::Batch& b = B();
  // The score table writes both windows' captions.
  b.table.onDisplay = [this](const batch::DisplayTexts& d) { ShowTexts(d); };
  b.table.onSheet = [](const batch::SheetTexts& s) { plat::forms::get<成績單>().ShowTexts(s); };
  if (!b.localHost) {
    b.localHost = [] {
      const auto socket = plat::MakeTcpClient();
      return batch::LocalHost{socket->LocalIP(), socket->LocalHostName()};
    };
  }

  bool dropped = false;
  fields_ = CommandFields(arguments_, &dropped);
  if (!fields_[0].isEmpty()) b.settings.ProgramNameSetting(fields_[0]);
  b.settings.ReadStartupIni(fields_[1]);
  if (dropped) Log(QStringLiteral("命令列超過11個欄位,其餘不用>") + arguments_.join(u' '));
  // The summary and result files go into these folders.
  common::WarnOfFolderProblems(
      common::BatchFolderLead(),
      common::CheckWorkFolders(plat::ProgramFolder(), b.settings.ProgramFolder(), plat::TempFolder()));
  b.table.ClearRecords();
  ApplyFormText(kDisplayForm, this);
  SetBackColour(Text1, BackColour(this));

  setWindowTitle(plat::TitleWithMakerAtRight(this, StoreText(12400), b.settings.MakerLine()));
  Magic();
  Log(QStringLiteral("總成績..."));

  const QString setup = fields_[0];
  if (!setup.isEmpty()) b.setup.ReadSetupFile(setup, b.table);
  if (!setup.isEmpty() && QFileInfo(plat::ResolvePath(setup)).isFile()) {
    b.table.LoadScoreRecords();
    b.RecomputeScores();
  } else {
    if (!setup.isEmpty()) Log(QStringLiteral("找不到測驗記錄檔,改找最新的成績檔>") + setup);
    const QString newest = batch::NumberedFileName(b.settings.ProgramFolder() + QStringLiteral("Abcdefg.R00"), 2);
    if (newest.isEmpty()) {
      // The user picks a file on the sheet.
      handedToSheet_ = true;
      Hide();
      plat::forms::get<成績單>().Show();
    } else {
      b.table.ScoreFileName(newest);
      b.table.LoadScoreRecords();
      b.RecomputeScores();
      b.table.MoveToRecord(0);
    }
  }
  if (b.settings.Number(802) == 0) Command2->setVisible(false);
  firstActivation_ = 0;
  Command3->setVisible(b.settings.ContactInfo(99).toInt() == 1);
  if (b.settings.Number(932) == 9) {
    Label03->setVisible(false);
    TEXT03->setVisible(false);
  }
}

void Display::Magic() {
  batch::Batch& b = B();
  const QString s918 = b.settings.Text(918);
  if (!s918.isEmpty()) Label02->setText(IdentityRowCaptions(StoreText, s918).identity);
  const QString s916 = b.settings.Text(916);
  if (!s916.isEmpty()) Label14->setText(FrmShowCol(s916, 1));
  const std::pair<QLabel*, QLabel*> fields[] = {
      {Label01, TEXT01}, {Label03, TEXT03}, {Label02, TEXT02}, {Label14, TEXT14}};
  for (const FieldPlace& p : IdentityLayout(b.settings.Text(915))) {
    if (p.code < 1 || p.code > 4) continue;
    auto [label, value] = fields[p.code - 1];
    for (QLabel* w : {label, value}) {
      SetTopTwips(w, p.top);
      if (p.hide) w->setVisible(false);
    }
  }
}

void Display::ShowTexts(const batch::DisplayTexts& d) {
  const std::pair<QLabel*, const QString*> texts[] = {
      {TEXT01, &d.TEXT01}, {TEXT02, &d.TEXT02}, {TEXT03, &d.TEXT03}, {TEXT04, &d.TEXT04}, {TEXT05, &d.TEXT05},
      {TEXT06, &d.TEXT06}, {TEXT07, &d.TEXT07}, {TEXT08, &d.TEXT08}, {TEXT09, &d.TEXT09}, {TEXT10, &d.TEXT10},
      {TEXT11, &d.TEXT11}, {TEXT12, &d.TEXT12}, {TEXT13, &d.TEXT13}};
  for (auto [label, text] : texts) label->setText(*text);
  SetForeColour(TEXT09, ColourOf(d.TEXT09Colour));
  SetForeColour(TEXT11, ColourOf(d.TEXT11Colour));
  SetForeColour(TEXT12, ColourOf(d.TEXT12Colour));
}

void Display::Form_Activate() {
  plat::RunHandler(QStringLiteral("Form_Activate"), [this] { ActivateWindow(); }, ReportToRunLog);
}

void Display::ActivateWindow() {
  batch::Batch& b = B();
  if (firstActivation_ == 0 && b.settings.Number(804) == 1) {
    Deliver();
    firstActivation_ = 1;
  }
  ShowGrade();
}

void Display::ShowGrade() {
  if (common::SystemIniValue(7902).asInt() != 1) {
    Label1->setVisible(true);
    return;
  }
  Label1->setVisible(true);
  SetForeColour(Label1, kBlue);
  // The number TEXT12 starts with, taken from the summary itself (a unit
  // text that starts with a digit must not join the number).
  const double v = plat::ValNumber(batch::RateText(B().table.Summary().results[batch::Speed]));
  const int grade = GradeText(v, B().settings.Number(701));
  if (grade == 12410) {
    SetForeColour(Label1, kRed);
    PlaceTwips(Label1, {1500, 4210, 4800, 300});
    Label1->setText(StoreText(12410));
    return;
  }
  PlaceTwips(Label1, {1500, 4000, 4500, 200});
  Label1->setText(StoreText(12411) + StoreText(grade) + StoreText(12412));
  PlaceTwips(Label2, {1500, 4250, 2000, 200});
  Label2->setText(StoreText(12413));
  PlaceTwips(Label3, {1500, 4500, 4500, 200});
  Label3->setText(StoreText(12414));
  PlaceTwips(Label4, {3510, 4250, 2500, 200});
  Label4->setText(kMakerMail);
  for (QLabel* l : {Label2, Label3, Label4}) l->setVisible(true);
}

Display::Delivery Display::Deliver() {
  batch::Batch& b = B();
  if (b.table.LoadedCount() == 0) {
    // No candidate loaded: a summary of nothing is not a result.
    Log(QStringLiteral("沒有可以傳送的成績,不存總成績>") + b.table.ScoreFileName());
    return Delivery::Done;
  }
  const batch::AppendStatus status = b.AppendScoreRecord();
  if (status == batch::AppendStatus::NoScoreFile) Log(QStringLiteral("沒有成績檔,不存總成績"));
  // Either failure is told and makes the program's exit fail.
  const auto tell = [&b](const QString& logLine, const QString& before, const QString& after) {
    b.writeFailed = true;
    const QString file = b.table.ScoreFileName();
    b.WriteErrorLog(logLine + file);
    plat::prompt().Ask(before + file + after, StoreText(14001), plat::Buttons::Ok, plat::Icon::Critical);
  };
  if (status == batch::AppendStatus::RecordFailed) {
    // Copies and the upload would ship the score file without its summary.
    tell(QStringLiteral("總成績無法寫入成績檔,不送出>"), QStringLiteral("總成績無法寫入成績檔 "),
         QStringLiteral("，成績沒有送出。"));
    return Delivery::Stopped;
  }
  if (status == batch::AppendStatus::ResultLineFailed)
    tell(QStringLiteral("總成績的結果檔無法寫入>"), QStringLiteral("總成績已存入成績檔 "),
         QStringLiteral("，但結果檔無法寫入。"));
  const int a = b.setup.ByteSettingA(), mode = b.setup.ByteSettingB();
  if (a == 1 || a == 3) b.CopyFloppyScoreFiles();
  bool upload = false;
  switch (mode) {
    case 1:
    case 4: Runbbc(); break;
    case 2:
    case 5: upload = true; break;
    case 6:
    case 7:
      Runbbc();
      upload = true;
      break;
    default: break;
  }
  if (!upload) return Delivery::Done;
  // Over this window, so that a click on it never covers the upload.
  plat::forms::get<frmClient>().Show(plat::ShowMode::Modeless, this);
  return Delivery::Uploading;
}

RemoteCopyResult Display::Runbbc() {
  batch::Batch& b = B();
  RemoteCopyEnv env;
  env.text = &StoreText;
  env.log = [&b](const QString& s) { b.WriteErrorLog(s); };
  return RemoteCopy(b.setup.AssignedPath(), b.table.ScoreFileName(), b.ResultFileName(), env);
}

void Display::EnterWWW() {
  const QString address = StoreText(9902);
  const QUrl url = WebUrl(address);
  if (!url.isValid())
    Log(QStringLiteral("EnterWWW>網址不正確,不開啟>") + address);
  else if (!desktop().OpenUrl(url))
    Log(QStringLiteral("EnterWWW>無法開啟>") + url.toString());
  plat::beeper().Beep();
}

void Display::EnterMail() {
  batch::Batch& b = B();
  const QString address = b.settings.ContactInfo(1).toString();
  const QUrl url = MailUrl(address, common::MailSubject(b.settings.ProductTitle()));
  if (!url.isValid())
    Log(QStringLiteral("EnterMail>郵件地址不正確,不開啟>") + address);
  else if (!desktop().OpenUrl(url))
    Log(QStringLiteral("EnterMail>無法開啟>") + url.toString());
  plat::beeper().Beep();
}

void Display::Command1_Click() {
  batch::Batch& b = B();
  Delivery delivery = Delivery::Done;
  if (b.settings.Number(804) == 2) delivery = Deliver();
  if (common::SystemIniValue(9901).asInt() == 1) EnterWWW();
  if (delivery == Delivery::Uploading) {
    // The upload runs on its ticks; the program ends when it is over.
    Hide();
    plat::forms::get<frmClient>().EndProgramWhenDone();
    return;
  }
  plat::app().EndProgram(b.writeFailed ? kExitNotDelivered : 0);
}

void Display::Command2_Click() { plat::forms::get<成績單>().Show(); }

void Display::Command3_Click() { plat::forms::get<frmLiaison>().Show(); }

void Display::Label4_MouseDown() { EnterWWW(); }

void Display::Form_QueryUnload(int& cancel, plat::UnloadMode mode) {
  if (mode == plat::UnloadMode::ControlMenu) {
    // The title bar's close is the exit button.
    cancel = 1;
    Command1_Click();
  }
}

bool Display::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label4 && event->type() == QEvent::MouseButtonPress) {
    Label4_MouseDown();
    return true;
  }
  return Form::eventFilter(watched, event);
}

}  // namespace batchui
