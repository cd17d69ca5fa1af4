#pragma once
// Test servers on 127.0.0.1, started by the tests themselves: a small
// scripted HTTP server and the FTP fixture (pyftpdlib). Header-only so the
// test programs of several libraries can share them; no moc needed.
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <memory>

namespace testing_net {

// Runs the event loop until `done` holds or `ms` pass. Tests only.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// A port on 127.0.0.1 that nothing listens on (taken, then let go).
inline int ClosedPort() {
  QTcpServer s;
  s.listen(QHostAddress::LocalHost, 0);
  int port = s.serverPort();
  s.close();
  return port;
}

inline void Spin(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct HttpRoute {
  HttpRoute(int s = 200, QByteArray b = {}) : status(s), body(std::move(b)) {}
  int status = 200;
  QByteArray body;
  QByteArray extraHeaders;     // each ending in "\r\n"
  bool chunked = false;
  qint64 announce = -1;        // Content-Length to claim (-1: the real one)
  int closeAfter = -1;         // bytes of body to send before closing (-1: all)
  bool stallAfter = false;     // with closeAfter: keep the connection open
  int dribbleChunk = 0;        // >0: send the body in pieces this big
  int dribbleMs = 0;
};

// HTTP/1.1 with "Connection: close"; one request per connection.
class HttpServer {
 public:
  HttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket* s = server_.nextPendingConnection()) Serve(s);
    });
  }
  quint16 Port() const { return server_.serverPort(); }
  QByteArray Url(const QByteArray& path) const {
    return "http://127.0.0.1:" + QByteArray::number(Port()) + path;
  }
  void Route(const QByteArray& path, HttpRoute r) { routes_[path] = std::move(r); }
  QList<QByteArray> requests;  // request lines, "GET /x HTTP/1.1"

 private:
  void Serve(QTcpSocket* s) {
    auto buf = std::make_shared<QByteArray>();
    QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, buf] {
      buf->append(s->readAll());
      int end = buf->indexOf("\r\n\r\n");
      if (end < 0) return;
      QByteArray line = buf->left(buf->indexOf("\r\n"));
      buf->clear();
      requests.append(line);
      QByteArray path = line.split(' ').value(1);
      HttpRoute r;
      if (routes_.contains(path)) {
        r = routes_[path];
      } else {
        r.status = 404;
        r.body = "<html>not here</html>";
      }
      Respond(s, r);
    });
  }

  static void Respond(QTcpSocket* s, const HttpRoute& r) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + " X\r\nConnection: close\r\n";
    head += r.extraHeaders;
    QByteArray body = r.body;
    if (r.chunked) {
      head += "Transfer-Encoding: chunked\r\n\r\n";
      QByteArray c;
      for (int i = 0; i < body.size(); i += 100) {
        QByteArray piece = body.mid(i, 100);
        c += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
      }
      c += "0\r\n\r\n";
      body = c;
    } else {
      qint64 len = r.announce >= 0 ? r.announce : body.size();
      head += "Content-Length: " + QByteArray::number(len) + "\r\n\r\n";
    }
    if (r.closeAfter >= 0) body = body.left(r.closeAfter);
    s->write(head);
    if (r.dribbleChunk > 0) {
      auto rest = std::make_shared<QByteArray>(body);
      auto timer = new QTimer(s);
      bool stall = r.stallAfter;
      QObject::connect(timer, &QTimer::timeout, s, [s, rest, timer, chunk = r.dribbleChunk, stall] {
        s->write(rest->left(chunk));
        rest->remove(0, chunk);
        if (rest->isEmpty()) {
          timer->stop();
          if (!stall) s->disconnectFromHost();
        }
      });
      timer->start(r.dribbleMs);
      return;
    }
    s->write(body);
    if (!(r.closeAfter >= 0 && r.stallAfter)) s->disconnectFromHost();
  }

  QTcpServer server_;
  QHash<QByteArray, HttpRoute> routes_;
};

// The FTP fixture: /usr/bin/python3 with Debian's pyftpdlib (the python3
// first on PATH may not see Debian's packages). Available() is false when the
// module is missing; tests then skip.
class FtpServer {
 public:
  static bool Available() {
    QProcess p;
    p.start("/usr/bin/python3", {"-c", "import pyftpdlib"});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  }
  bool Start(const QString& root, const QString& user, const QString& password,
             const QStringList& extra = {}) {
    QStringList args{QStringLiteral(SOURCE_ROOT "/testsupport/core/ftp_fixture.py"), root, user,
                     password, "--lifetime", "120"};
    args += extra;
    proc_.setProcessChannelMode(QProcess::SeparateChannels);
    proc_.start("/usr/bin/python3", args);
    if (!proc_.waitForStarted(5000)) return false;
    QDeadlineTimer deadline(10000);
    while (!proc_.canReadLine()) {
      if (deadline.hasExpired() || !proc_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        return false;
    }
    port_ = proc_.readLine().trimmed().toInt();
    return port_ > 0;
  }
  ~FtpServer() {
    if (proc_.state() != QProcess::NotRunning) {
      proc_.kill();  // our own child, by its handle
      proc_.waitForFinished(3000);
    }
  }
  int Port() const { return port_; }

 private:
  QProcess proc_;
  int port_ = 0;
};

}  // namespace testing_net
