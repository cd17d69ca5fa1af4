#include "scoring/forms/scoresheet.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QUrl>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/filenames.h"
#include "common/gui/textviewer.h"
#include "common/utilities.h"
#include "platform/core/compat.h"
#include "platform/core/launcher.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"
#include "platform/gui/captionfit.h"
#include "platform/gui/handler.h"
#include "platform/gui/lineprinter.h"
#include "scoring/engine/scorer.h"
#include "scoring/forms/delivery.h"
#include "scoring/forms/formkit.h"
#include "scoring/forms/dataentry.h"
#include "scoring/forms/progresswindows.h"
#include "scoring/forms/questions.h"
#include "scoring/forms/scoreraccessors.h"
#include "scoring/forms/scorercaptions.h"
#include "scoring/forms/services.h"

namespace scorer {

namespace {

constexpr unsigned kBlue = 0xFF0000;  // 0x00BBGGRR
constexpr unsigned kRed = 0x0000FF;
constexpr unsigned kWhite = 0xFFFFFF;
constexpr int kRowHeight = 300;
constexpr int kHeadingLeft = 240;
constexpr int kValueLeft = 2295;

QLabel* Heading(QWidget* form, const char* name, const char* caption, plat::TwipsBox box) {
  QLabel* l = MakeControl<QLabel>(form, name, box);
  l->setText(QString::fromUtf8(caption));
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return l;
}

QLabel* Value(QWidget* form, const char* name, plat::TwipsBox box) {
  QLabel* l = MakeControl<QLabel>(form, name, box);
  l->setTextFormat(Qt::PlainText);
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  SetForeColour(l, kBlue);
  return l;
}

QPushButton* Button(QWidget* form, const char* name, const char* caption, int left) {
  QPushButton* b = MakeControl<QPushButton>(form, name, {left, 4980, 1400, 495});
  b->setText(QString::fromUtf8(caption));
  b->setAutoDefault(false);
  return b;
}

// Puts the value over the n-th run of blanks of its heading, or just after
// the heading's text when the heading has no such run.
void OverlayValue(QLabel* heading, int run, QLabel* value) {
  const QString text = heading->text();
  const QFontMetrics fm(heading->font());
  const plat::TwipsBox h = BoxTwips(heading);
  int left = 0, width = 0;
  if (const auto span = plat::BlankRunPixels(heading, run)) {
    left = span->first;
    width = span->second - span->first;
  } else {
    left = fm.horizontalAdvance(text) + fm.horizontalAdvance(u'\u3000') / 2;
    width = fm.horizontalAdvance(QStringLiteral("\u3000\u3000\u3000\u3000"));
  }
  width = qMax(width, fm.horizontalAdvance(QStringLiteral("0000")));
  PlaceTwips(value, {h.left + plat::PixelsToTwips(left), h.top, plat::PixelsToTwips(width), h.height});
  value->setAlignment(Qt::AlignCenter);
  value->raise();
}

QString PrinterErrorText(int error) {
  switch (error) {
    case plat::kPrinterError: return StoreText(13962);
    case plat::kPrinterProperty: return StoreText(13961);
    case plat::kPrinterNotReady: return StoreText(13960);
    case plat::kPrinterNoImage: return StoreText(13963);
    default: return StoreText(13964) + QString::number(error);
  }
}

// A copy that either replaces the target whole or leaves it as it was.
bool CopyWhole(const QString& from, const QString& to, QString* why) {
  QByteArray bytes;
  if (!plat::readAllBytes(plat::ResolvePath(from), bytes)) {
    *why = QStringLiteral("無法讀取:") + from;
    return false;
  }
  QString reason;
  if (!plat::writeBytesAtomic(to, bytes, &reason)) {
    *why = QStringLiteral("無法寫入:") + to + u' ' + reason;
    return false;
  }
  return true;
}

void ReportFailure(const QString& procedure, int number, const QString& detail) {
  common::AppError err = common::MakeAppError(number, QStringLiteral("score"));
  if (!detail.isEmpty()) err.text += QStringLiteral(" ") + detail;
  common::LogTrappedError(procedure, err);
  common::ShowErrorMessage(err);
}

}  // namespace

成績單::成績單()
    : Form(QStringLiteral("成績單")),
      Label1(Heading(this, "Label1", "受測者姓名：", {kHeadingLeft, 150, 1935, kRowHeight})),
      Label2(Heading(this, "Label2", "受測者身分證號：", {kHeadingLeft, 950, 1935, kRowHeight})),
      Label3(Heading(this, "Label3", "測驗日期：", {kHeadingLeft, 2200, 1935, kRowHeight})),
      Label4(Heading(this, "Label4", "測驗題目：", {kHeadingLeft, 1800, 1935, kRowHeight})),
      Label5(Heading(this, "Label5", "測驗時間：　　 　分　　　　秒", {kHeadingLeft, 2600, 4200, kRowHeight})),
      Label6(Heading(this, "Label6", "總正確得分：　　　　分", {kHeadingLeft, 3150, 4200, kRowHeight})),
      Label7(Heading(this, "Label7", "扣分：　　　　分", {kHeadingLeft, 3600, 4200, kRowHeight})),
      Label8(Heading(this, "Label8", "實得分數：　　　　分", {kHeadingLeft, 4050, 4200, kRowHeight})),
      Label9(Heading(this, "Label9", "正確率： 　　　　％", {5040, 3150, 4200, kRowHeight})),
      Label10(Heading(this, "Label10", "錯誤率： 　　　　％", {5040, 3600, 4200, kRowHeight})),
      Label11(Heading(this, "Label11", "速度： 　　　　W/m", {5040, 4050, 4200, kRowHeight})),
      Label12(Heading(this, "Label12", "生日：", {kHeadingLeft, 550, 1935, kRowHeight})),
      Label13(Heading(this, "Label13", "輸入法：", {6000, 150, 1100, kRowHeight})),
      Label15(Heading(this, "Label15", "班級座號：", {kHeadingLeft, 1350, 1935, kRowHeight})),
      Text1(Value(this, "Text1", {kValueLeft, 150, 3500, kRowHeight})),
      Text2(Value(this, "Text2", {kValueLeft, 950, 3500, kRowHeight})),
      Text12(Value(this, "Text12", {kValueLeft, 550, 3500, kRowHeight})),
      Text15(Value(this, "Text15", {kValueLeft, 1350, 3500, kRowHeight})),
      Text13(Value(this, "Text13", {7100, 150, 2300, kRowHeight})),
      TEXT4(Value(this, "TEXT4", {kValueLeft, 1800, 7000, kRowHeight})),
      TEXT4B(Value(this, "TEXT4B", {kValueLeft, 2000, 7000, kRowHeight})),
      TEXT3(Value(this, "TEXT3", {kValueLeft, 2200, 5000, kRowHeight})),
      Text5A(Value(this, "Text5A", {1560, 2600, 840, kRowHeight})),
      Text5B(Value(this, "Text5B", {2640, 2600, 960, kRowHeight})),
      Text6(Value(this, "Text6", {1800, 3150, 960, kRowHeight})),
      Text7(Value(this, "Text7", {1080, 3600, 960, kRowHeight})),
      Text8(Value(this, "Text8", {1560, 4050, 960, kRowHeight})),
      Text9(Value(this, "Text9", {6120, 3150, 960, kRowHeight})),
      Text10(Value(this, "Text10", {6120, 3600, 960, kRowHeight})),
      Text11(Value(this, "Text11", {5880, 4050, 960, kRowHeight})),
      Command1(Button(this, "Command1", "列印成績單", 225)),
      Command2(Button(this, "Command2", "列印打字稿", 1775)),
      Command3(Button(this, "Command3", "離開", 7975)),
      Command4(Button(this, "Command4", "看打字稿", 3325)),
      Command5(Button(this, "Command5", "存檔", 4875)),
      Command6(Button(this, "Command6", "錯字練習", 6425)),
      Timer1(new plat::FormTimer(this, QStringLiteral("Timer1"))) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
  QFont f = font();
  f.setPixelSize(16);  // 12 points: a full-width character is 240 twips
  setFont(f);
  SetSizeTwips(this, kSheetWidth, kSheetHeight);
  SetBackColour(this, kSheetBackColour);
  Command3->setToolTip(QStringLiteral("看完成績,結束測驗"));
  Command4->setToolTip(QStringLiteral("如果不想列印的話,可直接看打字稿喔!"));
  for (QLabel* v : ResultLabels() + QList<QLabel*>{Text5A, Text5B}) {
    QFont b = v->font();
    b.setBold(true);
    v->setFont(b);
  }
  Timer1->SetInterval(1000);
  Timer1->SetEnabled(false);
  Timer1->Tick = [this] { Timer1_Timer(); };
  plat::ConnectClick(Command1, "Command1_Click", [this] { Command1_Click(); });
  plat::ConnectClick(Command2, "Command2_Click", [this] { Command2_Click(); });
  plat::ConnectClick(Command3, "Command3_Click", [this] { Command3_Click(); });
  plat::ConnectClick(Command4, "Command4_Click", [this] { Command4_Click(); });
  plat::ConnectClick(Command5, "Command5_Click", [this] { Command5_Click(); });
  plat::ConnectClick(Command6, "Command6_Click", [this] { Command6_Click(); });
  Command5->installEventFilter(this);
}

