#pragma once
// A file published on a web server is fetched again only when its stamp
// changed: the stamp is a small file beside it, named like it with the last
// character replaced by "x", and compared by its first line.
#include <QString>
#include <functional>
#include <optional>

namespace net {

class FrmDownload3;

// The first line of a stamp file ("" when it has none), nullopt-free: a
// missing file gives `missing`.
QString StampValue(const QString& path, const QString& missing);

// Whether the file is fetched, by the stamps' first lines (nullopt: no
// stamp). A remote stamp with an empty first line fetches nothing; a missing
// stamp on either side always fetches (the file itself is still tried when
// the server's stamp cannot be had), whatever the other side's value.
bool NewerStamp(const std::optional<QString>& remote, const std::optional<QString>& local);

// Fetches `remote` into `local`, and then its stamp beside it, when
// NewerStamp says so. `ask`, when given, is asked first and the fetch goes on
// only on true; it is not asked when the remote stamp could not be read
// (nothing new is known).
// The local stamp is replaced only after the file itself was written, so a
// failed fetch is tried again next time. `done` gets whether the file was
// replaced. The transfers go through the download window's WriteFile.
void StampedDownload(FrmDownload3& window, const QString& remote, const QString& local,
                     std::function<bool()> ask, std::function<void(bool replaced)> done);

}  // namespace net
