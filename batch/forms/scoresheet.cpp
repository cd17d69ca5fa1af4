#include "batch/forms/scoresheet.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QStyle>

#include "batch/core/batch.h"
#include "batch/forms/captions.h"
#include "batch/forms/display.h"
#include "batch/forms/formkit.h"
#include "batch/forms/layout.h"
#include "batch/forms/services.h"
#include "common/gui/textviewer.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/gui/handler.h"
#include "platform/gui/lineprinter.h"
#include "platform/gui/widgetprompt.h"
#include "platform/media/sound.h"

namespace batchui {

namespace {

batch::Batch& B() { return batch::batch(); }

QPushButton* Button(QWidget* form, const char* name, const plat::TwipsBox& box, const char* caption,
                    const char* hint = "") {
  auto* b = MakeControl<QPushButton>(form, name, box);
  b->setText(QString::fromUtf8(caption));
  b->setToolTip(QString::fromUtf8(hint));
  return b;
}

constexpr int kSheetWidth = 9000;
constexpr int kSheetHeight = 5300;
constexpr int kH = 270;
constexpr int kResultTop = 1740, kResultStep = 330;
int ResultRow(int i) { return kResultTop + i * kResultStep; }

const QString kNoFileText = QStringLiteral("找不到檔案,請手動輸入正確檔名");
const QString kWarningTitle = QStringLiteral("警告");
const QString kScoreFilter = QStringLiteral("資料檔(*.R*)|*.R*|ALL File(*.*)|*.*");

}  // namespace

// ---- 成績單 -------------------------------------------------------------------

成績單::成績單()
    : Form(QStringLiteral("成績單")),
      Command1(Button(this, "Command1", {360, 4450, 1500, 420}, "列印成績單")),
      Command2(Button(this, "Command2", {1960, 4450, 1500, 420}, "列印打字稿")),
      Command3(Button(this, "Command3", {6460, 4450, 1200, 420}, "離開", "看完成績,結束測驗")),
      Command4(Button(this, "Command4", {3560, 4450, 1500, 420}, "看打字稿", "如果不想列印的話,可直接看打字稿喔!")),
      Command5(Button(this, "Command5", {5160, 4450, 1200, 420}, "存檔")),
      Command7(Button(this, "Command7", {3560, 3800, 500, 420}, "", "最近一次總成績")),
      Command8(Button(this, "Command8", {1960, 3800, 1500, 420}, "看下一筆成績", "看下一筆成績")),
      Command9(Button(this, "Command9", {360, 3800, 1500, 420}, "看上一筆成績", "看上一筆成績")),
      Command10(Button(this, "Command10", {4160, 3800, 500, 420}, "...", "可指定*.R00檔案查看歷次測驗總成績")),
      Label1(MakeLabel(this, "Label1", {360, 240, 1300, kH}, "檢定姓名：")),
      Label2(MakeLabel(this, "Label2", {4200, 240, 1100, kH}, "　　座號：")),
      Label3(MakeLabel(this, "Label3", {4200, 600, 1100, kH}, "測驗日期：")),
      Label4(MakeLabel(this, "Label4", {360, 960, 1300, kH}, "測驗題目：")),
      Label5(MakeLabel(this, "Label5", {360, 1320, 1300, kH}, "測驗時間：")),
      Label6(MakeLabel(this, "Label6", {360, ResultRow(0), 3600, kH}, "總正確得分：　　　　分")),
      Label7(MakeLabel(this, "Label7", {360, ResultRow(1), 3600, kH}, "扣分：　　　　分")),
      Label8(MakeLabel(this, "Label8", {360, ResultRow(2), 3600, kH}, "實得分數：　　　　分")),
      Label9(MakeLabel(this, "Label9", {360, ResultRow(3), 3600, kH}, "正確率：　　　　％")),
      Label10(MakeLabel(this, "Label10", {360, ResultRow(4), 3600, kH}, "錯誤率：　　　　％")),
      Label11(MakeLabel(this, "Label11", {360, ResultRow(5), 3600, kH}, "速度：　　　　W/m")),
      Label12(MakeLabel(this, "Label12", {360, 600, 1300, kH}, "班級：")),
      Label15(MakeLabel(this, "Label15", {4700, ResultRow(1), 3900, kH}, "第幾筆")),
      Text1(MakeLabel(this, "Text1", {1660, 240, 2400, kH})),
      TEXT2(MakeLabel(this, "TEXT2", {5300, 240, 3300, kH})),
      TEXT3(MakeLabel(this, "TEXT3", {5300, 600, 3300, kH})),
      TEXT4(MakeLabel(this, "TEXT4", {1660, 960, 6900, kH})),
      Text5A(MakeLabel(this, "Text5A", {1660, 1320, 1800, kH})),
      Text6(MakeLabel(this, "Text6", {1400, ResultRow(0), 800, kH})),
      Text7(MakeLabel(this, "Text7", {1000, ResultRow(1), 800, kH})),
      Text8(MakeLabel(this, "Text8", {1300, ResultRow(2), 800, kH})),
      Text9(MakeLabel(this, "Text9", {1100, ResultRow(3), 800, kH})),
      TEXT10(MakeLabel(this, "TEXT10", {1100, ResultRow(4), 800, kH})),
      TEXT11(MakeLabel(this, "TEXT11", {1000, ResultRow(5), 800, kH})),
      TEXT12(MakeLabel(this, "TEXT12", {1660, 600, 2400, kH})),
      TEXT14(MakeLabel(this, "TEXT14", {5900, ResultRow(0), 2700, kH})),
      Text14(MakeLabel(this, "Text14", {4700, ResultRow(0), 1200, kH}, "第幾次")),
      Text5(MakeControl<QLineEdit>(this, "Text5", {3600, 1320, 900, 300})) {
  setWindowTitle(QStringLiteral("成績單"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  plat::SetTwipsSize(this, kSheetWidth, kSheetHeight);
  setFixedSize(size());
  Text5->setVisible(false);  // designed, without a role
  Command7->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
  PlaceValues();
  plat::ConnectClick(Command1, "Command1_Click", [this] { Command1_Click(); }, ReportToRunLog);
  plat::ConnectClick(Command2, "Command2_Click", [this] { Command2_Click(); }, ReportToRunLog);
  plat::ConnectClick(Command3, "Command3_Click", [this] { Command3_Click(); }, ReportToRunLog);
  plat::ConnectClick(Command4, "Command4_Click", [this] { Command4_Click(); }, ReportToRunLog);
  plat::ConnectClick(Command7, "Command7_Click", [this] { Command7_Click(); }, ReportToRunLog);
  plat::ConnectClick(Command8, "Command8_Click", [this] { Command8_Click(); }, ReportToRunLog);
  plat::ConnectClick(Command9, "Command9_Click", [this] { Command9_Click(); }, ReportToRunLog);
  plat::ConnectClick(Command10, "Command10_Click", [this] { Command10_Click(); }, ReportToRunLog);
}

void 成績單::PlaceValues() {
  // Each result caption leaves full-width blanks for its number: the value
  // label covers exactly that gap, whatever the font's widths.
  const std::pair<QLabel*, QLabel*> rows[] = {{Label6, Text6}, {Label7, Text7},   {Label8, Text8},
                                              {Label9, Text9}, {Label10, TEXT10}, {Label11, TEXT11}};
  for (auto [label, value] : rows) {
    const QString caption = label->text();
    const qsizetype gap = caption.indexOf(QChar(0x3000));
    if (gap < 0) continue;
    qsizetype end = gap;
    while (end < caption.size() && caption[end] == QChar(0x3000)) ++end;
    const QFontMetrics m(label->font());
    QRect r = label->geometry();
    r.setLeft(label->x() + m.horizontalAdvance(caption.left(gap)));
    r.setWidth(m.horizontalAdvance(caption.mid(gap, end - gap)));
    value->setGeometry(r);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->raise();
  }
}

void 成績單::Form_Load() {
  setWindowTitle(QStringLiteral("成績單") + QString(22, QChar(0x3000)) + B().settings.MakerLine());
  // The identity number and the birthday under the names the main window
  // gives them, not the seat and class the design's captions said.
  const IdentityCaptions captions = IdentityRowCaptions(StoreText, B().settings.Text(918));
  Label2->setText(captions.identity);
  Label12->setText(captions.birthday);
  B().table.MoveToRecord(0);
}

void 成績單::Form_Resize() {
  plat::SetTwipsSize(this, kSheetWidth, kSheetHeight);
  plat::CentreOnScreen(this);
}

void 成績單::Form_Unload(int& cancel) {
  // The sheet stays loaded: closing it only hides it.
  cancel = 1;
  HideSheet();
}

void 成績單::HideSheet() {
  Hide();
  if (plat::app().Ending() || !plat::forms::exists<Display>()) return;
  Display& d = plat::forms::get<Display>();
  if (d.IsLoaded() && !d.isVisible()) d.Show();
}

QList<QPushButton*> 成績單::Buttons() const {
  return {Command1, Command2, Command3, Command4, Command5, Command7, Command8, Command9, Command10};
}

void 成績單::OutColor(float SetColor) {
  const QColor c = QColor::fromRgb(plat::ColourFromBgr(int(SetColor)));
  for (QLabel* l : {TEXT3, TEXT4, Text5A, Text6, Text7, Text8, Text9, TEXT10, TEXT11, TEXT14}) SetBackColour(l, c);
}

void 成績單::ShowTexts(const batch::SheetTexts& s) {
  Text1->setText(s.Text1);
  TEXT2->setText(s.TEXT2);
  TEXT3->setText(s.TEXT3);
  TEXT12->setText(s.TEXT12);
  TEXT4->setText(s.TEXT4);
  Text5A->setText(s.Text5A);
  Text6->setText(s.Text6);
  Text7->setText(s.Text7);
  Text8->setText(s.Text8);
  Text9->setText(s.Text9);
  TEXT10->setText(s.TEXT10);
  TEXT11->setText(s.TEXT11);
  TEXT14->setText(s.TEXT14);
  Label15->setText(s.Label15);
}

void 成績單::Command1_Click() {
  const QList<QPushButton*> buttons = Buttons();
  for (QPushButton* b : buttons) b->setVisible(false);
  SetBackColour(this, QColor(0xFF, 0xFF, 0xFF));
  plat::LinePrinter& p = plat::printer();
  const bool ok = p.PrintImage(grab().toImage()) && p.EndDoc();
  if (!ok) {
    p.KillDoc();
    B().WriteErrorLog(QStringLiteral("列印成績單失敗>") + QString::number(p.LastError()));
    plat::prompt().Ask(StoreText(13964) + QString::number(p.LastError()), StoreText(14001), plat::Buttons::Ok,
                       plat::Icon::Exclamation);
  }
  SetBackColour(this, QColor(0xC0, 0xC0, 0xC0));
  for (QPushButton* b : buttons) b->setVisible(true);
}

void 成績單::Command2_Click() {
  HideSheet();
  plat::forms::get<處理列印中>().Show();
  plat::LinePrinter& printer = plat::printer();
  if (B().PrintTextFile(printer)) {
    Command2->setEnabled(false);
    return;
  }
  // A print that failed can be tried again.
  B().WriteErrorLog(QStringLiteral("無法列印打字稿>") + B().table.CandidateTextPath() + u' ' +
                    QString::number(printer.LastError()));
}

void 成績單::Command3_Click() {
  Hide();
  plat::forms::get<Display>().Show();
}

void 成績單::Command4_Click() {
  const QString path = B().table.CandidateTextPath().trimmed();
  const QString file = path.isEmpty() ? QString() : plat::ResolvePath(path);
  if (file.isEmpty() || !QFileInfo(file).isFile()) {
    B().WriteErrorLog(QStringLiteral("找不到打字稿>") + path);
    return;
  }
  const QString why = common::ShowTypedText(file);
  if (!why.isEmpty()) B().WriteErrorLog(QStringLiteral("無法開啟打字稿>") + file + u' ' + why);
}

void 成績單::LoadFile(const QString& path) {
  batch::Batch& b = B();
  b.table.ScoreFileName(path);
  b.table.LoadScoreRecords();
  b.RecomputeScores();
  b.table.MoveToRecord(0);
}

void 成績單::Command7_Click() {
  batch::Batch& b = B();
  fileName_ = batch::NumberedFileName(b.settings.ProgramFolder() + QStringLiteral("Abcdefg.R00"), 2);
  if (fileName_.isEmpty()) {
    plat::prompt().Ask(kNoFileText, kWarningTitle, plat::Buttons::Ok, plat::Icon::Exclamation);
  } else {
    b.table.ClearRecords();
    LoadFile(fileName_);
  }
  if (!QFileInfo(fileName_).isFile()) fileName_.clear();
}

void 成績單::Command8_Click() {
  B().table.MoveToRecord(2);
  Command4->setEnabled(true);
  Command2->setEnabled(true);
}

void 成績單::Command9_Click() {
  B().table.MoveToRecord(1);
  Command4->setEnabled(true);
  Command2->setEnabled(true);
}

void 成績單::Command10_Click() {
  const QString chosen = plat::prompt().OpenFile(QString(), fileName_, kScoreFilter);
  if (!chosen.isEmpty()) fileName_ = chosen;
  batch::Batch& b = B();
  b.table.ClearRecords();
  if (!fileName_.isEmpty() && QFileInfo(plat::ResolvePath(fileName_)).isFile()) {
    LoadFile(fileName_);
  } else {
    // The cleared table: no candidate of an earlier file stays on show.
    b.table.MoveToRecord(0);
  }
}

// ---- 處理列印中 ---------------------------------------------------------------

處理列印中::處理列印中() : common::處理列印中({{240, 300, 3900, 500}, false, true}, ReportToRunLog) {}

void 處理列印中::Form_Load() {
  ApplyFormText(kPrintingForm, this);
  setWindowTitle(B().settings.ProductTitle());
}

void 處理列印中::Form_Resize() {
  plat::SetTwipsSize(this, 4370, 1360);
  plat::CentreOnScreen(this);
}

// ---- frmLiaison ---------------------------------------------------------------

const frmLiaison::Design frmLiaison::kBatchDesign = {
    4800, 3120,
    {{240, 240, 4320, 300}, {240, 660, 4320, 300}, {240, 1080, 4320, 300}, {240, 1500, 4320, 540}, {240, 2100, 4320, 300}},
    {3360, 2520, 1200, 400},
    false, false, false, false};

frmLiaison::frmLiaison() : common::frmLiaison(kBatchDesign, ReportToRunLog) {}

void frmLiaison::LoadContact() {
  ApplyFormText(kLiaisonForm, this);
  const batch::StartupSettings& s = B().settings;
  MailAddress = s.ContactInfo(1).toString();
  WebAddress = s.ContactInfo(2).toString();
  const qsizetype slashes = WebAddress.indexOf(QStringLiteral("//"));
  if (slashes >= 0) WebAddress = WebAddress.mid(slashes);  // kept from its "//" on
  Title = s.ProductTitle();
}

QString frmLiaison::Version() const {
  const QString version = QCoreApplication::applicationVersion();
  return version.isEmpty() ? QStringLiteral("0.0.0") : version;
}

void frmLiaison::OpenMail(const QString& subject) {
  const QUrl url = MailUrl(MailAddress, subject);
  if (url.isValid() && !desktop().OpenUrl(url)) B().WriteErrorLog(QStringLiteral("frmLiaison>無法開啟>") + MailAddress);
  if (!url.isValid()) B().WriteErrorLog(QStringLiteral("frmLiaison>郵件地址不正確>") + MailAddress);
}

void frmLiaison::OpenWeb() {
  const QString& web = WebAddress;
  const QUrl url = WebUrl(web.startsWith(QStringLiteral("//")) ? QStringLiteral("http:") + web : web);
  if (url.isValid() && !desktop().OpenUrl(url)) B().WriteErrorLog(QStringLiteral("frmLiaison>無法開啟>") + web);
  if (!url.isValid()) B().WriteErrorLog(QStringLiteral("frmLiaison>網址不正確>") + web);
}

}  // namespace batchui
