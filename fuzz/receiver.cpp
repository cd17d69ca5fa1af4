// Replies of the receiver (the test server's line protocol), as the download
// window meets them: a reply to a request, in one or several arrivals, then a
// file fetch whose size reply and bytes come from the input. The peer's
// arrivals are the input cut at "\n%%\n".
#include <QFile>

#include "fuzz/support.h"
#include "net/core/listroutines.h"
#include "net/core/receiverlink.h"
#include "net/core/receiverprotocol.h"
#include "platform/core/codec.h"
#include "platform/net/tcpclient.h"
#include "testsupport/core/netfakes.h"

namespace {

// A window that uses what the replies fill, as the download window does.
class View : public net::DownloadView {
 public:
  void SetTestList(const QString& reply) override {
    for (int n = 0; n < 8; ++n) (void)net::DivisionWordS(n, reply);
    (void)net::CheckListBox(reply.split(u' '), QStringLiteral("T01"));
  }
  void SetFtpParameters(const net::FtpParameters& p) override { ftp = p; }
  net::FtpParameters ftp;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  const QByteArray bytes = fuzz::Bytes(data, size);
  const QList<QByteArray> arrivals = fuzz::Arrivals(bytes);

  // The parser on its own, as text and with a small size limit.
  const QString text = plat::fromCp950(bytes);
  const net::ReceiverReply reply = net::ParseReceiverReply(text, 1000);
  if (reply.kind == net::ReplyKind::FileSize && reply.size != -1 && (reply.size < 1 || reply.size > 1000)) abort();
  (void)net::ReplyLogLine(reply);

  View view;
  auto socket = std::make_unique<plat::FakeTcpClient>();
  plat::FakeTcpClient* peer = socket.get();
  {
    net::ReceiverLink link(view, std::move(socket));
    link.SetEndpoint(QStringLiteral("127.0.0.1"), QStringLiteral("7000"));
    link.SetTimeouts(600000, 600000);  // the fuzzer's own time-out catches hangs

    // A request and its reply.
    bool opened = false;
    link.Open(QStringLiteral("timeout"), [&](net::WaitResult) { opened = true; });
    peer->AcceptConnect();
    fuzz::Settle([&] { return opened; });
    bool answered = false;
    link.Ask(net::TestListRequest(u"DovoRO__"), QStringLiteral("timeout"), [&](net::WaitResult) { answered = true; });
    for (const QByteArray& a : arrivals) peer->Deliver(a);
    fuzz::Settle([&] { return answered; });
    link.Close();

    // A file: the first arrival answers FILSIZ, the others are its bytes.
    const QString dest = fuzz::Folder() + QStringLiteral("T01.TXT");
    bool done = false;
    net::TransferOutcome outcome = net::TransferOutcome::Failed;
    link.SetMaxFileSize(1 << 20);
    link.DownloadFile(QStringLiteral("DovoRO__"), QStringLiteral("T01.TXT"), dest, [&](net::TransferOutcome o) {
      outcome = o;
      done = true;
    });
    fuzz::Settle([&] { return peer->State() == plat::SockState::Connecting || done; });
    if (!done) {
      peer->AcceptConnect();
      fuzz::Settle([&] { return !peer->sent.isEmpty() || done; });
      for (const QByteArray& a : arrivals) {
        if (done) break;
        peer->Deliver(a);
        fuzz::Settle([] { return false; }, 2);
      }
      if (!done) peer->ClosePeer();
      fuzz::Settle([&] { return done; });
      if (!done) link.Stop();
      fuzz::Settle([&] { return done; });
    }
    // A file is there only when the whole announced count came.
    if (outcome != net::TransferOutcome::Done && QFile::exists(dest)) abort();
  }
  return 0;
}