QList<QLabel*> 成績單::ResultLabels() const { return {Text6, Text7, Text8, Text9, Text10, Text11}; }

void 成績單::Form_Load() {
  ApplyFormText(kSheetForm, this);
  SetTitle();
  ArrangeSheetItems();
  Timer1->SetEnabled(false);
  Command6->setVisible(common::Setting913.get() == 1);
  common::WriteErrorLog(StoreText(11522));
  if (common::Setting932.get() == 9) {
    Label12->setVisible(false);
    Text12->setVisible(false);
  }
  TEXT4->setVisible(false);
  SetTopTwips(TEXT4B, 1800);
  SetLeftTwips(TEXT4B, kValueLeft);
  TEXT4B->setVisible(true);
  ApplyButtonSwitches();
  // The values sit in the blanks of their headings, which the captions
  // just set.
  OverlayValue(Label5, 0, Text5A);
  OverlayValue(Label5, 1, Text5B);
  const QList<QLabel*> headings = {Label6, Label7, Label8, Label9, Label10, Label11};
  const QList<QLabel*> values = ResultLabels();
  for (int i = 0; i < 6; ++i) OverlayValue(headings[i], 0, values[i]);
  FillValues();
}

void 成績單::SetTitle() {
  const QString head = StoreText(11521);
  const QString maker = common::MakerLine.get();
  const int limit = plat::TwipsToPixels(kSheetWidth - 900);
  const QFontMetrics fm(font());
  QString caption;
  for (int i = 1; i <= 600; ++i) {
    caption = head + QString(i, u' ') + maker;
    if (fm.horizontalAdvance(caption) > limit) break;
  }
  setWindowTitle(caption);
}

