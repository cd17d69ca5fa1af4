#include "net/core/receiverlink.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>

#include "common/errorlog.h"
#include "common/store.h"
#include "net/core/failurelog.h"
#include "net/core/listroutines.h"
#include "platform/core/codec.h"
#include "platform/core/textfile.h"

namespace net {

namespace {
constexpr auto Text = &common::StoreText;
}  // namespace

ReceiverLink::ReceiverLink(DownloadView& view, std::unique_ptr<plat::TcpClient> socket)
    : view_(view), socket_(std::move(socket)) {
  waitTimer_.setSingleShot(true);
  idleTimer_.setSingleShot(true);
  QObject::connect(&waitTimer_, &QTimer::timeout, &ctx_, [this] {
    view_.SetStatus(timeoutText_);
    EndWait(WaitResult::TimedOut);
  });
  QObject::connect(&idleTimer_, &QTimer::timeout, &ctx_, [this] {
    if (!binary_) return;
    LogFailure(QStringLiteral("no data for %1 ms after %2/%3 bytes").arg(idleMs_).arg(received_).arg(expected_));
    FinishTransfer(TransferOutcome::Failed);
  });
  QObject::connect(socket_.get(), &plat::TcpClient::connected, &ctx_, [this] { OnConnected(); });
  QObject::connect(socket_.get(), &plat::TcpClient::dataArrival, &ctx_, [this](qint64) { OnData(); });
  QObject::connect(socket_.get(), &plat::TcpClient::peerClosed, &ctx_,
                   [this] { OnClosedOrError(QStringLiteral("closed by the server")); });
  QObject::connect(socket_.get(), &plat::TcpClient::errorOccurred, &ctx_, [this](int number, const QString& text) {
    OnClosedOrError(text.isEmpty() ? QStringLiteral("socket error %1").arg(number) : text);
  });
}

ReceiverLink::~ReceiverLink() {
  QObject::disconnect(socket_.get(), nullptr, &ctx_, nullptr);
  if (work_) work_->remove();
}

void ReceiverLink::SetEndpoint(const QString& host, const QString& port) {
  host_ = host.trimmed();
  bool ok = false;
  int p = port.trimmed().toInt(&ok);
  port_ = ok && p >= 1 && p <= 65535 ? p : 0;
}

void ReceiverLink::SetTimeouts(int replyMs, int idleMs) {
  replyMs_ = replyMs;
  idleMs_ = idleMs;
}

void ReceiverLink::Later(std::function<void()> fn) { QTimer::singleShot(0, &ctx_, std::move(fn)); }

QString ReceiverLink::Endpoint() const {
  return (host_.isEmpty() ? QStringLiteral("(no host)") : host_) + u':' + QString::number(port_);
}

void ReceiverLink::LogFailure(const QString& reason) const {
  net::LogFailure(QStringLiteral("Winsock>"), Endpoint(), request_, reason);
}

bool ReceiverLink::IsOpen() const { return socket_->State() == plat::SockState::Connected; }

void ReceiverLink::Close() {
  if (!socket_->IsClosed()) socket_->Close();
}

void ReceiverLink::StartWait(WaitFor what, const QString& timeoutText, WaitDone done) {
  if (wait_) {
    // One wait at a time: the earlier caller learns it was replaced.
    WaitDone old = std::move(wait_);
    wait_ = nullptr;
    waitTimer_.stop();
    Later([old] { old(WaitResult::Failed); });
  }
  buffer_.clear();
  waitFor_ = what;
  wait_ = std::move(done);
  timeoutText_ = timeoutText;
  view_.SetReplyLine(LineColour::Red);
  waitTimer_.start(replyMs_);
}

void ReceiverLink::EndWait(WaitResult r) {
  if (!wait_) return;
  waitTimer_.stop();
  if (r == WaitResult::TimedOut)
    LogFailure(QStringLiteral("no answer within %1 ms").arg(replyMs_));
  else if (r == WaitResult::Failed)
    LogFailure(failReason_.isEmpty() ? QStringLiteral("no connection") : failReason_);
  waitFor_ = WaitFor::None;
  WaitDone done = std::move(wait_);
  wait_ = nullptr;
  view_.SetReplyLine(LineColour::Black);
  done(r);
}

void ReceiverLink::Open(const QString& timeoutText, WaitDone done) {
  Close();
  request_ = QStringLiteral("connect");
  failReason_.clear();
  StartWait(WaitFor::Connect, timeoutText, std::move(done));
  socket_->SetLocalPort(0);
  socket_->Connect(host_, port_);  // a bad endpoint reports an error event
}

void ReceiverLink::Ask(const QString& request, const QString& timeoutText, WaitDone done) {
  request_ = request;
  if (!IsOpen()) {
    LogFailure(QStringLiteral("not connected"));
    Later([done] { done(WaitResult::Failed); });
    return;
  }
  StartWait(WaitFor::Reply, timeoutText, std::move(done));
  socket_->SendData(RequestBytes(request));
}

void ReceiverLink::Await(const QString& timeoutText, WaitDone done) {
  request_ = QStringLiteral("(the server's next message)");
  StartWait(WaitFor::Reply, timeoutText, std::move(done));
}

void ReceiverLink::Stop() {
  if (binary_) {
    FinishTransfer(TransferOutcome::Stopped);
    return;
  }
  EndWait(WaitResult::Stopped);
}

void ReceiverLink::OnConnected() {
  // The marker text is only shown; the wait ends on the event itself, so an
  // empty text 10617 cannot make every connection look like a time-out.
  buffer_ = Text(10617);
  if (waitFor_ == WaitFor::Connect) EndWait(WaitResult::Answered);
}

void ReceiverLink::OnData() {
  QByteArray bytes = socket_->GetData();
  if (bytes.isEmpty()) return;
  if (binary_)
    OnBytes(bytes);
  else
    OnText(bytes);
}

void ReceiverLink::OnText(const QByteArray& bytes) {
  const QString raw = plat::fromCp950(bytes);
  last_ = ParseReceiverReply(raw, maxFileSize_);
  buffer_ = raw;
  view_.AddLog(ReplyLogLine(last_));
  switch (last_.kind) {
    case ReplyKind::TestList: view_.SetTestList(last_.text); break;
    case ReplyKind::FtpParameters: view_.SetFtpParameters(last_.ftp); break;
    case ReplyKind::NoticeAddress: view_.SetNoticeAddress(last_.value); break;
    case ReplyKind::ServerBusy:
      LogFailure(last_.text);
      view_.ShowServerMessage(Text(10618), Text(14005));
      if (common::SystemIniValue(9997).asInt() == 1) {
        view_.OpenHelpPage(QStringLiteral("http:") + Text(9998));
        view_.Beep();
      }
      break;
    case ReplyKind::Error:
      LogFailure(last_.text);
      view_.ShowServerMessage(Text(10619), Text(14005));
      break;
    default: break;
  }
  if (waitFor_ == WaitFor::Reply) EndWait(WaitResult::Answered);
}

void ReceiverLink::OnClosedOrError(const QString& reason) {
  failReason_ = reason;
  if (binary_) {
    // Everything that came before the close has been read already.
    OnData();
    if (binary_) {
      LogFailure(QStringLiteral("%1 after %2/%3 bytes").arg(reason).arg(received_).arg(expected_));
      FinishTransfer(TransferOutcome::Failed);
    }
    return;
  }
  // A reply that came with the close still counts.
  if (socket_->BytesReceived() > 0) OnData();
  EndWait(WaitResult::Failed);
}

// ---- the file transfer ----

void ReceiverLink::DownloadFile(const QString& subject, const QString& name, const QString& destination,
                                TransferDone done) {
  if (transferDone_ || binary_) {
    Later([done] { done(TransferOutcome::Failed); });
    return;
  }
  transferDone_ = std::move(done);
  subject_ = subject;
  name_ = name;
  destination_ = destination;
  expected_ = 0;  // a size is good for one transfer only
  received_ = 0;
  dropped_ = 0;
  // A blank would split the name into two words of the request.
  if (!IsSafeFileName(name) || name.contains(u' ') || !IsSafeFileName(QFileInfo(destination).fileName())) {
    request_ = FileSizeRequest(subject, name);
    LogFailure(QStringLiteral("refused name"));
    Later([this] { FinishTransfer(TransferOutcome::Failed); });
    return;
  }
  Open(Text(10624), [this](WaitResult r) { AfterConnect(r); });
}

void ReceiverLink::AfterConnect(WaitResult r) {
  if (r != WaitResult::Answered) {
    FinishTransfer(r == WaitResult::Stopped ? TransferOutcome::Stopped : TransferOutcome::Failed);
    return;
  }
  view_.AddLog(QStringLiteral("Winsock>") + name_);
  common::WriteErrorLog(QStringLiteral("Winsock>") + name_);
  view_.SetLinkStatus(link::kRunning);
  view_.SetReplyLine(LineColour::Magenta);
  Ask(FileSizeRequest(subject_, name_), Text(10624), [this](WaitResult w) { AfterSize(w); });
}

void ReceiverLink::AfterSize(WaitResult r) {
  if (r != WaitResult::Answered) {
    FinishTransfer(r == WaitResult::Stopped ? TransferOutcome::Stopped : TransferOutcome::Failed);
    return;
  }
  if (last_.kind == ReplyKind::NotFound) {
    FinishTransfer(TransferOutcome::NotFound);
    return;
  }
  if (last_.kind != ReplyKind::FileSize || last_.size < 1) {
    // An error reply, garbage or an unusable count: asking for the bytes
    // would take whatever comes next as the file. (An error reply has its
    // line already.)
    if (last_.kind != ReplyKind::Error && last_.kind != ReplyKind::ServerBusy)
      LogFailure(last_.kind == ReplyKind::FileSize ? QStringLiteral("bad size ") + last_.value
                                                   : QStringLiteral("unexpected reply ") + last_.text);
    FinishTransfer(TransferOutcome::Failed);
    return;
  }
  expected_ = last_.size;
  QFileInfo target(destination_);
  QDir().mkpath(target.absolutePath());
  work_ = std::make_unique<QTemporaryFile>(target.absolutePath() + QStringLiteral("/.dl-XXXXXX"));
  work_->setAutoRemove(false);
  if (!work_->open()) {
    LogFailure(QStringLiteral("cannot write in ") + target.absolutePath());
    FinishTransfer(TransferOutcome::Failed);
    return;
  }
  binary_ = true;
  request_ = FileBytesRequest(subject_, name_);
  StartWait(WaitFor::FirstBytes, Text(10624), [this](WaitResult w) { AfterFirstBytes(w); });
  socket_->SendData(RequestBytes(request_));
}

void ReceiverLink::AfterFirstBytes(WaitResult r) {
  if (!binary_) return;  // finished already (all bytes in the first arrival)
  if (r != WaitResult::Answered) {
    FinishTransfer(r == WaitResult::Stopped ? TransferOutcome::Stopped : TransferOutcome::Failed);
    return;
  }
  idleTimer_.start(idleMs_);
}

void ReceiverLink::OnBytes(const QByteArray& bytes) {
  const qint64 room = expected_ - received_;
  const qint64 take = qMin<qint64>(room, bytes.size());
  if (take > 0 && work_->write(bytes.constData(), take) != take) {
    LogFailure(QStringLiteral("cannot write the work file"));
    FinishTransfer(TransferOutcome::Failed);
    return;
  }
  received_ += take;
  dropped_ += bytes.size() - take;
  view_.ReplaceLastLog(QStringLiteral("%1/%2").arg(received_).arg(expected_));
  buffer_ = QStringLiteral("received!");
  if (received_ >= expected_) {
    FinishTransfer(TransferOutcome::Done);
    return;
  }
  if (waitFor_ == WaitFor::FirstBytes)
    EndWait(WaitResult::Answered);
  else
    idleTimer_.start(idleMs_);
}

void ReceiverLink::FinishTransfer(TransferOutcome outcome) {
  idleTimer_.stop();
  if (waitFor_ == WaitFor::FirstBytes) {
    waitTimer_.stop();
    waitFor_ = WaitFor::None;
    wait_ = nullptr;
  }
  const bool wasBinary = binary_;
  binary_ = false;
  if (socket_->State() == plat::SockState::Connected || wasBinary) Close();

  if (work_) {
    const QString temp = work_->fileName();
    bool kept = false;
    if (outcome == TransferOutcome::Done) {
      errno = 0;
      kept = work_->flush() && ::fsync(work_->handle()) == 0;
      int error = errno;
      work_->close();
      // rename(2) replaces the destination in one step.
      if (kept && std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(destination_).constData()) != 0) {
        kept = false;
        error = errno;
      }
      if (!kept) {
        LogFailure(QStringLiteral("cannot store ") + destination_ + QStringLiteral(": ") +
                   plat::fileReason(*work_, error));
        outcome = TransferOutcome::Failed;
      }
    }
    work_->close();
    if (!kept) QFile::remove(temp);
    work_.reset();
  }
  if (outcome == TransferOutcome::Done) {
    if (dropped_ > 0)
      common::WriteErrorLog(QStringLiteral("Winsock>%1 %2 bytes beyond the announced size dropped")
                                .arg(name_)
                                .arg(dropped_));
    view_.AddLog(name_ + QStringLiteral(">") + Text(10625) + QStringLiteral("..."));
  }
  if (outcome == TransferOutcome::Done || outcome == TransferOutcome::NotFound) {
    if (outcome == TransferOutcome::NotFound) Close();
    view_.SetLinkStatus(link::kDone);
    view_.SetReplyLine(LineColour::Green);
  } else {
    Close();
    view_.SetLinkStatus(link::kFailed);
    view_.SetReplyLine(LineColour::Black);
  }
  TransferDone done = std::move(transferDone_);
  transferDone_ = nullptr;
  if (done) done(outcome);
}

}  // namespace net
