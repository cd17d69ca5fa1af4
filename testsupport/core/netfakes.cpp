#include "testsupport/core/netfakes.h"

#include "platform/core/textfile.h"

namespace plat {

void FakeTcpClient::Connect() {
  if (state_ != SockState::Closed) Close();
  connects.append(remoteHost_ + ":" + QString::number(remotePort_));
  state_ = SockState::Connecting;
}

bool FakeTcpClient::SendData(const QByteArray& bytes) {
  if (state_ != SockState::Connected) return false;
  sent.append(bytes);
  return true;
}

QByteArray FakeTcpClient::GetData() {
  QByteArray b = inbox_;
  inbox_.clear();
  return b;
}

void FakeTcpClient::Close() {
  ++closes;
  state_ = SockState::Closed;
  inbox_.clear();
}

void FakeTcpClient::AcceptConnect() {
  state_ = SockState::Connected;
  emit connected();
}

void FakeTcpClient::RefuseConnect(int number) {
  state_ = SockState::Error;
  emit errorOccurred(number, QStringLiteral("refused"));
}

void FakeTcpClient::Deliver(const QByteArray& bytes) {
  inbox_.append(bytes);
  emit dataArrival(inbox_.size());
}

void FakeTcpClient::ClosePeer() {
  state_ = SockState::Closing;
  emit peerClosed();
}

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

}  // namespace plat