void 成績單::FillValues() {
  const scoring::ScoringRun* run = scoring::CurrentRun();
  if (!run) return;
  const scoring::SheetLabels& s = run->sheet();
  const QList<QPair<QLabel*, QString>> fill = {
      {Text1, s.Text1},   {Text2, s.Text2},   {Text12, s.Text12}, {Text15, s.Text15}, {Text13, s.Text13},
      {TEXT4, s.TEXT4},   {TEXT4B, s.TEXT4B}, {TEXT3, s.TEXT3},   {Text5A, s.Text5A}, {Text5B, s.Text5B},
      {Text6, s.Text6},   {Text7, s.Text7},   {Text8, s.Text8},   {Text9, s.Text9},   {Text10, s.Text10},
      {Text11, s.Text11}};
  for (const auto& [label, text] : fill) label->setText(text);
  const QList<QLabel*> results = ResultLabels();
  for (int k = 0; k < 6; ++k) {
    if (s.red[k]) {
      SetBackColour(results[k], kRed);
    } else {
      results[k]->setAutoFillBackground(false);
    }
  }
}

void 成績單::ArrangeSheetItems() {
  if (!common::Setting918.get().isEmpty()) Label2->setText(common::SplitAtBar(common::Setting918.get(), 1));
  if (!common::Setting916.get().isEmpty()) Label15->setText(common::SplitAtBar(common::Setting916.get(), 1));
  const QString flags = common::FieldOrderFlags.get();
  if (flags.size() != 8) return;
  int on = 0;
  for (int i = 4; i < 8; ++i)
    if (flags[i] == u'1') ++on;
  int top = 250, step = 400;
  if (on == 4) {
    top = 50;
    step = 350;
  } else if (on == 3) {
    top = 150;
    step = 400;
  } else if (on == 2) {
    top = 250;
    step = 500;
  }
  for (int pos = 0; pos < 4; ++pos) {
    QLabel *heading = nullptr, *value = nullptr;
    switch (flags[pos].unicode()) {
      case u'1': heading = Label1, value = Text1; break;
      case u'2': heading = Label12, value = Text12; break;
      case u'3': heading = Label2, value = Text2; break;
      case u'4': heading = Label15, value = Text15; break;
      default: break;
    }
    if (heading) {
      SetTopTwips(heading, top);
      SetTopTwips(value, top);
      if (flags[pos + 4] == u'0') {
        heading->setVisible(false);
        value->setVisible(false);
      }
    }
    top += step;
  }
}

