#include "platform/media/sound.h"

#include <QApplication>
#include <QStandardPaths>

#include "platform/core/launcher.h"
#include "platform/media/gst_support.h"

namespace plat {

// The bell alone reaches no one on most desktops (no PC speaker, the X bell
// off): the tone goes through the sound output, as a sound card's beep did.
void Beeper::Beep() {
  QApplication::beep();
  PlayWarningTone();
}

namespace {
Beeper* g_beeper = nullptr;
Mixer* g_mixer = nullptr;
}  // namespace

Beeper& beeper() {
  static Beeper real;
  return g_beeper ? *g_beeper : real;
}

void SetBeeper(Beeper* b) { g_beeper = b; }

QStringList Mixer::Candidates() {
  return {QStringLiteral("pavucontrol"), QStringLiteral("pavucontrol-qt"), QStringLiteral("gnome-control-center"),
          QStringLiteral("mate-volume-control"), QStringLiteral("xfce4-mixer")};
}

bool Mixer::Start(QString* why) {
  for (const QString& name : Candidates()) {
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty()) continue;
    QStringList args;
    if (name == u"gnome-control-center") args << QStringLiteral("sound");
    if (launcher().Start(path, args, WindowStyle::NormalNoFocus)) return true;
    if (why) *why = QStringLiteral("無法啟動音量控制程式 %1。").arg(path);
    return false;
  }
  if (why) *why = NoProgramText(QStringLiteral("音量控制程式"), Candidates());
  return false;
}

Mixer& mixer() {
  static Mixer real;
  return g_mixer ? *g_mixer : real;
}

void SetMixer(Mixer* m) { g_mixer = m; }

}  // namespace plat
