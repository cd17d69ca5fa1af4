#include "exam/setup/smallwindows.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/formtext.h"
#include "platform/core/launcher.h"
#include "platform/core/prompt.h"
#include "platform/gui/controls.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"
#include "platform/media/sound.h"
#include "common/gui/urllauncher.h"

namespace setup {

namespace {

SystemValueStore* g_values = nullptr;

}  // namespace

bool SystemValueStore::GetKeyValue(const QString&, const QString&, const QString&, QString& value) {
  value.clear();
  return false;
}

SystemValueStore& systemValues() {
  static SystemValueStore none;
  return g_values ? *g_values : none;
}

void SetSystemValueStore(SystemValueStore* s) { g_values = s; }

// ---------------------------------------------------------------------------
// frmAbout

frmAbout::frmAbout() : Form(QStringLiteral("frmAbout")) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  plat::SetTwipsSize(this, 5700, 3700);
  setFixedSize(size());
  picIcon = plat::MakeControl<QLabel>(this, "picIcon", {240, 240, 720, 720});
  lblTitle = plat::MakeControl<QLabel>(this, "lblTitle", {1150, 240, 4300, 480});
  lblVersion = plat::MakeControl<QLabel>(this, "lblVersion", {1150, 780, 4300, 300});
  lblDescription = plat::MakeControl<QLabel>(this, "lblDescription", {1150, 1150, 4300, 700});
  lblDisclaimer = plat::MakeControl<QLabel>(this, "lblDisclaimer", {240, 2000, 3800, 1400});
  cmdOK = plat::MakeControl<QPushButton>(this, "cmdOK", {4200, 2300, 1300, 400});
  cmdSysInfo = plat::MakeControl<QPushButton>(this, "cmdSysInfo", {4200, 2850, 1300, 400});
  picIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
  QFont f = lblTitle->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.2);
  lblTitle->setFont(f);
  for (QLabel* l : {lblTitle, lblDescription, lblDisclaimer}) l->setWordWrap(true);
  lblDescription->setText(QStringLiteral("電腦聽打測驗:依測驗時間播放試題語音,考生聽打的內容在測驗結束後自動評分。"));
  lblDisclaimer->setText(QStringLiteral("警告:本電腦程式受著作權法及國際公約之保護。未經授權擅自複製或散佈本程式的全部或部分,"
                                        "將導致嚴厲的民事及刑事處分,並將在法律許可的最大範圍內受到追訴。"));
  cmdOK->setText(QStringLiteral("確定"));
  cmdOK->setDefault(true);
  cmdSysInfo->setText(QStringLiteral("系統資訊(&S)..."));
  SetCancelButton(cmdOK);
  QObject::connect(cmdOK, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("cmdOK_Click"), [this] { cmdOK_Click(); });
  });
  QObject::connect(cmdSysInfo, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("cmdSysInfo_Click"), [this] { cmdSysInfo_Click(); });
  });
}

void frmAbout::Form_Load() {
  const QString title = common::ProductTitle.get();
  setWindowTitle(QStringLiteral("關於 ") + title);
  lblVersion->setText(QStringLiteral("版本 ") + common::ProgramVersion());
  lblTitle->setText(title);
  plat::CentreOnScreen(this);
}

void frmAbout::cmdOK_Click() { Unload(); }

bool frmAbout::GetKeyValue(const QString& root, const QString& key, const QString& name, QString& value) {
  return systemValues().GetKeyValue(root, key, name, value);
}

void frmAbout::StartSysInfo() {
  QString path;
  if (!GetKeyValue(QStringLiteral("HKEY_LOCAL_MACHINE"), QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                   QStringLiteral("PATH"), path))
    path.clear();
  if (path.isEmpty()) {
    QString folder;
    if (GetKeyValue(QStringLiteral("HKEY_LOCAL_MACHINE"), QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                    QStringLiteral("MSINFO"), folder) &&
        QFileInfo(folder + QStringLiteral("/MSINFO32.EXE")).isFile())
      path = folder + QStringLiteral("/MSINFO32.EXE");
  }
  if (path.isEmpty() || !plat::launcher().Start(path, {}, plat::WindowStyle::NormalFocus))
    plat::prompt().Ask(QStringLiteral("無法取得系統資訊!"), windowTitle(), plat::Buttons::Ok, plat::Icon::None);
}

// ---------------------------------------------------------------------------
// Dialog

Dialog::Dialog() : Form(QStringLiteral("Dialog")) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("提醒確認"));
  plat::SetTwipsSize(this, 5400, 2400);
  setFixedSize(size());
  Label1 = plat::MakeControl<QLabel>(this, "Label1", {240, 240, 4900, 1300});
  Label1->setWordWrap(true);
  Label1->setText(QStringLiteral("請先確認您所指定的遠端伺服器路徑、主機或IP位址可與本機正常連線並傳遞資料，"
                                 "以免造成系統進行評分工作時，產生成績無法順利儲存的問題！"));
  OKButton = plat::MakeControl<QPushButton>(this, "OKButton", {2100, 1750, 1200, 420});
  OKButton->setText(QStringLiteral("確定"));
  OKButton->setDefault(true);
  SetCancelButton(OKButton);
  QObject::connect(OKButton, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("OKButton_Click"), [this] { OKButton_Click(); });
  });
}

void Dialog::Form_Load() {
  common::ApplyFormText(4, this);
  plat::CentreOnScreen(this);
}

}  // namespace setup
