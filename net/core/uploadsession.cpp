#include "net/core/uploadsession.h"

#include "common/accessors.h"
#include "common/cipher.h"
#include "common/store.h"
#include "platform/core/codec.h"

namespace net {

namespace {

constexpr auto Text = &common::StoreText;

const QByteArray kComplete = "Complete";
const QByteArray kError = "Error";

// Trailing CR and LF dropped ("Complete\r\n" is "Complete").
QByteArray WithoutLineEnd(QByteArray reply) {
  while (reply.endsWith('\r') || reply.endsWith('\n')) reply.chop(1);
  return reply;
}

}  // namespace

QString BuildUploadRecord(const QStringList& values, int* replaced) {
  QString record;
  int changed = 0;
  for (const QString& v : values) {
    for (QChar c : v) {
      if (c == u'|') {
        record.append(QChar(0xFF5C));  // "｜", Big5 A1 55
        ++changed;
      } else if (c == u'\r' || c == u'\n') {
        record.append(u' ');
        ++changed;
      } else {
        record.append(c);
      }
    }
    record.append(u'|');
  }
  if (replaced) *replaced = changed;
  return record;
}

QStringList UploadBuiltInHeadings() {
  static const char* const h[] = {"代碼", "科目", "測驗題目", "姓名", "身份證", "生日", "", "速度",
                                  "測驗日期", "測驗時間", "", "", "", "", "", "正確率", "錯誤率",
                                  "實得分數", "扣分", "總正確得分", "IP", "電腦名稱", "測驗日期", "輸入法"};
  QStringList out;
  for (const char* s : h) out.append(QString::fromUtf8(s));
  return out;
}

QStringList ScorerUploadHeadings() {
  // 0 keeps its heading, -1 empties it.
  static const int ids[24] = {0,     13949, 13939, 13934, 13936, 13935, -1,    13946,
                              13940, -1,    -1,    -1,    -1,    -1,    -1,    13944,
                              13945, 13943, 13942, 13941, 13978, 13979, 13938, 11513};
  QStringList out = UploadBuiltInHeadings();
  for (int i = 1; i < 24; ++i) out[i] = ids[i] < 0 ? QString() : Text(ids[i]);
  return out;
}

UploadSession::UploadSession(UploadView& view, UploadPolicy policy, std::unique_ptr<plat::TcpClient> socket,
                             std::unique_ptr<Ticker> ticker)
    : view_(view), policy_(std::move(policy)), socket_(std::move(socket)), ticker_(std::move(ticker)) {
  if (!policy_.host) policy_.host = [] { return common::AssignedHost.get(); };
  if (!policy_.port) policy_.port = [] { return common::SystemIniValue(5902).asText(); };
  if (!policy_.log) policy_.log = [](const QString& line) { common::WriteErrorLog(line); };
  ticker_->onTick = [this] { Tick(); };
  QObject::connect(socket_.get(), &plat::TcpClient::connected, &ctx_, [this] { OnConnected(); });
  QObject::connect(socket_.get(), &plat::TcpClient::dataArrival, &ctx_, [this](qint64) { OnData(); });
  QObject::connect(socket_.get(), &plat::TcpClient::peerClosed, &ctx_, [this] { OnPeerClosed(); });
  QObject::connect(socket_.get(), &plat::TcpClient::errorOccurred, &ctx_, [this](int, const QString&) {
    // While connecting a refusal only costs this try; the tick tries again.
    // Once connected, a reset is the server going away.
    if (state_ != UploadState::Connecting) OnPeerClosed();
  });
}

UploadSession::~UploadSession() {
  ticker_->onTick = nullptr;
  QObject::disconnect(socket_.get(), nullptr, &ctx_, nullptr);
}

void UploadSession::Log(const QString& line) { policy_.log(line); }

void UploadSession::CloseSocket() {
  if (!socket_->IsClosed()) socket_->Close();
}

void UploadSession::Fault(int number, const QString& text) {
  ticker_->Stop();
  common::AppError err = common::MakeAppError(number, QStringLiteral("CrsDeliver"));
  if (!text.isEmpty()) err.text = text;
  Log(common::ErrorTrapLine(QStringLiteral("CrsDeliver"), err));
  if (policy_.showRuntimeErrors) view_.ShowRuntimeError(err);
  CloseSocket();
  view_.EnableSend(true);
  view_.AttemptEnded();
}

void UploadSession::Deliver() {
  view_.ShowWindow();
  view_.EnableSend(false);
  if (shownBefore_) {
    view_.EnableCancel(true);
    view_.FocusDetails();
  } else {
    view_.EnableCancel(false);
    shownBefore_ = true;
  }
  host_ = policy_.host();
  view_.SetStatus(host_);
  CloseSocket();
  // Every attempt starts afresh: an earlier send that got no verdict must
  // not leave this one without connect tries or host dialog, and an earlier
  // completion must not make a failed start look recorded.
  sent_ = false;
  replyTicks_ = 0;
  reply_.clear();
  connectTicks_ = 0;
  state_ = UploadState::Connecting;
  bool ok = false;
  const int port = policy_.port().trimmed().toInt(&ok);
  if (!ok || port < 1 || port > 65535) {
    Fault(common::kTypeMismatch, QStringLiteral("port ") + policy_.port());
    return;
  }
  port_ = port;
  ticker_->Start(policy_.tickMs);
  Step();
}

void UploadSession::Step() {
  if (state_ == UploadState::Connecting) {
    socket_->SetLocalPort(0);
    socket_->Connect(host_, port_);
  }
  if (state_ == UploadState::Connected) {
    int replaced = 0;
    const QString record = BuildUploadRecord(values_, &replaced);
    if (replaced > 0)
      Log(QStringLiteral("frmClient> %1 characters of the record replaced (\"|\", line ends)").arg(replaced));
    const bool encipher = policy_.mayEncipher && common::SystemIniValue(5951).asInt() == 1;
    lastSent_ = plat::toCp950(encipher ? common::EncryptText(record) : record);
    reply_.clear();
    if (!socket_->SendData(lastSent_)) Log(QStringLiteral("frmClient> the record could not be sent"));
  }
  if (state_ == UploadState::Completed) {
    ticker_->Stop();
    replyTicks_ = 0;
    sent_ = false;
    view_.SetStatus(Text(11809));
    CloseSocket();
    view_.Completed();
  } else if (state_ == UploadState::Connected) {
    replyTicks_ = 0;
    sent_ = true;
    ticker_->Start(policy_.tickMs);
  }
}

void UploadSession::Tick() {
  if (sent_) {
    if (state_ > UploadState::Connected) {
      ticker_->Stop();
      Step();
    } else if (replyTicks_ <= policy_.replyTicks) {
      ++replyTicks_;
      view_.AppendStatus(QStringLiteral(">"));
    } else {
      ticker_->Stop();
      view_.EnableSend(true);
      CloseSocket();
      // Not silent: the result has not been recorded.
      view_.AppendStatus(Text(11808));
      Log(QStringLiteral("frmClient> ") + host_ + QStringLiteral(" no verdict"));
      view_.AttemptEnded();
    }
    return;
  }
  ++connectTicks_;
  if (connectTicks_ > policy_.connectTicks) {
    ticker_->Stop();
    CloseSocket();
    connectTicks_ = 0;
    view_.EnableSend(true);
    view_.AppendStatus(Text(11808));
    Log(QStringLiteral("frmClient> ") + host_ + QStringLiteral(" no connection"));
    view_.AttemptEnded();
    view_.OfferHostDialog();
  } else {
    CloseSocket();  // a connect still pending is abandoned
    socket_->Connect(host_, port_);
  }
  if (state_ != UploadState::Connecting) ticker_->Stop();
  view_.AppendStatus(QStringLiteral(">"));
}

void UploadSession::Cancel() {
  CloseSocket();
  ticker_->Stop();
  view_.EnableSend(true);  // or the window could never send again
  view_.AttemptEnded();
}

void UploadSession::OnConnected() {
  if (state_ != UploadState::Connecting) return;
  view_.SetStatus(Text(11811));
  state_ = UploadState::Connected;
  ticker_->Stop();
  Step();
}

void UploadSession::OnData() {
  reply_ += socket_->GetData();
  // One verdict may come in several pieces: compare what this attempt has
  // received, exactly and case-sensitively, less the line end a server may
  // put after the word.
  const QByteArray verdict = WithoutLineEnd(reply_);
  if (verdict == kComplete) {
    reply_.clear();
    view_.SetCaption(Text(11809));
    state_ = UploadState::Completed;
  } else if (verdict == kError) {
    reply_.clear();
    view_.ShowVerdictError(Text(11810), Text(14005));
    view_.EnableSend(true);
  } else if (verdict.size() < reply_.size() || (!kComplete.startsWith(reply_) && !kError.startsWith(reply_))) {
    reply_.clear();
  }
}

void UploadSession::OnPeerClosed() {
  if (socket_->BytesReceived() > 0) OnData();
  if (state_ == UploadState::Completed) {
    // "Complete" and then the close is the usual server: finish now.
    ticker_->Stop();
    Step();
    return;
  }
  ticker_->Stop();
  view_.SetStatus(Text(11808));
  CloseSocket();
  view_.EnableSend(true);
  view_.EnableCancel(true);
  view_.AttemptEnded();
}

}  // namespace net
