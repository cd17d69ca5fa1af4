#include "net/forms/stampdownload.h"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include "common/store.h"
#include "net/forms/frmdownload3.h"
#include "platform/core/textfile.h"

namespace net {

namespace {
QString FirstLine(const QString& text) {
  qsizetype end = 0;
  while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
  return text.left(end);
}
}  // namespace

bool NewerStamp(const std::optional<QString>& remote, const std::optional<QString>& local) {
  // A stamp that is not there is not a value: it never equals one that is.
  if (remote && remote->isEmpty()) return false;
  if (!remote || !local) return true;
  return *remote != *local;
}

QString StampValue(const QString& path, const QString& missing) {
  if (!QFileInfo(path).isFile()) return missing;
  QStringList lines;
  if (!plat::readTextLines(path, lines)) return missing;
  return lines.isEmpty() ? QString() : lines.first();
}

void StampedDownload(FrmDownload3& window, const QString& remote, const QString& local,
                     std::function<bool()> ask, std::function<void(bool)> done) {
  QPointer<FrmDownload3> w(&window);
  const QString remoteStamp = StampName(remote);
  const QString localStamp = StampName(local);
  // The remote stamp is read in memory: no work file can be left behind, nor
  // an old one read in place of the current stamp.
  window.GetUrl(remoteStamp, [w, remote, local, remoteStamp, localStamp, ask, done](const PageResult& page) {
    if (!w) return;
    const QString marker = common::SystemIniValue(10601).asText();
    const bool had = page.ok && !page.bytes.isEmpty() && (marker.isEmpty() || !page.text.contains(marker));
    if (!NewerStamp(had ? std::optional<QString>(FirstLine(page.text)) : std::nullopt,
                    QFileInfo(localStamp).isFile() ? std::optional<QString>(StampValue(localStamp, QString()))
                                                   : std::nullopt) ||
        (ask && !had)) {
      if (done) done(false);
      return;
    }
    auto fetch = [w, remote, local, remoteStamp, localStamp, done] {
      if (!w) return;
      w->WriteFile(remote, local, [w, remoteStamp, localStamp, done](bool written) {
        if (!w || !written) {
          if (done) done(false);
          return;
        }
        w->WriteFile(remoteStamp, localStamp, [done](bool) {
          if (done) done(true);
        });
      });
    };
    if (!ask) return fetch();
    // The question is asked from the loop, not from inside the transfer's
    // completion.
    QTimer::singleShot(0, w, [w, ask, fetch, done] {
      if (!w) return;
      if (ask())
        fetch();
      else if (done)
        done(false);
    });
  });
}

}  // namespace net
