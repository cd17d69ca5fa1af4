#pragma once
// Test doubles of the network seams: a socket whose peer the test plays,
// and a web client whose transfers the test finishes.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/net/tcpclient.h"
#include "platform/net/webclient.h"

namespace plat {

// For tests: records what is sent; the test plays the peer's part.
class FakeTcpClient : public TcpClient {
  Q_OBJECT

 public:
  using TcpClient::TcpClient;
  using TcpClient::Connect;

  void Connect() override;
  bool SendData(const QByteArray& bytes) override;
  QByteArray GetData() override;
  qint64 BytesReceived() const override { return inbox_.size(); }
  void Close() override;
  SockState State() const override { return state_; }
  QString LocalIP() const override { return localIp; }
  QString LocalHostName() const override { return localHostName; }

  // The peer's side. Each emits its event at once.
  void AcceptConnect();
  void RefuseConnect(int number = sockerr::kConnectionRefused);
  void Deliver(const QByteArray& bytes);
  void ClosePeer();

  QStringList connects;     // "host:port" of every Connect()
  QList<QByteArray> sent;   // every SendData while connected
  int closes = 0;
  QString localIp = "192.0.2.10";
  QString localHostName = "testhost";

 private:
  SockState state_ = SockState::Closed;
  QByteArray inbox_;
};

// For tests of callers: records requests; the test finishes them.
class FakeWebClient : public WebClient {
 public:
  struct Pending {
    int id;
    WebRequest request;
    WebCallback done;
  };
  int Start(const WebRequest& request, WebCallback done) override;
  void Cancel(int id) override;
  int Running() const override { return static_cast<int>(pending.size()); }
  // Finishes the oldest pending request with this result (a file request
  // that succeeds gets `body` written to its destination); its states come
  // first, 1 to 10 or 11.
  void Finish(const WebResult& result);
  QList<Pending> pending;
  QList<WebRequest> started;

 private:
  int next_ = 1;
};

}  // namespace plat
