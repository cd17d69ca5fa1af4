#pragma once
// Pages and files over HTTP and FTP for the download window: the page fetch
// and its write to a file, a file by HTTP, the FTP folder listing and a file
// by FTP. Each call returns at once; its outcome comes to the callback on the
// event loop. The caller looks at its stop flag before it calls.
#include <QByteArray>
#include <QString>
#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>

#include "net/core/downloadview.h"
#include "net/core/receiverlink.h"
#include "platform/net/webclient.h"

namespace net {

struct PageResult {
  bool ok = false;     // the page came whole with a success status
  QByteArray bytes;    // the page as served, blanks at both ends removed
  QString text;        // the same, decoded from CP950
};

struct ListResult {
  bool ok = false;
  QStringList entries;  // names that match the pattern, as the server spells them
};

struct WebLimits {
  int connectMs = 20000;
  int idleMs = 20000;
  qint64 maxPageBytes = 1024 * 1024;   // a longer page is no page (never cut)
  qint64 maxListBytes = 1024 * 1024;
  qint64 maxFileBytes = 256ll * 1024 * 1024;
};

// "http://" + host + "/" + folder + "/" + subject + "/" + name, each part
// percent-encoded from CP950; "\" in the folder becomes "/".
QString HttpFileUrl(const QString& host, const QString& folder, const QString& subject, const QString& name);

// A URL typed or stored as text: blanks, "%"-less non-ASCII and control
// characters are percent-encoded from CP950, the rest is kept.
QByteArray EncodeUrlText(const QString& url);

// The transfer control's state texts (0 to 11); "" for any other state.
QString TransferStateText(int state);

class WebTransfers {
 public:
  WebTransfers(DownloadView& view, plat::WebClient& client);
  ~WebTransfers();
  void SetLimits(const WebLimits& limits) { limits_ = limits; }

  // The page at the URL, whole or not at all. Nothing is shown.
  void GetUrl(const QString& url, std::function<void(const PageResult&)> done);
  // Fetches the page and writes it (bytes as served, then CR LF) over the
  // file in one step; an empty page, a failure or a page holding the
  // not-found text 10601 (when that text is set) leaves the file as it was.
  void WriteFile(const QString& url, const QString& path, std::function<void(bool written)> done);
  // A file by HTTP into the destination.
  void DownloadHttp(const QString& url, const QString& destination, std::function<void(TransferOutcome)> done);

  // Logs in with the parameters, lists the subject's folder
  // (folder + "/" + subject) and keeps the names that match the pattern of
  // the command ("dir *.TXT"; the whole folder when it names none). The login
  // and folder stay for the following DownloadFtp calls.
  void ListFtp(const FtpParameters& ftp, const QString& subject, const QString& command,
               std::function<void(const ListResult&)> done);
  // A file of the folder of the last listing into the destination.
  void DownloadFtp(const QString& remoteName, const QString& destination,
                   std::function<void(TransferOutcome)> done);
  // Sets the login and folder without listing.
  void SetFtpLogin(const FtpParameters& ftp, const QString& subject);

  // Cancels what runs; its callback reports Stopped (or a failed page).
  void Stop();
  bool Busy() const { return !running_.isEmpty(); }

 private:
  QByteArray FtpFolderUrl(bool* ok) const;
  // The control's states of a transfer, shown on the view.
  std::function<void(int)> StateReporter();
  void FileTransfer(const QString& tag, const QString& shown, const QByteArray& url, const QString& destination,
                    std::function<void(TransferOutcome)> done);

  DownloadView& view_;
  plat::WebClient& client_;
  WebLimits limits_;
  FtpParameters ftp_;
  QString subject_;
  QObject ctx_;
  QList<int> running_;  // ids of the transfers under way
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace net
