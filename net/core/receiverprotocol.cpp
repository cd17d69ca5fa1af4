#include "net/core/receiverprotocol.h"

#include "common/cipher.h"
#include "common/store.h"
#include "common/utilities.h"
#include "platform/core/codec.h"

namespace net {

QString TestListRequest(QStringView subject) { return QStringLiteral("GETQUS ") + subject.toString(); }
QString ServerParametersRequest() { return QStringLiteral("GETDEF 027 028 029 030 031"); }
QString NoticePageRequest() { return QStringLiteral("GETDEF 005"); }
QString FileSizeRequest(QStringView subject, QStringView name) {
  return QStringLiteral("FILSIZ ") + subject.toString() + u' ' + name.toString();
}
QString FileBytesRequest(QStringView subject, QStringView name) {
  return QStringLiteral("FILBIN ") + subject.toString() + u' ' + name.toString();
}

bool EncipherRequests() { return common::SystemIniValue(5951).asInt() == 1; }

QByteArray RequestBytes(QStringView request) {
  if (EncipherRequests()) return plat::toCp950(common::EncryptText(request));
  return plat::toCp950(request);
}

namespace {

// A whole decimal number, blanks around it allowed.
qint64 ByteCount(QStringView value, qint64 maxSize) {
  QStringView v = value.trimmed();
  if (v.isEmpty() || v.size() > 18) return -1;
  qint64 n = 0;
  for (QChar c : v) {
    if (c < u'0' || c > u'9') return -1;
    n = n * 10 + (c.unicode() - u'0');
  }
  return n >= 1 && n <= maxSize ? n : -1;
}

}  // namespace

ReceiverReply ParseReceiverReply(QStringView reply, qint64 maxSize) {
  ReceiverReply r;
  QStringView t = reply;
  while (!t.isEmpty() && (t.back() == u'\r' || t.back() == u'\n' || t.back() == QChar(0))) t.chop(1);
  r.text = t.toString();
  r.keyword = r.text.left(6);
  r.value = r.text.mid(7);
  const QString upper = r.text.toUpper();

  if (r.keyword == u"QUSSET") {
    r.kind = r.text.contains(u"DEFLST") ? ReplyKind::Mixed : ReplyKind::TestList;
  } else if (r.keyword == u"DEFLST") {
    if (r.text.contains(u"QUSSET")) {
      r.kind = ReplyKind::Mixed;
    } else if (r.value.startsWith(u"http")) {
      r.kind = ReplyKind::NoticeAddress;
    } else {
      r.kind = ReplyKind::FtpParameters;
      r.ftp.host = common::GetField(0, r.value, u',');
      r.ftp.port = common::GetField(1, r.value, u',');
      r.ftp.user = common::GetField(2, r.value, u',');
      r.ftp.password = common::GetField(3, r.value, u',');
      r.ftp.folder = common::GetField(4, r.value, u',');
    }
  } else if (r.keyword == u"FILSIZ") {
    r.kind = ReplyKind::FileSize;
    r.size = ByteCount(r.value, maxSize);
  } else if (r.text == u"Not Found") {
    r.kind = ReplyKind::NotFound;
  } else if (r.text == u"Error-2" || upper.left(7) == u"ERROR-2") {
    r.kind = ReplyKind::ServerBusy;
  } else if (r.text == u"Error" || upper.left(5) == u"ERROR") {
    r.kind = ReplyKind::Error;
  }
  return r;
}

QString ReplyLogLine(const ReceiverReply& reply) {
  if (reply.kind != ReplyKind::FtpParameters) return reply.text;
  // The log is on the candidate's screen: the account is not.
  QStringList f = reply.value.split(u',');
  for (int i : {2, 3})
    if (i < f.size()) f[i] = QString(f[i].size(), u'*');
  return reply.text.left(7) + f.join(u',');
}

}  // namespace net
