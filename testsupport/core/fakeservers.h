#pragma once
// Servers the network tests start on 127.0.0.1: a scripted receiver and a
// scoring server, and a decoder of enciphered messages written from the
// servers' side (not the client's encoder).
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

#include "common/cipher.h"
#include "platform/core/codec.h"
#include "testsupport/core/loopback.h"

namespace testing_net {

// key = the first 17 characters; the alphabet is the key's code sum mod 32;
// each further symbol is 6 bits; bytes read back, zero bytes at the end
// dropped; CP950; "%20" is a blank.
inline QString Decipher(const QByteArray& wire) {
  const QString s = QString::fromLatin1(wire);
  if (s.size() < 17) return {};
  int sum = 0;
  for (QChar c : s.left(17)) sum += c.unicode();
  const QStringView alphabet = common::CipherAlphabet(sum % 32);
  QList<int> bits;
  for (QChar c : s.mid(17)) {
    int v = static_cast<int>(alphabet.indexOf(c));
    if (v < 0) return QStringLiteral("<bad symbol>");
    for (int b = 5; b >= 0; --b) bits.append((v >> b) & 1);
  }
  QByteArray bytes;
  for (int i = 0; i + 8 <= bits.size(); i += 8) {
    int v = 0;
    for (int b = 0; b < 8; ++b) v = v * 2 + bits[i + b];
    bytes.append(static_cast<char>(v));
  }
  while (!bytes.isEmpty() && bytes.back() == '\0') bytes.chop(1);
  return plat::fromCp950(bytes).replace(QStringLiteral("%20"), QStringLiteral(" "));
}

// Treats each arrival as one request (the client sends each in one write).
class FakeReceiver {
 public:
  using Script = std::function<void(QTcpSocket*, const QString& request)>;
  FakeReceiver() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket* s = server_.nextPendingConnection()) {
        ++connections;
        QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
          QByteArray raw = s->readAll();
          raw_.append(raw);
          QString text = enciphered ? Decipher(raw) : plat::fromCp950(raw);
          requests.append(text);
          if (script) script(s, text);
        });
        if (onConnect) onConnect(s);
      }
    });
  }
  QString Port() const { return QString::number(server_.serverPort()); }
  void Refuse() { server_.close(); }
  const QList<QByteArray>& Raw() const { return raw_; }

  // Script helpers.
  static void Reply(QTcpSocket* s, const QByteArray& bytes) { s->write(bytes); s->flush(); }
  static void Later(QTcpSocket* s, int ms, std::function<void()> fn) {
    QTimer::singleShot(ms, s, std::move(fn));
  }

  Script script;
  std::function<void(QTcpSocket*)> onConnect;
  bool enciphered = false;
  QStringList requests;
  int connections = 0;

 private:
  QTcpServer server_;
  QList<QByteArray> raw_;
};

// The scoring server: collects each connection's bytes; the test decides the
// answer when it has what it expects.
class ScoringServer {
 public:
  ScoringServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket* s = server_.nextPendingConnection()) {
        ++connections;
        last = s;
        received.append(QByteArray());
        const int index = static_cast<int>(received.size()) - 1;
        QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, index] {
          received[index] += s->readAll();
          if (onData) onData(s, received[index]);
        });
      }
    });
  }
  int Port() const { return server_.serverPort(); }
  void Close() { server_.close(); }
  std::function<void(QTcpSocket*, const QByteArray&)> onData;
  QList<QByteArray> received;  // per connection
  int connections = 0;
  QPointer<QTcpSocket> last;

 private:
  QTcpServer server_;
};

}  // namespace testing_net
