#include "net/core/webtransfers.h"

#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include "common/errorlog.h"
#include "common/store.h"
#include "net/core/failurelog.h"
#include "net/core/listroutines.h"
#include "platform/core/codec.h"
#include "platform/core/textfile.h"

namespace net {

namespace {

constexpr auto Text = &common::StoreText;

QByteArray TrimBlanks(const QByteArray& b) {
  // Only 0x20: it is never the second byte of a Big5 character.
  qsizetype start = 0, end = b.size();
  while (start < end && b[start] == ' ') ++start;
  while (end > start && b[end - 1] == ' ') --end;
  return b.mid(start, end - start);
}

// The reason of a failed transfer for the error report.
QString Reason(const plat::WebResult& r) {
  QString reason = r.error.isEmpty() ? QStringLiteral("failed") : r.error;
  if (r.code != 0) reason += QStringLiteral(" (%1)").arg(r.code);
  return reason;
}

bool Unreachable(int curlCode) {
  // Could not resolve, could not connect, timed out.
  return curlCode == 6 || curlCode == 7 || curlCode == 28;
}

}  // namespace

QString HttpFileUrl(const QString& host, const QString& folder, const QString& subject, const QString& name) {
  QByteArray url = "http://" + EncodeUrlText(host);
  QByteArray f = plat::EncodeFolderPath(folder);
  if (f.startsWith("%2F")) f = f.mid(3);
  if (!f.isEmpty()) url += "/" + f;
  url += "/" + plat::EncodePathSegment(subject) + "/" + plat::EncodePathSegment(name);
  return QString::fromLatin1(url);
}

QByteArray EncodeUrlText(const QString& url) {
  // "\" is turned into "/" before encoding: as a byte it is also the second
  // byte of many Big5 characters.
  QString text = url.trimmed();
  text.replace(u'\\', u'/');
  const QByteArray raw = plat::toCp950(text);
  QByteArray out;
  static const char hex[] = "0123456789ABCDEF";
  for (char c : raw) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`' ||
        c == '{' || c == '|' || c == '}') {
      out.append('%');
      out.append(hex[u >> 4]);
      out.append(hex[u & 15]);
    } else {
      out.append(c);
    }
  }
  return out;
}

QString TransferStateText(int state) {
  static const char* const texts[] = {
      "0 無狀態可報告",
      "1 此控制項正在查詢所指定的主機的 IP 位址",
      "2 此控制項已成功地找到所指定的主機的 IP 位址",
      "3 此控制項正在與主機連接",
      "4 此控制項已與主機連接成功",
      "5 此控制項正在向主機傳送請求",
      "6 此控制項傳送請求已成功",
      "7 此控制項正在接收主機的回應",
      "8 此控制項已成功地接收到主機的回應",
      "9 此控制項正在解除與主機的連接",
      "10 此控制項已成功地與主機解除了連接",
      "11 與主機通訊時出現了錯誤",
  };
  if (state < 0 || state > 11) return {};
  return QString::fromUtf8(texts[state]);
}

WebTransfers::WebTransfers(DownloadView& view, plat::WebClient& client) : view_(view), client_(client) {}

WebTransfers::~WebTransfers() {
  *alive_ = false;
  for (int id : running_) client_.Cancel(id);
}

void WebTransfers::Stop() {
  const QList<int> ids = running_;
  for (int id : ids) client_.Cancel(id);
}

void WebTransfers::GetUrl(const QString& url, std::function<void(const PageResult&)> done) {
  if (url.trimmed().isEmpty()) {
    // No address, nothing asked of any server.
    QTimer::singleShot(0, &ctx_, [done] { done(PageResult{}); });
    return;
  }
  plat::WebRequest req(EncodeUrlText(url));
  req.maxBytes = limits_.maxPageBytes;
  req.connectTimeoutMs = limits_.connectMs;
  req.idleTimeoutMs = limits_.idleMs;
  auto alive = alive_;
  auto id = std::make_shared<int>(0);
  *id = client_.Start(req, [this, alive, id, done, url](const plat::WebResult& r) {
    if (!*alive) return;
    running_.removeAll(*id);
    PageResult page;
    if (r.ok) {
      page.ok = true;
      page.bytes = TrimBlanks(r.body);
      page.text = plat::fromCp950(page.bytes);
    } else if (r.failure != plat::WebFailure::Cancelled) {
      LogFailure(QStringLiteral("WWW>"), AddressHost(url), AddressRequest(url), Reason(r));
    }
    done(page);
  });
  running_.append(*id);
}

void WebTransfers::WriteFile(const QString& url, const QString& path, std::function<void(bool)> done) {
  GetUrl(url, [path, done](const PageResult& page) {
    const QString marker = Text(10601);
    // An unset marker is in every text; it must not block every write.
    bool missing = page.bytes.isEmpty() || (!marker.isEmpty() && page.text.contains(marker));
    QString why;
    const bool written = !missing && plat::writeBytesAtomic(path, page.bytes + "\r\n", &why);
    if (!missing && !written) common::WriteErrorLog(QStringLiteral("WWW>無法寫入>") + path + u' ' + why);
    done(written);
  });
}

void WebTransfers::DownloadHttp(const QString& url, const QString& destination,
                                std::function<void(TransferOutcome)> done) {
  FileTransfer(QStringLiteral("WWW>"), url, EncodeUrlText(url), destination, std::move(done));
}

void WebTransfers::FileTransfer(const QString& tag, const QString& shown, const QByteArray& url,
                                const QString& destination, std::function<void(TransferOutcome)> done) {
  view_.AddLog(tag + shown);
  common::WriteErrorLog(tag + shown);
  view_.SetLinkStatus(link::kRunning);
  view_.SetReplyLine(LineColour::Magenta);
  plat::WebRequest req(url);
  req.onState = StateReporter();
  if (tag == u"FTP>") {
    req.user = ftp_.user;
    req.password = ftp_.password;
  }
  req.destination = destination;
  req.maxBytes = limits_.maxFileBytes;
  req.connectTimeoutMs = limits_.connectMs;
  req.idleTimeoutMs = limits_.idleMs;
  auto alive = alive_;
  auto id = std::make_shared<int>(0);
  const QString host = AddressHost(QString::fromLatin1(url));
  const QString request = url.isEmpty() ? shown : AddressRequest(QString::fromLatin1(url));
  auto finish = [this, alive, id, done, tag, shown, host, request](const plat::WebResult& r) {
    if (!*alive) return;
    running_.removeAll(*id);
    if (r.ok) {
      view_.SetLinkStatus(link::kDone);
      view_.SetReplyLine(LineColour::Green);
      view_.AddLog(shown + QStringLiteral(">") + Text(10625) + QStringLiteral("..."));
      done(TransferOutcome::Done);
      return;
    }
    if (r.failure != plat::WebFailure::Cancelled)
      LogFailure(tag, host, request, Reason(r));
    view_.SetLinkStatus(link::kFailed);
    view_.SetReplyLine(LineColour::Black);
    done(r.failure == plat::WebFailure::Cancelled ? TransferOutcome::Stopped : TransferOutcome::Failed);
  };
  if (!IsSafeFileName(QFileInfo(destination).fileName()) || url.isEmpty()) {
    plat::WebResult bad;
    bad.failure = plat::WebFailure::LocalFile;
    bad.error = QStringLiteral("refused name or address");
    view_.SetTransferState(11);
    QTimer::singleShot(0, &ctx_, [finish, bad] { finish(bad); });  // on the loop, as every outcome
    return;
  }
  *id = client_.Start(req, finish);
  running_.append(*id);
}

std::function<void(int)> WebTransfers::StateReporter() {
  auto alive = alive_;
  return [this, alive](int state) {
    if (*alive) view_.SetTransferState(state);
  };
}

void WebTransfers::SetFtpLogin(const FtpParameters& ftp, const QString& subject) {
  ftp_ = ftp;
  subject_ = subject;
}

QByteArray WebTransfers::FtpFolderUrl(bool* ok) const {
  bool portOk = false;
  const int port = ftp_.port.trimmed().isEmpty() ? 21 : ftp_.port.trimmed().toInt(&portOk);
  if (ftp_.port.trimmed().isEmpty()) portOk = true;
  *ok = portOk && port >= 1 && port <= 65535 && !ftp_.host.trimmed().isEmpty();
  QByteArray url = "ftp://" + plat::EncodePathSegment(ftp_.host.trimmed()) + ":" + QByteArray::number(port) + "/";
  QByteArray folder = plat::EncodeFolderPath(ftp_.folder);
  if (!folder.isEmpty()) url += folder + "/";
  url += plat::EncodePathSegment(subject_) + "/";
  return url;
}

void WebTransfers::ListFtp(const FtpParameters& ftp, const QString& subject, const QString& command,
                           std::function<void(const ListResult&)> done) {
  SetFtpLogin(ftp, subject);
  view_.SetStatus(Text(10620));
  view_.SetReplyLine(LineColour::Red);
  QString pattern = command.trimmed();
  if (pattern.startsWith(u"dir", Qt::CaseInsensitive)) pattern = pattern.mid(3).trimmed();
  if (pattern.isEmpty()) pattern = QStringLiteral("*");

  bool ok = false;
  QByteArray url = FtpFolderUrl(&ok);
  // The description names the server and the request, then the reason.
  const QString where = FailureLine(QStringLiteral("FTP>"), ftp_.host.trimmed() + u':' + ftp_.port.trimmed(),
                                    QStringLiteral("NLST ") + QUrl(QString::fromLatin1(url)).path(QUrl::FullyEncoded),
                                    QString());
  auto fail = [this, done, where](const QString& desc, int number) {
    common::WriteErrorLog(where + desc + QStringLiteral(" ") + QString::number(number) + QStringLiteral(" 0 Set_Ftp2 "));
    view_.SetLinkStatus(link::kFailed);
    view_.SetReplyLine(LineColour::Black);
    if (Unreachable(number))
      view_.SetStatus(Text(10623));
    else
      view_.SetStatus(Text(10623) + QStringLiteral("xxx") + desc + QStringLiteral(" ") + QString::number(number));
    done(ListResult{});
  };
  if (!ok) {
    // Not a host we cannot reach: the message names the fault.
    QTimer::singleShot(0, &ctx_, [fail] { fail(QStringLiteral("invalid FTP host or port"), 3); });
    return;
  }
  plat::WebRequest req(url);
  req.user = ftp_.user;
  req.password = ftp_.password;
  req.listNames = true;
  req.onState = StateReporter();
  req.maxBytes = limits_.maxListBytes;
  req.connectTimeoutMs = limits_.connectMs;
  req.idleTimeoutMs = limits_.idleMs;
  auto alive = alive_;
  auto id = std::make_shared<int>(0);
  *id = client_.Start(req, [this, alive, id, done, fail, pattern](const plat::WebResult& r) {
    if (!*alive) return;
    running_.removeAll(*id);
    if (!r.ok) {
      fail(r.error, r.code ? r.code : 28);
      return;
    }
    view_.SetStatus(Text(10621));
    view_.SetReplyLine(LineColour::Black);
    ListResult out;
    out.ok = true;
    out.entries = FilterByPattern(FillListBox(plat::fromCp950(r.body)), pattern);
    view_.SetStatus(Text(10622));
    done(out);
  });
  running_.append(*id);
}

void WebTransfers::DownloadFtp(const QString& remoteName, const QString& destination,
                               std::function<void(TransferOutcome)> done) {
  bool ok = false;
  QByteArray url = FtpFolderUrl(&ok);
  if (!ok || !IsSafeFileName(remoteName)) url.clear();
  else url += plat::EncodePathSegment(remoteName);
  FileTransfer(QStringLiteral("FTP>"), remoteName, url, destination, std::move(done));
}

}  // namespace net
