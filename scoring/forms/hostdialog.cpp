#include "scoring/forms/hostdialog.h"

#include <QStyle>

#include "common/accessors.h"
#include "platform/gui/twips.h"
#include "scoring/forms/formkit.h"
#include "scoring/forms/frmclient.h"
#include "scoring/forms/scorercaptions.h"

namespace scorer {

Dialog::Dialog()
    : Form(QStringLiteral("Dialog")),
      Text1(MakeControl<QLineEdit>(this, "Text1", {1200, 1500, 3900, 330})),
      Label1(MakeControl<QLabel>(this, "Label1", {1200, 180, 3900, 1200})),
      Image1(MakeControl<QLabel>(this, "Image1", {240, 240, 720, 720})),
      OKButton(MakeControl<QPushButton>(this, "OKButton", {2640, 2040, 1200, 400})),
      CancelButton(MakeControl<QPushButton>(this, "CancelButton", {3900, 2040, 1200, 400})) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("無法傳送(錯誤訊息)"));
  SetSizeTwips(this, 5340, 2640);
  setFixedSize(size());
  Label1->setWordWrap(true);
  Label1->setTextFormat(Qt::PlainText);
  Label1->setText(QStringLiteral("您指定的遠端主機或IP位址目前無法儲存成績,\n"
                                 "請告知考場負責人查明原因,待伺服器可正常連線運作之後再按下[確定]鈕重新傳遞您的成績。"));
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
  OKButton->setText(QStringLiteral("確定"));
  OKButton->setDefault(true);
  CancelButton->setText(QStringLiteral("放棄"));
  CancelButton->setAutoDefault(false);
  SetCancelButton(CancelButton);
  QObject::connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
  QObject::connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
}

void Dialog::Form_Load() { ApplyFormText(kHostDialogForm, this); }

void Dialog::OKButton_Click() {
  Hide();
  // A blank entry is no host: the stored one stays.
  const QString host = Text1->text().trimmed();
  if (!host.isEmpty()) common::AssignedHost.set(host);
  plat::forms::get<frmClient>().CrsDeliver();
}

void Dialog::CancelButton_Click() { Hide(); }

void Dialog::Form_QueryUnload(int& cancel, plat::UnloadMode mode) {
  if (mode != plat::UnloadMode::ControlMenu) return;
  // Closing by the title bar is the cancel button; the dialog stays loaded.
  cancel = 1;
  CancelButton_Click();
}

}  // namespace scorer
