#include "net/forms/operation.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include "common/accessors.h"
#include "common/gui/formtext.h"
#include "common/store.h"
#include "net/forms/frmdownload3.h"
#include "net/forms/stampdownload.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"

namespace net {

Operation::Operation() : Form(QStringLiteral("Operation")) {
  setWindowTitle(QStringLiteral("操作說明"));
  WebBrowser1 = new QTextBrowser(this);
  WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
  WebBrowser1->setOpenLinks(false);
  plat::SetTwipsGeometry(WebBrowser1, {120, 120, 9360, 6000});
  Check1 = new QCheckBox(QStringLiteral("連線偵測是否更新操作說明"), this);
  Check1->setObjectName(QStringLiteral("Check1"));
  Check1->setChecked(true);
  plat::SetTwipsGeometry(Check1, {120, 6240, 5000, 400});
  Command1 = new QPushButton(QStringLiteral("關閉"), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setAutoDefault(false);
  plat::SetTwipsGeometry(Command1, {7980, 6200, 1500, 450});
  plat::SetTwipsSize(this, 9600, 6800);
  connect(Command1, &QPushButton::clicked, this,
          [this] { plat::RunHandler(QStringLiteral("Operation.Command1_Click"), [this] { Command1_Click(); }); });
  SetCancelButton(Command1);
}

QString Operation::PagePath() {
  const QString folder = common::ProgramFolder.get() + QStringLiteral("NOTE");
  return plat::FindCaseInsensitive(folder, QStringLiteral("readme.htm"));
}

void Operation::Command1_Click() { Hide(); }

void Operation::Form_Load() {
  common::ApplyFormText(10, this);
  const QString page = PagePath();
  const QString remote = common::Setting979.get().trimmed();
  QDir().mkpath(QFileInfo(page).absolutePath());
  ShowPage(page);
  if (!Check1->isChecked() || remote.isEmpty()) return;
  QPointer<Operation> self(this);
  NetDownload_New(QFileInfo(page).isFile() ? 1 : 0, remote, page, [self, page] {
    if (self) self->ShowPage(page);
  });
}

void Operation::ShowPage(const QString& page) {
  ShowLocalPage(WebBrowser1, page);
  // A missing or empty page would be a blank white window.
  if (!WebBrowser1->toPlainText().trimmed().isEmpty() || WebBrowser1->toHtml().contains(QStringLiteral("<img")))
    return;
  WebBrowser1->setPlainText(QStringLiteral("目前沒有操作說明。\n\n程式資料夾的 NOTE 裡沒有說明檔 readme.htm，或檔案是空的。"
                                           "如有操作上的問題，請洽監考人員。"));
}

void Operation::NetDownload_New(int ask, const QString& remote, const QString& local, std::function<void()> done) {
  std::function<bool()> question;
  if (ask == 1)
    question = [] {
      return plat::prompt().Ask(common::SystemIniValue(11014).asText(), common::ProductTitle.get(),
                                plat::Buttons::YesNo, plat::Icon::Question) == plat::Answer::Yes;
    };
  StampedDownload(plat::forms::get<FrmDownload3>(), remote, local, question, [done](bool) {
    if (done) done();
  });
}

void ShowOperation(QWidget* owner) { plat::forms::get<Operation>().Show(plat::ShowMode::Modal, owner); }

}  // namespace net
