#include "exam/run/forms/volumetest.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/filenames.h"
#include "common/gui/formtext.h"
#include "common/utilities.h"
#include "platform/core/paths.h"
#include "platform/gui/buttonkeys.h"
#include "platform/gui/twips.h"
#include "platform/media/audio_device.h"
#include "platform/media/sound.h"
#include "platform/media/transport_bar.h"
#include "exam/run/core/run_services.h"

namespace run {

namespace {

// The first file of the folder matching the pattern, by name; empty when none.
QString FirstMatch(const QString& folder, const QString& pattern) {
  if (folder.isEmpty()) return QString();
  const QStringList found = plat::FindFiles(plat::ToSlashes(folder), pattern);
  return found.isEmpty() ? QString() : found.first();
}

QString WithSlash(QString folder) {
  folder = plat::ToSlashes(folder);
  if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
  return folder;
}

}  // namespace

音量測試::音量測試() : Form(QStringLiteral("音量測試")) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(plat::TwipsToPixels(5400), plat::TwipsToPixels(2700));
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setWordWrap(true);
  lblNoSample = new QLabel(this);
  lblNoSample->setObjectName(QStringLiteral("lblNoSample"));
  lblNoSample->setWordWrap(true);
  lblNoSample->setTextFormat(Qt::PlainText);
  lblNoSample->setStyleSheet(QStringLiteral("color: #b00000"));
  lblNoSample->hide();
  for (int i = 0; i < 2; ++i) {
    Option1[i] = new QRadioButton(this);
    Option1[i]->setObjectName(plat::ArrayElementName(QStringLiteral("Option1"), i));
  }
  Option1[1]->setChecked(true);
  Command2 = new QPushButton(this);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command4 = new QPushButton(this);
  Command4->setObjectName(QStringLiteral("Command4"));
  Mci = plat::NewAudioDevice(this);
  Mci->setNotify(true);  // each completion starts the sample again
  MMControl1 = new plat::MciTransportBar(Mci, this);
  MMControl1->setObjectName(QStringLiteral("MMControl1"));
  plat::SetTwipsGeometry(Label1, {240, 150, 4900, 500});
  plat::SetTwipsGeometry(Option1[1], {240, 750, 2300, 350});
  plat::SetTwipsGeometry(Option1[0], {2700, 750, 2300, 350});
  plat::SetTwipsGeometry(MMControl1, {240, 1250, 1900, 450});
  plat::SetTwipsGeometry(lblNoSample, {2300, 1180, 2900, 680});
  plat::SetTwipsGeometry(Command2, {2400, 1900, 1300, 450});
  plat::SetTwipsGeometry(Command4, {3850, 1900, 1300, 450});
  for (int i = 0; i < 2; ++i)
    connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  plat::PlainKeysPressButtons(this);
  connect(Mci, &plat::AudioDevice::done, this, [this] { MMControl1_Done(); });
  connect(Mci, &plat::AudioDevice::statusUpdate, this, [this] { MMControl1_StatusUpdate(); });
}

void 音量測試::Form_Load() {
  common::ApplyFormText(13, this);
  Mci->setUpdateInterval(1000);
  Option1_Click(0);
  AutoGetFileName();
  plat::CentreOnScreen(this);
}

void 音量測試::Form_Activate() {
  Mci->setTimeFormat(0);
  Option1_Click(1);
}

void 音量測試::Option1_Click(int) {
  Mci->command(QStringLiteral("CLOSE"));
  Mci->setFileName(Option1[1]->isChecked() ? VoiceFileFemale : VoiceFileMale);
  // The control told its completion after the open, which started the
  // sample playing.
  if (Mci->command(QStringLiteral("OPEN"))) MMControl1_Done();
  ShowSampleState();
}

void 音量測試::ShowSampleState() {
  // Grey buttons alone do not tell a candidate why nothing can be heard.
  const bool female = Option1[1]->isChecked();
  const bool there = AudioFileExists(female ? VoiceFileFemale : VoiceFileMale);
  lblNoSample->setText(QStringLiteral("找不到試聽聲音檔 %1,\n無法試聽。").arg(female ? u"TEST-F" : u"TEST-M"));
  lblNoSample->setVisible(!there);
}

void 音量測試::MMControl1_Done() {
  Mci->command(QStringLiteral("prev"));
  Mci->command(QStringLiteral("play"));
}

// Positions are reported in milliseconds whatever set the format before.
void 音量測試::MMControl1_StatusUpdate() { Mci->setTimeFormat(0); }

void 音量測試::Command2_Click() { OpenVolumeMixer(QStringLiteral("Command2_Click")); }

void 音量測試::Command4_Click() {
  Mci->command(QStringLiteral("CLOSE"));
  Hide();
}

void 音量測試::Form_Unload(int&) { Mci->command(QStringLiteral("CLOSE")); }

void 音量測試::AutoGetFileName() {
  auto lookIn = [this](const QString& folder) {
    const QString female = FirstMatch(folder, QStringLiteral("TEST-F.*"));
    if (female.isEmpty()) return false;
    VoiceFileFemale = folder + female;
    VoiceFileMale = folder + FirstMatch(folder, QStringLiteral("TEST-M.*"));
    return true;
  };
  if (lookIn(WithSlash(common::PathPart(2, SetupScreenValues().testFile)))) return;
  // No CD (an empty path) means the program folder, never the current one.
  const QString cd = common::FindCdDataPath();
  lookIn(cd.isEmpty() ? WithSlash(common::ProgramFolder.get()) : WithSlash(cd));
  ShowSampleState();
}

}  // namespace run
