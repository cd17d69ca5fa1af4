#include "net/forms/noterefresh.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include "common/accessors.h"
#include "common/settings.h"
#include "net/forms/frmdownload3.h"
#include "net/forms/stampdownload.h"
#include "platform/core/paths.h"
#include "platform/gui/form.h"

namespace net {

void RefreshNoteSettings(std::function<void()> done) {
  const QString folder = common::ProgramFolder.get() + QStringLiteral("NOTE");
  QDir().mkpath(folder);
  const QString local = plat::FindCaseInsensitive(folder, QStringLiteral("Zet.ixi"));
  const QString remote = common::Setting986.get().trimmed();
  auto apply = [local, done](bool) {
    if (QFileInfo(local).isFile()) common::ReadIniFile(local);
    if (done) done();
  };
  if (remote.isEmpty()) return apply(false);
  StampedDownload(plat::forms::get<FrmDownload3>(), remote, local, nullptr, apply);
}

void RefreshNoteSettingsNow() {
  QEventLoop loop;
  bool finished = false;
  RefreshNoteSettings([&] {
    finished = true;
    loop.quit();
  });
  if (!finished) loop.exec();
}

}  // namespace net
