#include "net/forms/uploadwindow.h"

#include <QStyle>

#include "common/store.h"
#include "platform/core/prompt.h"
#include "platform/gui/captionfit.h"
#include "platform/gui/controls.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"

#include <QFontMetrics>
#include <algorithm>

namespace net {

namespace {

// The table below the buttons: two columns of twelve rows.
constexpr int kTableTop = 1200, kRowStep = 400, kColumnWidth = 2300, kHeadingWidth = 1000;
constexpr int kRows = 12, kLeft = 120, kGap = 60, kBoxHeight = 330;

}  // namespace

using plat::MakeControl;

UploadWindow::UploadWindow(int columns, const plat::HandlerErrorSink& report)
    : Form(QStringLiteral("frmClient")),
      lblMessage(MakeControl<QLabel>(this, "lblMessage", {120, 600, 4440, 420})),
      Command1(MakeControl<QPushButton>(this, "Command1", {120, 120, 1020, 400})),
      Command2(MakeControl<QPushButton>(this, "Command2", {1200, 120, 1020, 400})),
      Command3(MakeControl<QPushButton>(this, "Command3", {2280, 120, 1200, 400})),
      Command4(MakeControl<QPushButton>(this, "Command4", {3540, 120, 1020, 400})) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("成績上傳"));
  Command1->setText(QStringLiteral("成績送出"));
  Command2->setText(QStringLiteral("取消"));
  Command3->setText(QStringLiteral("詳細資料>>"));
  Command4->setText(QStringLiteral("修改IP"));
  lblMessage->setTextFormat(Qt::PlainText);
  lblMessage->setWordWrap(true);
  lblMessage->setFrameShape(QFrame::Panel);
  lblMessage->setFrameShadow(QFrame::Sunken);
  for (int i = 0; i < columns; ++i) {
    const int left = kLeft + (i / kRows) * kColumnWidth;
    const int top = kTableTop + (i % kRows) * kRowStep;
    auto* h = MakeControl<QLabel>(this, "", {left, top, kHeadingWidth, kBoxHeight});
    h->setObjectName(plat::ArrayElementName(QStringLiteral("Label1"), i));
    h->setTextFormat(Qt::PlainText);
    auto* v = MakeControl<QLineEdit>(this, "", {left + kHeadingWidth, top, kColumnWidth - kHeadingWidth - kGap, kBoxHeight});
    v->setObjectName(plat::ArrayElementName(QStringLiteral("Text1"), i));
    Label1 << h;
    Text1 << v;
    // A value that comes later gets its room too.
    QObject::connect(v, &QLineEdit::textChanged, this, [this] {
      if (IsLoaded()) FitTable();
    });
  }
  plat::ConnectClick(Command1, "Command1_Click", [this] { Command1_Click(); }, report);
  plat::ConnectClick(Command2, "Command2_Click", [this] { Command2_Click(); }, report);
  plat::ConnectClick(Command3, "Command3_Click", [this] { Command3_Click(); }, report);
  plat::ConnectClick(Command4, "Command4_Click", [this] { Command4_Click(); }, report);
}

UploadWindow::~UploadWindow() { session_.reset(); }

void UploadWindow::Form_Load() {
  Hide();
  SetFolded(true);
  activated_ = false;
  session_->Timer().Stop();
  const QStringList builtIn = UploadBuiltInHeadings();
  for (int i = 0; i < Label1.size(); ++i) {
    Label1[i]->setText(builtIn.value(i));
    Text1[i]->clear();
  }
}

void UploadWindow::TakeHost() {
  const QString stored = StoredHost();
  if (!stored.isEmpty()) {
    HostDialogForm().Text1->setText(stored);
    return;
  }
  QString host = plat::prompt().InputText(common::StoreText(11807), windowTitle(), QString()).trimmed();
  if (host.isEmpty()) host = kPlaceholderHost;
  StoreHost(host);
}

void UploadWindow::CrsDeliver() {
  AttemptStarting();
  QStringList values;
  for (const QLineEdit* t : Text1) values << t->text();
  session_->SetValues(values);
  session_->Deliver();
}

void UploadWindow::Command2_Click() {
  session_->Cancel();
  Hide();
}

void UploadWindow::Command3_Click() {
  if (Command3->text() == common::StoreText(11805)) {
    SetFolded(false);
    Command3->setText(common::StoreText(11806));
  } else {
    SetFolded(true);
    Command3->setText(common::StoreText(11805));
  }
}

void UploadWindow::SetFolded(bool folded) {
  folded_ = folded;
  plat::SetSizeTwips(this, std::max(kUploadWidth, tableWidth_), folded ? kUploadFoldedHeight : kUploadUnfoldedHeight);
  // Folded, the table is out of sight, not cut off below the window.
  for (QWidget* w : Label1) w->setVisible(!folded);
  for (QWidget* w : Text1) w->setVisible(!folded);
}

