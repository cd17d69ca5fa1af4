#include "test/setup/downloadlink.h"

#include "test/run/frmdownload3.h"

namespace setup {

DownloadFieldValues& DownloadFields() {
  static DownloadFieldValues v;
  return v;
}

int DownloadLinkStatus() { return plat::forms::get<run::FrmDownload3>().NetLinkStatus; }

bool DownloadBusy() {
  if (!plat::forms::exists<run::FrmDownload3>()) return false;
  const run::FrmDownload3& w = plat::forms::get<run::FrmDownload3>();
  return w.UserSw == kDownloadParts && w.isVisible() && w.NetLinkStatus == 2;
}

void ShowDownload(int mode, bool modal, QWidget* owner) {
  run::FrmDownload3& w = plat::forms::get<run::FrmDownload3>();
  w.UserSw = static_cast<std::uint8_t>(mode);
  w.Show(modal ? plat::ShowMode::Modal : plat::ShowMode::Modeless, owner);
}

QString DownloadedTestPath() { return DownloadFields().text4; }

}  // namespace setup
