#pragma once
// A TCP client shaped like the sockets control the forms were written for:
// remote host and port, connect, one send of a whole message, a data event,
// the peer's close, an error event, the state number, the local address and
// host name. Events are Qt signals delivered on the event loop; nothing here
// blocks.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QTcpSocket;

namespace plat {

// The control's state numbers (callers compare with 7 = connected).
enum class SockState {
  Closed = 0,
  Open = 1,
  Listening = 2,
  ConnectionPending = 3,
  ResolvingHost = 4,
  HostResolved = 5,
  Connecting = 6,
  Connected = 7,
  Closing = 8,  // the peer has closed; Close() finishes it
  Error = 9,
};

// Error numbers of the error event, as the control numbers them.
namespace sockerr {
constexpr int kConnectionRefused = 10061;
constexpr int kTimedOut = 10060;
constexpr int kHostNotFound = 11001;
constexpr int kConnectionReset = 10054;
constexpr int kNetworkError = 10050;
constexpr int kInvalidArgument = 10022;
constexpr int kOther = 40006;
}  // namespace sockerr

class TcpClient : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  ~TcpClient() override;

  void SetRemoteHost(const QString& host) { remoteHost_ = host; }
  QString RemoteHost() const { return remoteHost_; }
  void SetRemotePort(int port) { remotePort_ = port; }
  int RemotePort() const { return remotePort_; }
  // 0 = any; kept for the control's shape, the system picks the port.
  void SetLocalPort(int port) { localPort_ = port; }
  int LocalPort() const { return localPort_; }

  // Starts connecting to RemoteHost():RemotePort(). The outcome arrives as
  // connected() or errorOccurred(). A port outside 1..65535 or an empty host
  // gives errorOccurred(kInvalidArgument) on the event loop.
  virtual void Connect() = 0;
  void Connect(const QString& host, int port) {
    SetRemoteHost(host);
    SetRemotePort(port);
    Connect();
  }
  // Queues the whole message in one write. False when not connected.
  virtual bool SendData(const QByteArray& bytes) = 0;
  // Everything received and not yet read.
  virtual QByteArray GetData() = 0;
  virtual qint64 BytesReceived() const = 0;
  // Closes (or abandons a pending connect). Never emits peerClosed().
  virtual void Close() = 0;
  virtual SockState State() const = 0;
  bool IsClosed() const { return State() == SockState::Closed; }

  // This computer's address as the connection uses it; before a connection,
  // the first non-loopback IPv4 address (127.0.0.1 when there is none).
  virtual QString LocalIP() const = 0;
  virtual QString LocalHostName() const;

 signals:
  void connected();
  // New bytes are waiting; bytesTotal = all bytes waiting now.
  void dataArrival(qint64 bytesTotal);
  // The peer closed the connection (after any data it sent).
  void peerClosed();
  void errorOccurred(int number, const QString& description);

 protected:
  QString remoteHost_;
  int remotePort_ = 0;
  int localPort_ = 0;
};

// The real client over QTcpSocket.
class QtTcpClient : public TcpClient {
  Q_OBJECT

 public:
  explicit QtTcpClient(QObject* parent = nullptr);
  ~QtTcpClient() override;
  using TcpClient::Connect;

  void Connect() override;
  bool SendData(const QByteArray& bytes) override;
  QByteArray GetData() override;
  qint64 BytesReceived() const override;
  void Close() override;
  SockState State() const override;
  QString LocalIP() const override;

 private:
  void MakeSocket();
  QTcpSocket* socket_ = nullptr;
  bool peerClosed_ = false;
  bool failed_ = false;
};

// Where library code gets its sockets: the real client unless a test or a
// program installs another maker.
using TcpClientMaker = std::function<std::unique_ptr<TcpClient>()>;
std::unique_ptr<TcpClient> MakeTcpClient();
void SetTcpClientMaker(TcpClientMaker maker);  // empty restores the real one

}  // namespace plat
