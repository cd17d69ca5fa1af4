#include "platform/net/webclient.h"

#include <QFile>
#include <QTimer>

#include "platform/core/codec.h"
#include "platform/core/textfile.h"

namespace plat {

int FakeWebClient::Start(const WebRequest& request, WebCallback done) {
  int id = next_++;
  started.append(request);
  pending.append({id, request, std::move(done)});
  return id;
}

void FakeWebClient::Cancel(int id) {
  for (int i = 0; i < pending.size(); ++i) {
    if (pending[i].id != id) continue;
    Pending p = pending.takeAt(i);
    WebResult r;
    r.failure = WebFailure::Cancelled;
    r.error = QStringLiteral("cancelled");
    if (p.done) p.done(r);
    return;
  }
}

void FakeWebClient::Finish(const WebResult& result) {
  if (pending.isEmpty()) return;
  Pending p = pending.takeFirst();
  WebResult r = result;
  if (r.ok && !p.request.destination.isEmpty()) {
    QString why;
    if (!writeBytesAtomic(p.request.destination, r.body, &why)) {
      r.ok = false;
      r.failure = WebFailure::LocalFile;
      r.error = QStringLiteral("cannot write ") + p.request.destination + QStringLiteral(": ") + why;
    }
    r.bytes = r.body.size();
    r.body.clear();
  }
  if (p.request.onState) {
    if (r.ok)
      for (int state = 1; state <= 10; ++state) p.request.onState(state);
    else if (r.failure != WebFailure::Cancelled)
      p.request.onState(11);
  }
  if (p.done) p.done(r);
}

namespace {
bool Unreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}
}  // namespace

QByteArray EncodePathSegment(QStringView segment) {
  const QByteArray raw = toCp950(segment);
  QByteArray out;
  static const char hex[] = "0123456789ABCDEF";
  for (char c : raw) {
    if (Unreserved(c)) {
      out.append(c);
    } else {
      auto u = static_cast<unsigned char>(c);
      out.append('%');
      out.append(hex[u >> 4]);
      out.append(hex[u & 15]);
    }
  }
  return out;
}

QByteArray EncodeFolderPath(QStringView folder) {
  QString f = folder.toString();
  f.replace(u'\\', u'/');
  QByteArray out;
  if (f.startsWith(u'/')) out = "%2F";
  const QStringList parts = f.split(u'/', Qt::SkipEmptyParts);
  for (const QString& p : parts) {
    if (!out.isEmpty() && out != "%2F") out.append('/');
    out.append(EncodePathSegment(p));
  }
  return out;
}

}  // namespace plat