void 成績單::ApplyButtonSwitches() {
  const QString s = common::SystemIniValue(7910).asText();
  if (s.size() != 6) return;
  QPushButton* const buttons[] = {Command3, Command5, Command6, Command2, Command1, Command4};
  for (int i = 0; i < 6; ++i)
    if (plat::ValNumber(QStringView(s).mid(i, 1)) == 0) buttons[i]->setVisible(false);
}

void 成績單::Form_Activate() {
  const int save = common::Setting904.get();
  if ((save == 1 || save == 3) && !saved) {
    // Set first: the saving window shows the sheet again before this
    // modal show returns, and that activation must not save a second time.
    saved = true;
    Timer1->SetEnabled(true);
    setEnabled(false);
    plat::forms::get<處理存檔>().Show(plat::ShowMode::Modal, this);
    if (plat::app().Ending() || IsUnloaded()) return;
  }
  // Once a run, not once a sheet.
  if (TakeShowingDelivery()) {
    const int when = common::SystemIniValue(5999).asInt();
    if (when == 0 || (when == 1 && plat::ValNumber(Text5A->text()) == common::Setting201.get()))
      DeliverBySetting();
  }
}

void 成績單::DeliverBySetting() {
  switch (common::Setting908.get()) {
    case 1:
    case 4: CopyScoreFiles(); break;
    case 2:
    case 5: StartUpload(); break;
    case 6:
    case 7:
      CopyScoreFiles();
      StartUpload();
      break;
    default: break;
  }
}

void 成績單::GiveBack() { setEnabled(!UploadInFlight()); }

bool 成績單::CopyScoreFiles() {
  QString folder = common::AssignedPath.get();
  if (folder.endsWith(u'\\') || folder.endsWith(u'/')) folder.chop(1);
  common::WriteErrorLog(StoreText(11523) + folder);
  if (folder.isEmpty()) {
    // No folder is no copy: never the root of the disk.
    common::WriteErrorLog(QStringLiteral("CopyScoreFiles>no assigned folder"));
    ShowRefusal(StoreText(11525));
    return false;
  }
  folder = plat::ToSlashes(folder);
  const QString scoreTarget = folder + u'/' + common::PathPart(3, scoring::ScoreFileName());
  const QString resultTarget = folder + u'/' + common::PathPart(3, scoring::ResultFileName());
  QString name = common::NumberedFileName(scoreTarget, common::TestNumber.get() > 1 ? 1 : 0);
  common::WriteErrorLog(StoreText(11524) + name);
  for (int retry = 0; name.isEmpty() && retry < 2; ++retry) {
    ShowRefusal(StoreText(11525));
    name = common::NumberedFileName(scoreTarget, 1);
  }
  if (name.isEmpty()) {
    ShowRefusal(StoreText(11525));
    return false;
  }
  QString why;
  if (!CopyWhole(scoring::ScoreFileName(), name, &why) || !CopyWhole(scoring::ResultFileName(), resultTarget, &why)) {
    common::AppError err = common::MakeAppError(common::kPathFileAccess, QStringLiteral("score"));
    err.text += QStringLiteral(" ") + why;
    common::LogTrappedError(QStringLiteral("CopyScoreFiles"), err);
    ShowRefusal(StoreText(11525));
    return false;
  }
  common::WriteErrorLog(StoreText(11526) + name);
  NoteCopied();
  return true;
}

void 成績單::Timer1_Timer() {
  if (Command1->isEnabled() || sheetPrintCounter > 4) {
    Command1->setEnabled(true);
    Timer1->SetEnabled(false);
  } else {
    ++sheetPrintCounter;
  }
  if (reportPrintCounter > 4 || Command2->isEnabled()) {
    Command2->setEnabled(true);
    Timer1->SetEnabled(false);
  } else {
    ++reportPrintCounter;
  }
}

