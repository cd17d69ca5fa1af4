#include "net/forms/noterefresh.h"

#include <QDir>
#include <QFileInfo>

#include "common/accessors.h"
#include "common/settings.h"
#include "net/forms/frmdownload3.h"
#include "net/forms/stampdownload.h"
#include "platform/core/paths.h"
#include "platform/gui/form.h"

namespace net {

void RefreshNoteSettings(std::function<void(const QString&)> arrived, std::function<void()> ended) {
  const QString folder = common::ProgramFolder.get() + QStringLiteral("NOTE");
  QDir().mkpath(folder);
  const QString local = plat::FindCaseInsensitive(folder, QStringLiteral("Zet.ixi"));
  const QString remote = common::Setting986.get().trimmed();
  if (QFileInfo(local).isFile()) common::ReadIniFile(local);
  if (remote.isEmpty()) {
    if (ended) ended();
    return;
  }
  StampedDownload(plat::forms::get<FrmDownload3>(), remote, local, nullptr, [local, arrived, ended](bool replaced) {
    if (replaced) {
      if (arrived) arrived(local);
      else common::ReadIniFile(local);
    }
    if (ended) ended();
  });
}

}  // namespace net
