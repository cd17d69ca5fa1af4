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

const frmLiaison::Design frmLiaison::kDesign = {
    6000, 3300,
    {{240, 200, 5500, 330}, {480, 650, 5300, 330}, {480, 1050, 5300, 330}, {240, 1550, 5500, 600}, {240, 2150, 4200, 600}},
    {4560, 2650, 1200, 420},
    true, true, true, true};

frmLiaison::frmLiaison(const Design& d, const plat::HandlerErrorSink& report)
    : Form(QStringLiteral("frmLiaison")),
      Label1(plat::MakeControl<QLabel>(this, "Label1", d.labels[0])),
      Label2(plat::MakeControl<ClickLabel>(this, "Label2", d.labels[1])),
      Label3(plat::MakeControl<ClickLabel>(this, "Label3", d.labels[2])),
      Label4(plat::MakeControl<QLabel>(this, "Label4", d.labels[3])),
      Label5(plat::MakeControl<QLabel>(this, "Label5", d.labels[4])),
      Command1(plat::MakeControl<QPushButton>(this, "Command1", d.command)),
      centred_(d.centred) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  plat::SetTwipsSize(this, d.width, d.height);
  setFixedSize(size());
  for (QLabel* l : {Label1, static_cast<QLabel*>(Label2), static_cast<QLabel*>(Label3), Label4, Label5})
    l->setTextFormat(Qt::PlainText);
  Label1->setText(QStringLiteral("歡迎與我們聯絡:"));
  Command1->setText(QStringLiteral("結束"));
  Label4->setWordWrap(true);
  Label5->setWordWrap(d.wrapLabel5);
  for (ClickLabel* l : {Label2, Label3}) {
    l->setCursor(Qt::PointingHandCursor);
    plat::SetForeColour(l, QColor(0, 0, 255));
    QFont f = l->font();
    f.setUnderline(d.underlined);
    l->setFont(f);
  }
  Label2->Click = [this, report] { plat::RunHandler(QStringLiteral("Label2_Click"), [this] { Label2_Click(); }, report); };
  Label3->Click = [this, report] { plat::RunHandler(QStringLiteral("Label3_Click"), [this] { Label3_Click(); }, report); };
  if (d.escapeCloses) SetCancelButton(Command1);
  QObject::connect(Command1, &QPushButton::clicked, this, [this, report] {
    plat::RunHandler(QStringLiteral("Command1_Click"), [this] { Command1_Click(); }, report);
  });
}

void frmLiaison::Form_Load() {
  LoadContact();
  setWindowTitle(Title);
  Label2->setText(QStringLiteral("mail:") + MailAddress);
  Label3->setText(QStringLiteral("http:") + WebAddress);
  if (centred_) plat::CentreOnScreen(this);
}

void frmLiaison::LoadContact() {
  ApplyFormText(8, this);
  MailAddress = ContactInfo(1).asText();
  WebAddress = ContactInfo(2).asText();
  Title = ProductTitle.get();
}

QString frmLiaison::Version() const { return ProgramVersion(); }

void frmLiaison::OpenMail(const QString& subject) {
  OpenUrlChecked(plat::MailUrl(MailAddress, subject), MailAddress, QStringLiteral("frmLiaison"));
}

void frmLiaison::OpenWeb() {
  const QString address = QStringLiteral("http:") + WebAddress;
  OpenUrlChecked(plat::WebUrl(address), address, QStringLiteral("frmLiaison"));
}

void frmLiaison::Label2_Click() {
  OpenMail(MailSubject(Title, Version()));
  plat::beeper().Beep();
}

void frmLiaison::Label3_Click() {
  OpenWeb();
  plat::beeper().Beep();
}

void frmLiaison::Command1_Click() { Hide(); }

}  // namespace common
