// Listings and pages the download window fetches by FTP and HTTP: the folder
// listing kept by pattern, each listed name fetched into the data folder
// only when it is safe; the notice page and its write to a file.
#include <QDir>

#include "fuzz/support.h"
#include "net/core/listroutines.h"
#include "platform/core/codec.h"
#include "net/core/webtransfers.h"
#include "platform/net/webclient.h"
#include "testsupport/core/netfakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  const QByteArray bytes = fuzz::Bytes(data, size);
  const QString folder = fuzz::Folder() + QStringLiteral("Data");
  QDir().mkpath(folder);

  net::DownloadView view;
  plat::FakeWebClient client;
  net::WebTransfers web(view, client);
  auto finish = [&](bool ok, const QByteArray& body) {
    plat::WebResult r;
    r.ok = ok;
    r.body = body;
    r.bytes = body.size();
    while (!client.pending.isEmpty()) client.Finish(r);
  };

  net::FtpParameters ftp{QStringLiteral("127.0.0.1"), QStringLiteral("21"), QStringLiteral("exam"),
                         QStringLiteral("pw"), QStringLiteral("exam")};
  for (const char* command : {"dir *.TXT", "dir", "dir T01*.*"}) {
    bool listed = false;
    net::ListResult list;
    web.ListFtp(ftp, QStringLiteral("DovoRO__"), QString::fromLatin1(command), [&](const net::ListResult& r) {
      list = r;
      listed = true;
    });
    finish(true, bytes);
    fuzz::Settle([&] { return listed; });
    int fetched = 0;
    for (const QString& name : list.entries) {
      if (fetched++ == 4) break;
      const QString dest = net::SafeFilePath(folder, name);
      if (dest.isEmpty()) continue;
      if (!fuzz::Inside(dest)) abort();  // a listed name left the data folder
      bool done = false;
      web.DownloadFtp(name, dest, [&](net::TransferOutcome) { done = true; });
      finish(true, QByteArrayLiteral("x\r\n"));
      fuzz::Settle([&] { return done; });
    }
  }
  // The same routines as the window calls them on the listing text.
  const QStringList lines = net::FillListBox(plat::fromCp950(bytes));
  (void)net::FilterByPattern(lines, u"*.TXT");
  (void)net::CheckListBox(lines, u"t01");

  bool paged = false;
  web.GetUrl(QStringLiteral("http://127.0.0.1/notice"), [&](const net::PageResult&) { paged = true; });
  finish(true, bytes);
  fuzz::Settle([&] { return paged; });
  bool written = false;
  web.WriteFile(QStringLiteral("http://127.0.0.1/notice"), fuzz::Folder() + QStringLiteral("Notice.htm"),
                [&](bool) { written = true; });
  finish(true, bytes);
  fuzz::Settle([&] { return written; });
  return 0;
}
