#include "exam/setup/digpath.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/formtext.h"
#include "common/store.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/gui/controls.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"
#include "platform/net/tcpclient.h"
#include "exam/setup/smallwindows.h"

namespace setup {

namespace {

constexpr int kGiveUpAfterTicks = 10;

}  // namespace

digPath::digPath() : Form(QStringLiteral("digPath")) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  plat::SetTwipsSize(this, 6000, 2250);
  setFixedSize(size());
  Label1 = plat::MakeControl<QLabel>(this, "Label1", {240, 180, 5500, 300});
  Text1 = plat::MakeControl<QLineEdit>(this, "Text1", {240, 540, 5500, 360});
  lblMessage = plat::MakeControl<QLabel>(this, "lblMessage", {240, 1020, 5500, 300});
  OKButton = plat::MakeControl<QPushButton>(this, "OKButton", {3240, 1500, 1200, 420});
  CancelButton = plat::MakeControl<QPushButton>(this, "CancelButton", {4560, 1500, 1200, 420});
  OKButton->setText(QStringLiteral("確定"));
  CancelButton->setText(QStringLiteral("取消"));
  OKButton->setDefault(true);
  SetCancelButton(CancelButton);
  Timer1 = new plat::FormTimer(this, QStringLiteral("Timer1"));
  Timer1->SetEnabled(false);
  Timer1->Tick = [this] { Timer1_Timer(); };
  QObject::connect(OKButton, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("OKButton_Click"), [this] { OKButton_Click(); });
  });
  QObject::connect(CancelButton, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("CancelButton_Click"), [this] { CancelButton_Click(); });
  });
}

digPath::~digPath() = default;

void digPath::Form_Load() {
  common::ApplyFormText(5, this);
  chkSure = 0;
  plat::CentreOnScreen(this);
}

void digPath::Form_Activate() {
  OKButton->setEnabled(!testing_);
  CancelButton->setEnabled(true);
}

void digPath::OKButton_Click() {
  if (testing_) return;
  // A folder of blanks is no folder (trimmed it would name the root). A host
  // entry counts as typed: blanks only are taken without a test, and the
  // start refuses them as no host.
  const QString entry = chkPathOrServer == 1 ? Text1->text().trimmed() : Text1->text();
  if (entry.size() < 2) {
    plat::prompt().Ask(common::StoreText(10503), common::StoreText(14001), plat::Buttons::Ok, plat::Icon::None);
    return;
  }
  if (chkPathOrServer == 1) {
    if (!chkPath()) {
      plat::prompt().Ask(common::StoreText(10501) + u'\n' + common::StoreText(10502), common::ProductTitle.get(),
                         plat::Buttons::Ok, plat::Icon::Exclamation);
      return;
    }
    Confirm();
    return;
  }
  if (Text1->text().trimmed().isEmpty()) {
    Confirm();
    return;
  }
  CrsDeliver();  // confirms once connected
}

void digPath::Confirm() {
  chkSure = -1;
  Hide();
  plat::forms::get<Dialog>().Show(plat::ShowMode::Modeless);
  common::RunModeFlag.set(2);
}

void digPath::CancelButton_Click() {
  chkSure = 0;
  Timer1->SetEnabled(false);
  if (testing_) {
    testing_ = false;
    CloseSocket();
    OKButton->setEnabled(true);
  }
  Hide();
}

bool digPath::chkPath() {
  try {
    QString text = Text1->text();
    if (!text.endsWith(u'\\') && !text.endsWith(u'/')) {
      text += u'/';
      Text1->setText(text);
    }
    QString folder = plat::ToSlashes(text.trimmed());
    if (folder.isEmpty()) return false;
    if (QDir::isRelativePath(folder)) folder = common::ProgramFolder.get() + folder;
    return QFileInfo(folder).isDir();
  } catch (...) {
    return false;
  }
}

void digPath::CloseSocket() {
  if (socket_ && !socket_->IsClosed()) socket_->Close();
}

void digPath::EnsureSocket() {
  if (socket_) return;
  socket_ = plat::MakeTcpClient();
  QObject::connect(socket_.get(), &plat::TcpClient::connected, this, [this] {
    plat::RunHandler(QStringLiteral("Winsock1_Connect"), [this] { Winsock1_Connect(); });
  });
  QObject::connect(socket_.get(), &plat::TcpClient::peerClosed, this, [this] {
    plat::RunHandler(QStringLiteral("Winsock1_Close"), [this] { Winsock1_Close(); });
  });
}

void digPath::Connect() {
  EnsureSocket();
  connected_ = false;
  socket_->Connect();
}

void digPath::CrsDeliver() {
  LinkStatus = 0;
  OKButton->setEnabled(false);
  testing_ = true;
  CloseSocket();
  const QString host = Text1->text().trimmed();
  const double port = plat::ValNumber(common::SystemIniValue(5902).asText());
  EnsureSocket();
  socket_->SetRemoteHost(host);
  socket_->SetRemotePort(port >= 1 && port <= 65535 ? static_cast<int>(port) : 0);
  Timer1->SetInterval(1000);
  Timer1->SetEnabled(true);
  ticks_ = 0;
  lblMessage->setText(common::StoreText(10505));
  if (port < 1 || port > 65535)
    common::WriteErrorLog(QStringLiteral("digPath>成績主機連接埠不正確>") + common::SystemIniValue(5902).asText());
  Connect();
}

void digPath::Timer1_Timer() {
  ++ticks_;
  if (ticks_ > kGiveUpAfterTicks) {
    Timer1->SetEnabled(false);
    CloseSocket();
    ticks_ = 0;
    LinkStatus = 3;
    lblMessage->setText(common::StoreText(10504));
    OKButton->setEnabled(true);
    testing_ = false;
  } else {
    CloseSocket();
    Connect();
    LinkStatus = 2;
  }
  if (connected_) Timer1->SetEnabled(false);
  lblMessage->setText(lblMessage->text() + u'>');
}

void digPath::Winsock1_Connect() {
  if (!testing_) return;
  lblMessage->setText(common::StoreText(10506));
  connected_ = true;
  Timer1->SetEnabled(false);
  LinkStatus = 1;
  CloseSocket();
  testing_ = false;
  OKButton->setEnabled(true);
  Confirm();
}

void digPath::Winsock1_Close() { CloseSocket(); }

}  // namespace setup
