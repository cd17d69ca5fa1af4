#include "exam/run/core/run_services.h"

#include <QFileInfo>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/store.h"
#include "common/utilities.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/media/sound.h"
#include "exam/run/core/test_clock.h"

namespace run {

rec::SetupValues& SetupScreenValues() {
  static rec::SetupValues values;
  return values;
}

namespace {
TestClock* g_clock = nullptr;

AnchoredClock& builtInClock() {
  static AnchoredClock c;
  return c;
}
}  // namespace

TestClock& testClock() { return g_clock ? *g_clock : builtInClock(); }

void SetTestClock(TestClock* c) { g_clock = c; }

void AnchorTestClock() { builtInClock().Anchor(); }


int StoreInt(int number) { return common::SystemIniValue(number).asInt(); }

void ShowMessage(const QString& text, bool warning) {
  plat::prompt().Ask(text, common::ProductTitle.get(), plat::Buttons::Ok,
                     warning ? plat::Icon::Exclamation : plat::Icon::None);
}

void OpenVolumeMixer(const QString& procedure) {
  QString why;
  if (plat::mixer().Start(&why)) return;
  common::WriteErrorLog(procedure + u'>' + why);
  common::ShowMissingProgramMessage(why, QStringLiteral("請用桌面上的音量控制調整聲音大小,或請監考人員協助。"),
                                    common::ProductTitle.get());
}

bool AudioFileExists(const QString& path) {
  if (IsNoPart(path)) return false;
  return QFileInfo(plat::ResolvePath(path)).isFile();
}

bool IsNoPart(const QString& file) { return file.isEmpty() || file == u"ZZZZZZZZ.ZZZ"; }

}  // namespace run