void 成績單::Command1_Click() {
  SetSizeTwips(this, kSheetWidth, kSheetPrintHeight);
  SetBackColour(this, kWhite);
  const QImage image = grab().toImage();
  plat::LinePrinter& p = plat::printer();
  const bool ok = p.PrintImage(image) && p.EndDoc();
  const int error = p.LastError();
  if (!ok) p.KillDoc();
  SetBackColour(this, kSheetBackColour);
  SetSizeTwips(this, kSheetWidth, kSheetHeight);
  sheetPrintCounter = 0;
  if (!ok) {
    ShowRefusal(PrinterErrorText(error));
    common::LogTrappedError(QStringLiteral("Command1_Click"), common::MakeAppError(error, QStringLiteral("score")));
  }
}

void 成績單::Command2_Click() {
  setEnabled(false);
  plat::forms::get<處理列印中>().Show(plat::ShowMode::Modeless, this);
  // A print that failed (no printer, a jam) can be tried again.
  if (scoring::Test_Print()) Command2->setEnabled(false);
  reportPrintCounter = 0;
}

void 成績單::Command4_Click() {
  const QString answer = scoring::AnswerFileName();
  const QString path = plat::ResolvePath(answer);
  if (answer.isEmpty() || !QFileInfo(path).isFile()) {
    common::ShowMissingFileMessage(answer);
    return;
  }
  const QString why = common::ShowTypedText(path);
  if (!why.isEmpty()) common::WriteErrorLog(QStringLiteral("Command4_Click>") + why + u' ' + path);
}

void 成績單::Command5_Click() {
  common::SessionAttr3.set(7);
  setEnabled(false);  // no second save while this one runs
  plat::forms::get<處理存檔>().Show(plat::ShowMode::Modeless, this);
}

void 成績單::Command5_MouseUp(int button) {
  if (button != 2) return;
  setEnabled(false);
  if (plat::ValNumber(Text5A->text()) == common::Setting201.get()) DeliverBySetting();
  GiveBack();
}

void 成績單::Command6_Click() {
  // The typing-practice program, when one is installed beside the programs.
  const QString program = plat::FindCaseInsensitive(common::ProgramFolder.get(), QStringLiteral("Pro1"));
  if (!QFileInfo(program).isFile() || !plat::launcher().Start(program, {}, plat::WindowStyle::NormalFocus))
    ReportFailure(QStringLiteral("Command6_Click"), common::kFileNotFound, program);
}

void 成績單::Command3_Click() {
  const int test = common::TestNumber.get();
  if (test < common::Setting306.get()) {
    setEnabled(false);
    if (common::SystemIniValue(7901).asInt() == 1) {
      scoring::ReturnToTypingProgram(1);
      EndScorer(false);
      return;
    }
    saved = false;
    plat::forms::get<直續測驗>().Show(plat::ShowMode::Modeless, this);
  } else if (!common::SettingsBase.get().isEmpty() && ScorerByteSetting() == 1) {
    setEnabled(false);
    saved = false;
    plat::forms::get<是否結束>().Show(plat::ShowMode::Modeless, this);
  } else {
    if (ScorerByteSetting() == 0) HandOverToBatchIfAsked();
    EndScorer(true);
  }
}

void 成績單::Form_QueryUnload(int& cancel, plat::UnloadMode) {
  // Never leave while the result is on its way to the server, nor while a
  // notice works for the sheet: it gives the sheet back when it is done.
  if (UploadInFlight() || NoticeUp()) cancel = 1;
}

void 成績單::Form_Unload(int&) {
  setEnabled(false);
  saved = false;
  plat::forms::get<是否結束>().Show(plat::ShowMode::Modeless, this);
}

bool 成績單::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Command5 && event->type() == QEvent::MouseButtonRelease) {
    const auto* m = static_cast<QMouseEvent*>(event);
    const int button = m->button() == Qt::LeftButton ? 1 : m->button() == Qt::RightButton ? 2 : 4;
    if (button == 2) {
      Command5_MouseUp(button);
      return true;
    }
  }
  return Form::eventFilter(watched, event);
}

void ShowSheet() {
  成績單& sheet = plat::forms::get<成績單>();
  sheet.GiveBack();
  // The entry window of a run started by the test program waits disabled
  // behind the scoring; nobody comes back to it from the sheet, so it does
  // not stay in the task list or the window cycle.
  if (plat::forms::exists<輸入資料>()) {
    輸入資料& entry = plat::forms::get<輸入資料>();
    if (entry.isVisible() && !entry.isEnabled()) entry.Hide();
  }
  sheet.Show(plat::ShowMode::Modeless);
}

void GiveSheetBack() {
  if (!plat::forms::exists<成績單>() || plat::forms::get<成績單>().IsUnloaded()) return;
  ShowSheet();
}

}  // namespace scorer