void UploadWindow::FitTable() {
  // The designed columns hold neither a heading such as "總正確得分：" nor
  // a value such as an input method's name or a date with its time: the
  // headings and the boxes are as wide as the widest of theirs, and the
  // window as wide as the table.
  int heading = plat::TwipsToPixels(kHeadingWidth);
  int box = plat::TwipsToPixels(kColumnWidth - kHeadingWidth - kGap);
  for (int i = 0; i < Label1.size(); ++i) {
    heading = std::max(heading, QFontMetrics(Label1[i]->font()).horizontalAdvance(Label1[i]->text()) + 2);
    box = std::max(box, plat::LineEditWidthFor(Text1[i], Text1[i]->text()));
  }
  const int left = plat::TwipsToPixels(kLeft), gap = plat::TwipsToPixels(kGap);
  const int column = heading + box + gap;
  for (int i = 0; i < Label1.size(); ++i) {
    const int x = left + (i / kRows) * column;
    const int y = plat::TwipsToPixels(kTableTop + (i % kRows) * kRowStep);
    Label1[i]->setGeometry(x, y, heading, plat::TwipsToPixels(kBoxHeight));
    Text1[i]->setGeometry(x + heading, y, box, plat::TwipsToPixels(kBoxHeight));
    if (!Text1[i]->hasFocus()) Text1[i]->setCursorPosition(0);  // read from the start
  }
  const int columns = (static_cast<int>(Label1.size()) + kRows - 1) / kRows;
  tableWidth_ = plat::PixelsToTwips(2 * left + columns * column - gap);
  SetFolded(folded_);
}

void UploadWindow::Command4_Click() { ShowHostDialog(false); }

void UploadWindow::ShowHostDialog(bool modal) {
  HostDialog& d = HostDialogForm();
  if (!d.isVisible()) d.setWindowModality(modal ? Qt::WindowModal : Qt::NonModal);
  d.Show(plat::ShowMode::Modeless, this);
}

void UploadWindow::Form_QueryUnload(int& cancel, plat::UnloadMode mode) {
  if (mode != plat::UnloadMode::ControlMenu) return;
  cancel = 1;
  if (Command2->isEnabled() || !session_->Timer().IsActive()) Command2_Click();
}

void UploadWindow::SetStatus(const QString& t) { lblMessage->setText(t); }
void UploadWindow::AppendStatus(const QString& t) { lblMessage->setText(lblMessage->text() + t); }
void UploadWindow::SetCaption(const QString& t) { setWindowTitle(t); }
void UploadWindow::EnableSend(bool on) { Command1->setEnabled(on); }
void UploadWindow::EnableCancel(bool on) { Command2->setEnabled(on); }
void UploadWindow::FocusDetails() { Command3->setFocus(); }
void UploadWindow::OfferHostDialog() { ShowHostDialog(true); }

// ---- HostDialog ---------------------------------------------------------------

HostDialog::HostDialog(const plat::HandlerErrorSink& report)
    : Form(QStringLiteral("Dialog")),
      Text1(MakeControl<QLineEdit>(this, "Text1", {1200, 1500, 3900, 330})),
      Label1(MakeControl<QLabel>(this, "Label1", {1200, 180, 3900, 1200})),
      Image1(MakeControl<QLabel>(this, "Image1", {240, 240, 720, 720})),
      OKButton(MakeControl<QPushButton>(this, "OKButton", {2640, 2040, 1200, 400})),
      CancelButton(MakeControl<QPushButton>(this, "CancelButton", {3900, 2040, 1200, 400})) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("無法傳送(錯誤訊息)"));
  plat::SetSizeTwips(this, 5340, 2640);
  setFixedSize(size());
  Label1->setWordWrap(true);
  Label1->setTextFormat(Qt::PlainText);
  Label1->setText(QStringLiteral("您指定的遠端主機或IP位址目前無法儲存成績,\n"
                                 "請告知考場負責人查明原因,待伺服器可正常連線運作之後再按下[確定]鈕重新傳遞您的成績。"));
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
  OKButton->setText(QStringLiteral("確定"));
  OKButton->setDefault(true);
  CancelButton->setText(QStringLiteral("放棄"));
  SetCancelButton(CancelButton);
  plat::ConnectClick(OKButton, "OKButton_Click", [this] { OKButton_Click(); }, report);
  plat::ConnectClick(CancelButton, "CancelButton_Click", [this] { CancelButton_Click(); }, report);
}

void HostDialog::OKButton_Click() {
  Hide();
  // A blank entry is no host: the stored one stays.
  const QString host = Text1->text().trimmed();
  if (!host.isEmpty()) Window().StoreHost(host);
  Window().CrsDeliver();
}

void HostDialog::CancelButton_Click() {
  Hide();
  Window().HostDialogCancelled();
}

void HostDialog::Form_QueryUnload(int& cancel, plat::UnloadMode mode) {
  if (mode != plat::UnloadMode::ControlMenu) return;
  // Closing by the title bar is the cancel button; the dialog stays loaded.
  cancel = 1;
  CancelButton_Click();
}

}  // namespace net
