#include "platform/net/tcpclient.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTimer>

namespace plat {

TcpClient::~TcpClient() = default;

QString TcpClient::LocalHostName() const { return QHostInfo::localHostName(); }

namespace {

int MapError(QAbstractSocket::SocketError e) {
  switch (e) {
    case QAbstractSocket::ConnectionRefusedError: return sockerr::kConnectionRefused;
    case QAbstractSocket::SocketTimeoutError: return sockerr::kTimedOut;
    case QAbstractSocket::HostNotFoundError: return sockerr::kHostNotFound;
    case QAbstractSocket::NetworkError: return sockerr::kNetworkError;
    case QAbstractSocket::RemoteHostClosedError: return sockerr::kConnectionReset;
    default: return sockerr::kOther;
  }
}

QString FirstLocalIPv4() {
  const auto all = QNetworkInterface::allAddresses();
  for (const QHostAddress& a : all) {
    if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) return a.toString();
  }
  return QStringLiteral("127.0.0.1");
}

bool ValidEndpoint(const QString& host, int port) {
  return !host.trimmed().isEmpty() && port >= 1 && port <= 65535;
}

}  // namespace

QtTcpClient::QtTcpClient(QObject* parent) : TcpClient(parent) {}

QtTcpClient::~QtTcpClient() { Close(); }

void QtTcpClient::MakeSocket() {
  socket_ = new QTcpSocket(this);
  peerClosed_ = false;
  failed_ = false;
  connect(socket_, &QTcpSocket::connected, this, [this] { emit connected(); });
  connect(socket_, &QTcpSocket::readyRead, this, [this] {
    if (socket_) emit dataArrival(socket_->bytesAvailable());
  });
  connect(socket_, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
    if (e == QAbstractSocket::RemoteHostClosedError) {
      peerClosed_ = true;  // disconnected() follows and reports it
      return;
    }
    bool wasConnected = socket_ && socket_->state() == QAbstractSocket::ConnectedState;
    failed_ = true;
    if (wasConnected && e == QAbstractSocket::NetworkError) peerClosed_ = true;
    emit errorOccurred(MapError(e), socket_ ? socket_->errorString() : QString());
  });
  connect(socket_, &QTcpSocket::disconnected, this, [this] {
    if (!failed_ || peerClosed_) {
      peerClosed_ = true;
      emit peerClosed();
    }
  });
}

void QtTcpClient::Connect() {
  Close();
  if (!ValidEndpoint(remoteHost_, remotePort_)) {
    failed_ = true;
    QTimer::singleShot(0, this, [this] {
      emit errorOccurred(sockerr::kInvalidArgument, QStringLiteral("invalid host or port"));
    });
    return;
  }
  MakeSocket();
  socket_->connectToHost(remoteHost_.trimmed(), static_cast<quint16>(remotePort_));
}

bool QtTcpClient::SendData(const QByteArray& bytes) {
  if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState) return false;
  return socket_->write(bytes) == bytes.size();
}

QByteArray QtTcpClient::GetData() { return socket_ ? socket_->readAll() : QByteArray(); }

qint64 QtTcpClient::BytesReceived() const { return socket_ ? socket_->bytesAvailable() : 0; }

void QtTcpClient::Close() {
  if (socket_) {
    QTcpSocket* s = socket_;
    socket_ = nullptr;
    s->disconnect(this);  // our own close raises no event
    s->abort();
    s->deleteLater();
  }
  peerClosed_ = false;
  failed_ = false;
}

SockState QtTcpClient::State() const {
  if (!socket_) return failed_ ? SockState::Error : SockState::Closed;
  switch (socket_->state()) {
    case QAbstractSocket::HostLookupState: return SockState::ResolvingHost;
    case QAbstractSocket::ConnectingState: return SockState::Connecting;
    case QAbstractSocket::ConnectedState: return peerClosed_ ? SockState::Closing : SockState::Connected;
    case QAbstractSocket::BoundState: return SockState::Open;
    case QAbstractSocket::ClosingState: return SockState::Closing;
    case QAbstractSocket::ListeningState: return SockState::Listening;
    case QAbstractSocket::UnconnectedState:
      if (peerClosed_) return SockState::Closing;
      return failed_ ? SockState::Error : SockState::Closed;
  }
  return SockState::Closed;
}

QString QtTcpClient::LocalIP() const {
  if (socket_ && socket_->state() == QAbstractSocket::ConnectedState) {
    QHostAddress a = socket_->localAddress();
    bool ok = false;
    quint32 v4 = a.toIPv4Address(&ok);
    if (ok) return QHostAddress(v4).toString();
    return a.toString();
  }
  return FirstLocalIPv4();
}

// ---- maker ----

namespace {
TcpClientMaker& Maker() {
  static TcpClientMaker m;
  return m;
}
}  // namespace

std::unique_ptr<TcpClient> MakeTcpClient() {
  if (Maker()) return Maker()();
  return std::make_unique<QtTcpClient>();
}

void SetTcpClientMaker(TcpClientMaker maker) { Maker() = std::move(maker); }

}  // namespace plat
