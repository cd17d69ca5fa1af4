#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include "platform/net/tcpclient.h"
#include "testsupport/core/loopback.h"
#include "testsupport/core/netfakes.h"

using namespace plat;
using testing_net::ClosedPort;
using testing_net::WaitFor;

namespace {

struct Events {
  int connected = 0, closed = 0, errors = 0, lastError = 0;
  QByteArray data;
  void Attach(TcpClient& c) {
    QObject::connect(&c, &TcpClient::connected, [this] { ++connected; });
    QObject::connect(&c, &TcpClient::peerClosed, [this] { ++closed; });
    QObject::connect(&c, &TcpClient::errorOccurred, [this](int n, const QString&) {
      ++errors;
      lastError = n;
    });
  }
};

}  // namespace

TEST(TcpClient, ConnectSendReceiveAndPeerClose) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  QTcpSocket* peer = nullptr;
  QObject::connect(&server, &QTcpServer::newConnection, [&] { peer = server.nextPendingConnection(); });

  QtTcpClient c;
  Events ev;
  ev.Attach(c);
  QObject::connect(&c, &TcpClient::dataArrival, [&](qint64) { ev.data += c.GetData(); });
  EXPECT_EQ(c.State(), SockState::Closed);
  c.SetLocalPort(0);
  c.Connect("127.0.0.1", server.serverPort());
  ASSERT_TRUE(WaitFor([&] { return ev.connected == 1 && peer; }));
  EXPECT_EQ(c.State(), SockState::Connected);
  EXPECT_EQ(static_cast<int>(c.State()), 7);
  EXPECT_EQ(c.LocalIP(), "127.0.0.1");
  EXPECT_FALSE(c.LocalHostName().isEmpty());

  // One send of a whole message, Big5 bytes untouched.
  QByteArray msg("FILSIZ DovoRO__ \xB3\x5C.TXT", 21);
  ASSERT_TRUE(c.SendData(msg));
  QByteArray got;
  ASSERT_TRUE(WaitFor([&] {
    if (peer->bytesAvailable()) got += peer->readAll();
    return got.size() == msg.size();
  }));
  EXPECT_EQ(got, msg);

  // Data then close from the peer: the data comes first and stays readable.
  peer->write("Complete");
  peer->disconnectFromHost();
  ASSERT_TRUE(WaitFor([&] { return ev.closed == 1; }));
  EXPECT_EQ(ev.data, "Complete");
  EXPECT_EQ(c.State(), SockState::Closing);
  EXPECT_EQ(ev.errors, 0);
  c.Close();
  EXPECT_EQ(c.State(), SockState::Closed);
  EXPECT_FALSE(c.SendData("x"));
}

TEST(TcpClient, OwnCloseRaisesNoEventAndReconnectWorks) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  int accepted = 0;
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    server.nextPendingConnection();
    ++accepted;
  });
  QtTcpClient c;
  Events ev;
  ev.Attach(c);
  c.Connect("127.0.0.1", server.serverPort());
  ASSERT_TRUE(WaitFor([&] { return ev.connected == 1; }));
  c.Close();
  testing_net::Spin(50);
  EXPECT_EQ(ev.closed, 0);
  EXPECT_EQ(ev.errors, 0);
  c.Connect();  // same host and port
  ASSERT_TRUE(WaitFor([&] { return ev.connected == 2 && accepted == 2; }));
}

TEST(TcpClient, RefusedAndInvalidEndpointsGiveErrorEvents) {
  struct Case {
    QString host;
    int port;
    int error;
  };
  const Case cases[] = {{"127.0.0.1", ClosedPort(), sockerr::kConnectionRefused},
                        {"127.0.0.1", 0, sockerr::kInvalidArgument},
                        {"127.0.0.1", 70000, sockerr::kInvalidArgument},
                        {"", 5568, sockerr::kInvalidArgument}};
  for (const Case& k : cases) {
    QtTcpClient c;
    Events ev;
    ev.Attach(c);
    c.Connect(k.host, k.port);
    ASSERT_TRUE(WaitFor([&] { return ev.errors == 1; })) << k.port;
    EXPECT_EQ(ev.lastError, k.error) << k.port;
    EXPECT_EQ(c.State(), SockState::Error);
    EXPECT_EQ(ev.connected, 0);
    EXPECT_EQ(ev.closed, 0);
    c.Close();
    EXPECT_EQ(c.State(), SockState::Closed);
  }
}

TEST(TcpClient, FakePlaysThePeer) {
  FakeTcpClient c;
  Events ev;
  ev.Attach(c);
  c.Connect("h", 1);
  EXPECT_EQ(c.State(), SockState::Connecting);
  EXPECT_FALSE(c.SendData("early"));
  c.AcceptConnect();
  EXPECT_TRUE(c.SendData("x"));
  c.Deliver("ab");
  c.Deliver("c");
  EXPECT_EQ(c.GetData(), "abc");
  c.ClosePeer();
  EXPECT_EQ(ev.connected, 1);
  EXPECT_EQ(ev.closed, 1);
  EXPECT_EQ(c.connects, QStringList{"h:1"});
  EXPECT_EQ(c.sent, QList<QByteArray>{"x"});

  SetTcpClientMaker([] { return std::make_unique<FakeTcpClient>(); });
  EXPECT_NE(dynamic_cast<FakeTcpClient*>(MakeTcpClient().get()), nullptr);
  SetTcpClientMaker({});
  EXPECT_NE(dynamic_cast<QtTcpClient*>(MakeTcpClient().get()), nullptr);
}
