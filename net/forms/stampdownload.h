#pragma once
// A file published on a web server is fetched again only when its stamp
// changed: the stamp is a small file beside it, named like it with the last
// character replaced by "x", and compared by its first line.
#include <QString>
#include <functional>

namespace net {

class FrmDownload3;

// The first line of a stamp file ("" when it has none), nullopt-free: a
// missing file gives `missing`.
QString StampValue(const QString& path, const QString& missing);

// Fetches `remote` into `local`, and then its stamp beside it, when the
// remote stamp's first line is not empty and differs from the local one (a
// missing local stamp reads "2"; a remote one that cannot be had reads "1").
// `ask`, when given, is asked first and the fetch goes on only on true; it is
// not asked when the remote stamp could not be read (nothing new is known).
// The local stamp is replaced only after the file itself was written, so a
// failed fetch is tried again next time. `done` gets whether the file was
// replaced. The transfers go through the download window's WriteFile.
void StampedDownload(FrmDownload3& window, const QString& remote, const QString& local,
                     std::function<bool()> ask, std::function<void(bool replaced)> done);

}  // namespace net
