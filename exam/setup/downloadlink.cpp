#include "exam/setup/downloadlink.h"

#include <QFileInfo>

#include "net/forms/frmdownload3.h"
#include "net/forms/noterefresh.h"
#include "net/forms/operation.h"
#include "exam/setup/setupscreen.h"

namespace setup {

DownloadFieldValues& DownloadFields() {
  static DownloadFieldValues v;
  return v;
}

int DownloadLinkStatus() { return plat::forms::get<run::FrmDownload3>().NetLinkStatus; }

bool DownloadBusy() {
  if (!plat::forms::exists<run::FrmDownload3>()) return false;
  const run::FrmDownload3& w = plat::forms::get<run::FrmDownload3>();
  return w.Busy() || (w.UserSw == kDownloadParts && w.isVisible() && w.NetLinkStatus == 2);
}

namespace {
// The set-up screen's values go into the window's fields before each show;
// the addresses and the FTP text only at its first show (its load).
void CopyFields(run::FrmDownload3& w, int mode) {
  const DownloadFieldValues& d = DownloadFields();
  if (!w.IsLoaded()) {
    w.Text6->setText(d.text6);
    w.Text7->setText(d.text7);
    w.Text8->setText(d.text8);
    w.Text9->setText(d.text9);
    if (!d.text10.isEmpty()) w.Text10->setText(d.text10);
    if (!d.text11.isEmpty()) w.Text11->setText(d.text11);
    if (!d.text13.isEmpty()) w.Text13->setText(d.text13);
  }
  w.UserSetData = d.userSetData;
  if (!d.text1.isEmpty()) w.Text1->setText(d.text1);
  if (!d.text5.isEmpty()) w.Text5->setText(d.text5);
  if (!d.t5.isEmpty()) w.T5->setText(d.t5);
  if (!d.t6.isEmpty()) w.T6->setText(d.t6);
  if (d.check1 == 1) w.Check1->setChecked(true);
  // A fetch reports only the test it brought.
  if (mode == kDownloadTest || mode == kDownloadScores) w.Text4->setText(d.text4);
}
}  // namespace

void ShowDownload(int mode, bool modal, QWidget* owner) {
  run::FrmDownload3& w = plat::forms::get<run::FrmDownload3>();
  CopyFields(w, mode);
  w.UserSw = static_cast<std::uint8_t>(mode);
  w.Show(modal ? plat::ShowMode::Modal : plat::ShowMode::Modeless, owner);
}

QString DownloadedTestPath() {
  if (plat::forms::exists<run::FrmDownload3>()) {
    const QString fetched = plat::forms::get<run::FrmDownload3>().Text4->text();
    if (!fetched.isEmpty()) return fetched;
  }
  return DownloadFields().text4;
}

void MarkTestUnderWay() { net::SetTestUnderWay(true); }

void FetchPartsOf(const QString& testFile, QWidget* owner) {
  if (!plat::forms::exists<run::FrmDownload3>()) return;
  const run::FrmDownload3& w = plat::forms::get<run::FrmDownload3>();
  if (w.UserSw == kDownloadParts) return;  // under way, or done for this test
  const QFileInfo fetched(w.Text4->text());
  if (w.Text4->text().isEmpty() || !fetched.isFile() ||
      fetched.canonicalFilePath() != QFileInfo(testFile).canonicalFilePath())
    return;
  ShowDownload(kDownloadParts, false, owner);
}

void InstallNetworkHooks() {
  setupHooks().RefreshNoteSettings = [] {
    net::RefreshNoteSettings([](const QString& local) {
      if (plat::forms::exists<輸入資料表面>()) plat::forms::get<輸入資料表面>().NoteArrived(local);
    });
  };
  setupHooks().ShowOperation = [](QWidget* owner) { net::ShowOperation(owner); };
}

}  // namespace setup
