#pragma once
// The receiver's text protocol: requests are words separated by single
// blanks, sent whole in one send as CP950, no terminator; a reply in text
// mode is whatever one arrival brings. Keyword = the first 6 characters,
// value = the text from the 8th character on.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "net/core/downloadview.h"

namespace net {

QString TestListRequest(QStringView subject);              // "GETQUS " + subject
QString ServerParametersRequest();                         // "GETDEF 027 028 029 030 031"
QString NoticePageRequest();                               // "GETDEF 005"
QString FileSizeRequest(QStringView subject, QStringView name);  // "FILSIZ s n"
QString FileBytesRequest(QStringView subject, QStringView name); // "FILBIN s n"

// The bytes that go on the wire: CP950 of the request, or of its enciphered
// form when setting 5951 is 1.
QByteArray RequestBytes(QStringView request);
bool EncipherRequests();

enum class ReplyKind {
  TestList,       // "QUSSET ..." (Text2 gets the whole reply)
  FtpParameters,  // "DEFLST host,port,user,password,folder"
  NoticeAddress,  // "DEFLST http..."
  FileSize,       // "FILSIZ n"; size is -1 when n is no usable byte count
  NotFound,       // "Not Found"
  ServerBusy,     // "Error-2" (any case): texts 10618/14005, help page
  Error,          // "Error" or "ERROR..." (any case): texts 10619/14005
  Mixed,          // a QUSSET that holds DEFLST or the reverse: changes nothing
  Other,          // only listed
};

struct ReceiverReply {
  ReplyKind kind = ReplyKind::Other;
  QString text;      // the reply as parsed (trailing CR, LF, NUL dropped)
  QString keyword;   // first 6 characters
  QString value;     // from the 8th character on
  FtpParameters ftp; // FtpParameters only
  qint64 size = -1;  // FileSize only: 1..maxSize, else -1
};

// Every byte count is refused above this unless the caller says otherwise.
inline constexpr qint64 kDefaultMaxFileSize = 256ll * 1024 * 1024;

ReceiverReply ParseReceiverReply(QStringView reply, qint64 maxSize = kDefaultMaxFileSize);

// The reply as List2 shows it: a DEFLST parameter reply with its user name
// and password masked (the list is in the candidate's view).
QString ReplyLogLine(const ReceiverReply& reply);

}  // namespace net

