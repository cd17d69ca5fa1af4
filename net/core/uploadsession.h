#pragma once
// Delivery of one result to the scoring server: connect (one try a tick),
// send the record in one send, wait for the one-word verdict "Complete" or
// "Error", give up after fixed numbers of ticks. The upload window is a thin
// form over it; the scorer (24 columns, enciphered when setting 5951 says so)
// and the batch scorer (23 columns, always plain, its own host and log) use
// the same session with their own policy.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "common/errorlog.h"
#include "net/core/ticker.h"
#include "platform/net/tcpclient.h"

namespace net {

enum class UploadState { Connecting = 0, Connected = 1, Completed = 2 };

struct UploadPolicy {
  int tickMs = 1000;
  int connectTicks = 10;   // the tick after these gives up and offers the host dialog
  int replyTicks = 30;     // the wait for the verdict ends on the 32nd tick after sending
  bool mayEncipher = true; // false: never consult setting 5951 (the batch scorer)
  bool showRuntimeErrors = true;  // false: a fault only closes the socket
  std::function<QString()> host;  // the server; default: AssignedHost (setting 293)
  std::function<QString()> port;  // default: store entry 5902
  std::function<void(const QString&)> log;  // default: the error report
};

// What the session shows. Every method has a do-nothing default; none may
// block (a message box is shown without waiting).
class UploadView {
 public:
  virtual ~UploadView() = default;
  virtual void ShowWindow() {}                                   // modeless, owned by the score sheet
  virtual void SetStatus(const QString& t) { (void)t; }          // lblMessage :=
  virtual void AppendStatus(const QString& t) { (void)t; }       // lblMessage +=
  virtual void SetCaption(const QString& t) { (void)t; }         // window caption
  virtual void EnableSend(bool on) { (void)on; }                 // Command1
  virtual void EnableCancel(bool on) { (void)on; }               // Command2
  virtual void FocusDetails() {}                                 // focus to Command3
  virtual void ShowVerdictError(const QString& text, const QString& title) {
    (void)text;
    (void)title;
  }
  virtual void OfferHostDialog() {}  // connect given up: the host dialog (its OK calls Deliver)
  virtual void Completed() {}        // recorded: hide, show the score sheet, clear the activated flag
  // The attempt is over without "Complete": given up (connect or verdict),
  // closed by the server, cancelled or a fault. Sending is possible again.
  virtual void AttemptEnded() {}
  virtual void ShowRuntimeError(const common::AppError& e) { (void)e; }
};

// The record: each value followed by "|". A "|" inside a value would move
// every later column at the server, so it becomes "｜"; CR and LF become
// blanks. *replaced counts the characters changed.
QString BuildUploadRecord(const QStringList& values, int* replaced = nullptr);

// The built-in headings of the 24 columns (the batch scorer shows the first
// 23 as they are).
QStringList UploadBuiltInHeadings();
// The scorer's headings: column 0 kept, the others from the text store by
// id, emptied where the table empties them.
QStringList ScorerUploadHeadings();

class UploadSession {
 public:
  UploadSession(UploadView& view, UploadPolicy policy,
                std::unique_ptr<plat::TcpClient> socket = plat::MakeTcpClient(),
                std::unique_ptr<Ticker> ticker = std::make_unique<QtTicker>());
  ~UploadSession();
  UploadSession(const UploadSession&) = delete;
  UploadSession& operator=(const UploadSession&) = delete;

  // The boxes of the table (Text1(0..n-1)); kept for every later attempt.
  void SetValues(const QStringList& values) { values_ = values; }
  const QStringList& Values() const { return values_; }

  // Starts an attempt (the activation, Command1 and the host dialog's OK).
  void Deliver();
  // One step of the attempt's state machine.
  void Step();
  // One tick of Timer1 (the ticker calls it).
  void Tick();
  // Command2: ends the attempt without a verdict; sending is possible again.
  void Cancel();

  UploadState State() const { return state_; }
  int ConnectTicks() const { return connectTicks_; }
  int ReplyTicks() const { return replyTicks_; }
  bool Sent() const { return sent_; }
  QByteArray LastSentBytes() const { return lastSent_; }
  plat::TcpClient& Socket() { return *socket_; }
  Ticker& Timer() { return *ticker_; }

 private:
  void OnConnected();
  void OnData();
  void OnPeerClosed();
  void CloseSocket();
  void Fault(int number, const QString& text);
  void Log(const QString& line);

  UploadView& view_;
  UploadPolicy policy_;
  std::unique_ptr<plat::TcpClient> socket_;
  std::unique_ptr<Ticker> ticker_;
  QObject ctx_;
  QStringList values_;
  QString host_;
  int port_ = 0;

  // The window's own state, in its order.
  int connectTicks_ = 0;
  UploadState state_ = UploadState::Connecting;
  bool shownBefore_ = false;
  int replyTicks_ = 0;
  bool sent_ = false;
  QByteArray reply_;
  QByteArray lastSent_;
};

}  // namespace net
