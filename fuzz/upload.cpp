// The scoring server's verdict on an uploaded result ("Complete" or
// "Error", maybe in pieces, maybe neither): the peer's arrivals are the
// input cut at "\n%%\n", followed by its close.
#include "common/store.h"
#include "fuzz/support.h"
#include "net/core/uploadsession.h"
#include "platform/net/tcpclient.h"
#include "testsupport/core/manualticker.h"
#include "testsupport/core/netfakes.h"

namespace {

class View : public net::UploadView {
 public:
  void Completed() override { completed = true; }
  bool completed = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  const QList<QByteArray> arrivals = fuzz::Arrivals(fuzz::Bytes(data, size));
  for (bool closeAfter : {false, true}) {
    View view;
    net::UploadPolicy policy;
    policy.host = [] { return QStringLiteral("127.0.0.1"); };
    policy.port = [] { return QStringLiteral("7001"); };
    policy.log = [](const QString&) {};
    auto socket = std::make_unique<plat::FakeTcpClient>();
    plat::FakeTcpClient* peer = socket.get();
    auto ticker = std::make_unique<net::ManualTicker>();
    net::ManualTicker* tick = ticker.get();
    net::UploadSession session(view, policy, std::move(socket), std::move(ticker));
    session.SetValues({QStringLiteral("DovoRO__"), QStringLiteral("王小明"), QStringLiteral("98.5")});
    session.Deliver();
    peer->AcceptConnect();
    if (!session.Sent()) abort();
    for (const QByteArray& a : arrivals) {
      peer->Deliver(a);
      tick->Fire();
    }
    if (closeAfter) peer->ClosePeer();
    for (int i = 0; i < 40 && tick->Fire(); ++i) {
    }
    // Recorded only on the exact verdict.
    if (view.completed && session.State() != net::UploadState::Completed) abort();
  }
  return 0;
}
