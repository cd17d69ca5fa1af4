#include "common/gui/contactwindow.h"

#include <QPushButton>

#include "common/accessors.h"
#include "common/gui/formtext.h"
#include "common/gui/urllauncher.h"
#include "common/utilities.h"
#include "platform/gui/controls.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"
#include "platform/media/sound.h"

namespace common {

frmLiaison::frmLiaison() : Form(QStringLiteral("frmLiaison")) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  plat::SetTwipsSize(this, 6000, 3300);
  setFixedSize(size());
  Label1 = plat::MakeControl<QLabel>(this, "Label1", {240, 200, 5500, 330});
  Label2 = plat::MakeControl<ClickLabel>(this, "Label2", {480, 650, 5300, 330});
  Label3 = plat::MakeControl<ClickLabel>(this, "Label3", {480, 1050, 5300, 330});
  Label4 = plat::MakeControl<QLabel>(this, "Label4", {240, 1550, 5500, 600});
  Label5 = plat::MakeControl<QLabel>(this, "Label5", {240, 2150, 4200, 600});
  Command1 = plat::MakeControl<QPushButton>(this, "Command1", {4560, 2650, 1200, 420});
  Label1->setText(QStringLiteral("歡迎與我們聯絡:"));
  Command1->setText(QStringLiteral("結束"));
  for (QLabel* l : {Label4, Label5}) l->setWordWrap(true);
  for (ClickLabel* l : {Label2, Label3}) {
    l->setCursor(Qt::PointingHandCursor);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 255));
    l->setPalette(p);
    QFont f = l->font();
    f.setUnderline(true);
    l->setFont(f);
  }
  Label2->Click = [this] { plat::RunHandler(QStringLiteral("Label2_Click"), [this] { Label2_Click(); }); };
  Label3->Click = [this] { plat::RunHandler(QStringLiteral("Label3_Click"), [this] { Label3_Click(); }); };
  SetCancelButton(Command1);
  QObject::connect(Command1, &QPushButton::clicked, this,
                   [this] { plat::RunHandler(QStringLiteral("Command1_Click"), [this] { Command1_Click(); }); });
}

void frmLiaison::Form_Load() {
  ApplyFormText(8, this);
  MailAddress = ContactInfo(1).asText();
  WebAddress = ContactInfo(2).asText();
  Title = ProductTitle.get();
  setWindowTitle(Title);
  Label2->setText(QStringLiteral("mail:") + MailAddress);
  Label3->setText(QStringLiteral("http:") + WebAddress);
  plat::CentreOnScreen(this);
}

void frmLiaison::Label2_Click() {
  OpenUrlChecked(plat::MailUrl(MailAddress, MailSubject(Title, ProgramVersion())), MailAddress,
                 QStringLiteral("frmLiaison"));
  plat::beeper().Beep();
}

void frmLiaison::Label3_Click() {
  const QString address = QStringLiteral("http:") + WebAddress;
  OpenUrlChecked(plat::WebUrl(address), address, QStringLiteral("frmLiaison"));
  plat::beeper().Beep();
}

void frmLiaison::Command1_Click() { Hide(); }

}  // namespace common
