#pragma once
// The connection to the receiver (the test server) and the client side of
// its protocol: connect, send a request, wait for the reply with a time-out,
// parse every reply as it arrives, and fetch one file by its size and bytes.
// Everything is a state machine on the event loop: a call returns at once and
// its outcome comes later to the callback, never inside the call.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "net/core/downloadview.h"
#include "net/core/receiverprotocol.h"
#include "platform/net/tcpclient.h"

class QTemporaryFile;

namespace net {

enum class WaitResult {
  Answered,  // a reply arrived (or, for Open, the connection was made)
  TimedOut,  // the status line got the time-out text
  Stopped,   // Stop() was called
  Failed,    // refused, closed by the peer, or another socket error
};

enum class TransferOutcome {
  Done,      // the whole file is at the destination
  NotFound,  // the server has no such file; nothing was written
  Failed,    // nothing was written; the destination keeps what it had
  Stopped,   // as Failed, by the user's stop
};

class ReceiverLink {
 public:
  explicit ReceiverLink(DownloadView& view, std::unique_ptr<plat::TcpClient> socket = plat::MakeTcpClient());
  ~ReceiverLink();
  ReceiverLink(const ReceiverLink&) = delete;
  ReceiverLink& operator=(const ReceiverLink&) = delete;

  // T5 and T6. A port outside 1..65535 makes every Open fail.
  void SetEndpoint(const QString& host, const QString& port);
  // The wait for a connection or a reply (20 s), and the longest silence
  // while a file's bytes come in (20 s).
  void SetTimeouts(int replyMs, int idleMs);
  void SetMaxFileSize(qint64 bytes) { maxFileSize_ = bytes; }

  using WaitDone = std::function<void(WaitResult)>;
  // Closes an open connection, connects to the endpoint and waits for it.
  void Open(const QString& timeoutText, WaitDone done);
  // Sends the request (enciphered when setting 5951 is 1) and waits for the
  // next reply. Fails at once when not connected.
  void Ask(const QString& request, const QString& timeoutText, WaitDone done);
  // Waits for the next reply without sending.
  void Await(const QString& timeoutText, WaitDone done);
  void Close();
  bool IsOpen() const;
  // The user's stop: a pending wait or file transfer ends with Stopped.
  void Stop();
  bool Busy() const { return static_cast<bool>(wait_) || static_cast<bool>(transferDone_); }

  // The last reply as parsed, and the reply buffer (the last reply's text,
  // or the marker the connect or a file arrival put there).
  const ReceiverReply& LastReply() const { return last_; }
  const QString& ReplyBuffer() const { return buffer_; }

  using TransferDone = std::function<void(TransferOutcome)>;
  // Fetches `name` of the subject into `destination` over a connection of
  // its own: FILSIZ, then FILBIN. The bytes go to a hidden temporary file in
  // the destination's folder, renamed over the destination only when exactly
  // the announced count arrived. Link status: 2 while running, 3 when done
  // or not found, 5 when failed or stopped.
  void DownloadFile(const QString& subject, const QString& name, const QString& destination,
                    TransferDone done);

  plat::TcpClient& Socket() { return *socket_; }

 private:
  enum class WaitFor { None, Connect, Reply, FirstBytes };
  void StartWait(WaitFor what, const QString& timeoutText, WaitDone done);
  void EndWait(WaitResult r);
  void OnConnected();
  void OnData();
  void OnClosedOrError(const QString& reason);
  // One error-report line for a failure of the request under way.
  void LogFailure(const QString& reason) const;
  QString Endpoint() const;
  void OnText(const QByteArray& bytes);
  void OnBytes(const QByteArray& bytes);
  void AfterConnect(WaitResult r);
  void AfterSize(WaitResult r);
  void AfterFirstBytes(WaitResult r);
  void FinishTransfer(TransferOutcome outcome);
  void Later(std::function<void()> fn);

  DownloadView& view_;
  std::unique_ptr<plat::TcpClient> socket_;
  QObject ctx_;
  QString host_;
  int port_ = 0;
  int replyMs_ = 20000;
  int idleMs_ = 20000;
  qint64 maxFileSize_ = kDefaultMaxFileSize;

  WaitFor waitFor_ = WaitFor::None;
  WaitDone wait_;
  QString timeoutText_;
  QString request_;     // the request the wait is for, as its text ("connect" for a connection)
  QString failReason_;  // why the socket failed or closed, for the report
  QTimer waitTimer_;
  QString buffer_;
  ReceiverReply last_;

  // The file transfer under way.
  TransferDone transferDone_;
  QString subject_, name_, destination_;
  std::unique_ptr<QTemporaryFile> work_;
  bool binary_ = false;
  qint64 expected_ = 0;
  qint64 received_ = 0;
  qint64 dropped_ = 0;
  QTimer idleTimer_;
};

}  // namespace net
