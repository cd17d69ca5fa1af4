#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <unistd.h>

#include "platform/core/codec.h"
#include "platform/core/textfile.h"
#include "platform/net/webclient.h"
#include "testsupport/core/fulldisk.h"
#include "testsupport/core/loopback.h"

using namespace plat;
using testing_net::HttpRoute;
using testing_net::HttpServer;
using testing_net::WaitFor;

namespace {

class Web : public ::testing::Test {
 protected:
  WebResult Run(WebRequest req, int ms = 8000) {
    bool done = false;
    WebResult out;
    client->Start(req, [&](const WebResult& r) {
      out = r;
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }, ms)) << req.url.constData();
    return out;
  }
  QString Dest(const QString& name) { return dir.filePath("Data/" + name); }
  // Nothing but the named files: no temporary left behind.
  QStringList DataFiles() {
    return QDir(dir.filePath("Data")).entryList(QDir::Files | QDir::Hidden | QDir::System);
  }

  std::unique_ptr<WebClient> client = MakeCurlWebClient();
  HttpServer http;
  QTemporaryDir dir;
};

QByteArray Bytes(int n) {
  QByteArray b(n, '\0');
  for (int i = 0; i < n; ++i) b[i] = static_cast<char>(i * 7 + 3);
  return b;
}

}  // namespace

TEST_F(Web, PageIntoMemoryAndFileRenamedWhenWhole) {
  http.Route("/a.htm", {200, "hello page"});
  WebResult r = Run(WebRequest(http.Url("/a.htm")));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(r.body, "hello page");
  EXPECT_EQ(r.status, 200);

  QByteArray big = Bytes(300000);
  http.Route("/T01-01.wma", {200, big});
  WebRequest req(http.Url("/T01-01.wma"));
  req.destination = Dest("T01-01.wma");
  r = Run(req);
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  QByteArray got;
  ASSERT_TRUE(readAllBytes(req.destination, got));
  EXPECT_EQ(got, big);
  EXPECT_EQ(DataFiles(), QStringList{"T01-01.wma"});

  HttpRoute chunked{200, Bytes(1234)};
  chunked.chunked = true;
  http.Route("/c", chunked);
  r = Run(WebRequest(http.Url("/c")));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.body, Bytes(1234));
}

TEST_F(Web, FailuresNeverLeaveOrTouchAFile) {
  HttpRoute partial{200, Bytes(5000)};
  partial.closeAfter = 2000;
  http.Route("/partial", partial);
  http.Route("/err", {500, "<html>server error</html>"});
  http.Route("/empty", {200, ""});
  HttpRoute toFile{302, ""};
  toFile.extraHeaders = "Location: file:///etc/passwd\r\n";
  http.Route("/evil", toFile);
  http.Route("/big", {200, Bytes(5000)});
  struct Case {
    QByteArray path;
    WebFailure failure;
    qint64 maxBytes;
  };
  const Case cases[] = {{"/missing", WebFailure::BadStatus, 1 << 20},
                        {"/err", WebFailure::BadStatus, 1 << 20},
                        {"/partial", WebFailure::Transfer, 1 << 20},
                        {"/empty", WebFailure::Empty, 1 << 20},
                        {"/evil", WebFailure::Transfer, 1 << 20},
                        {"/big", WebFailure::TooLarge, 4999}};
  const QString dest = Dest("T01.TXT");
  QDir().mkpath(dir.filePath("Data"));
  ASSERT_TRUE(writeBytesAtomic(dest, "old test"));
  for (const Case& c : cases) {
    WebRequest req(http.Url(c.path));
    req.destination = dest;
    req.maxBytes = c.maxBytes;
    WebResult r = Run(req);
    EXPECT_FALSE(r.ok) << c.path.constData();
    EXPECT_EQ(r.failure, c.failure) << c.path.constData() << " " << r.error.toStdString();
    QByteArray got;
    ASSERT_TRUE(readAllBytes(dest, got));
    EXPECT_EQ(got, "old test") << c.path.constData();
    EXPECT_EQ(DataFiles(), QStringList{"T01.TXT"}) << c.path.constData();
  }
  // An error page is no page in memory either.
  WebResult r = Run(WebRequest(http.Url("/err")));
  EXPECT_EQ(r.failure, WebFailure::BadStatus);
  EXPECT_TRUE(r.body.isEmpty());
  EXPECT_EQ(r.status, 500);
}

TEST_F(Web, RedirectOnLoopbackIsFollowed) {
  HttpRoute moved{302, ""};
  moved.extraHeaders = "Location: " + http.Url("/real") + "\r\n";
  http.Route("/moved", moved);
  http.Route("/real", {200, "here"});
  WebResult r = Run(WebRequest(http.Url("/moved")));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.body, "here");
}

TEST_F(Web, StallEndsByIdleTimeoutAndSlowLinkCompletes) {
  HttpRoute stall{200, Bytes(10000)};
  stall.closeAfter = 3000;
  stall.stallAfter = true;
  http.Route("/stall", stall);
  WebRequest req(http.Url("/stall"));
  req.destination = Dest("x.wma");
  req.idleTimeoutMs = 300;
  QElapsedTimer t;
  t.start();
  WebResult r = Run(req);
  EXPECT_EQ(r.failure, WebFailure::TimedOut);
  EXPECT_LT(t.elapsed(), 3000);
  EXPECT_FALSE(QFile::exists(req.destination));
  EXPECT_TRUE(DataFiles().isEmpty());

  HttpRoute slow{200, Bytes(3000)};
  slow.dribbleChunk = 100;
  slow.dribbleMs = 10;
  http.Route("/slow", slow);
  req.url = http.Url("/slow");
  r = Run(req);
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  QByteArray got;
  ASSERT_TRUE(readAllBytes(req.destination, got));
  EXPECT_EQ(got, Bytes(3000));
}

TEST_F(Web, CancelAndUnreachableReportOnce) {
  HttpRoute stall{200, Bytes(10000)};
  stall.closeAfter = 10;
  stall.stallAfter = true;
  http.Route("/stall", stall);
  int calls = 0;
  WebResult last;
  int id = client->Start(WebRequest(http.Url("/stall")), [&](const WebResult& r) {
    ++calls;
    last = r;
  });
  testing_net::Spin(100);
  client->Cancel(id);
  ASSERT_TRUE(WaitFor([&] { return calls == 1; }));
  EXPECT_EQ(last.failure, WebFailure::Cancelled);
  testing_net::Spin(50);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(client->Running(), 0);

  QTcpServer s;
  s.listen(QHostAddress::LocalHost, 0);
  QByteArray url = "http://127.0.0.1:" + QByteArray::number(s.serverPort()) + "/x";
  s.close();
  WebResult r = Run(WebRequest(url));
  EXPECT_EQ(r.failure, WebFailure::Transfer);
  r = Run(WebRequest("file:///etc/passwd"));
  EXPECT_FALSE(r.ok);
}

TEST_F(Web, StatesComeOnceInOrderAndAFailureEndsWithError) {
  struct Case {
    const char* what;
    QByteArray path;  // empty: a port nobody listens on
    QList<int> expected;
  } const cases[] = {
      {"a whole page", "/page", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"an error page", "/missing", {}},
      {"refused", "", {}},
  };
  http.Route("/page", {200, Bytes(5000)});
  http.Route("/missing", {404, "<html>not here</html>"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QList<int> states;
    QByteArray url = http.Url(c.path);
    if (c.path.isEmpty()) {
      QTcpServer closed;
      closed.listen(QHostAddress::LocalHost, 0);
      url = "http://127.0.0.1:" + QByteArray::number(closed.serverPort()) + "/x";
    }
    WebRequest req(url);
    req.onState = [&states](int s) { states.append(s); };
    const WebResult r = Run(req);
    ASSERT_FALSE(states.isEmpty());
    if (!c.expected.isEmpty()) {
      EXPECT_TRUE(r.ok);
      EXPECT_EQ(states, c.expected);
      continue;
    }
    EXPECT_FALSE(r.ok);
    // Ascending from 1, then the error state once, last.
    EXPECT_EQ(states.first(), 1);
    EXPECT_EQ(states.last(), 11);
    EXPECT_EQ(states.count(11), 1);
    for (int i = 1; i + 1 < states.size(); ++i) EXPECT_EQ(states[i], states[i - 1] + 1);
  }
}

TEST(WebUrl, SegmentsAreCp950PercentEncoded) {
  EXPECT_EQ(EncodePathSegment(u"T01-01.wma"), "T01-01.wma");
  EXPECT_EQ(EncodePathSegment(u"a b"), "a%20b");
  EXPECT_EQ(EncodePathSegment(QString::fromUtf8("許.TXT")), "%B3%5C.TXT");
  EXPECT_EQ(EncodePathSegment(u"../x"), "..%2Fx");
  EXPECT_EQ(EncodeFolderPath(u"exam\\DovoRO__"), "exam/DovoRO__");
  EXPECT_EQ(EncodeFolderPath(u"/srv/exam/"), "%2Fsrv/exam");
  EXPECT_EQ(EncodeFolderPath(u""), "");
}

// ---- FTP against the pyftpdlib fixture ----

class Ftp : public Web {
 protected:
  void SetUp() override {
    if (!testing_net::FtpServer::Available()) GTEST_SKIP() << "pyftpdlib not installed";
    root = dir.filePath("ftproot");
    QDir().mkpath(root + "/exam/DovoRO__");
    writeBytesAtomic(root + "/exam/DovoRO__/T01.TXT", "line one\r\n");
    writeBytesAtomic(root + "/exam/DovoRO__/T01-01.wma", Bytes(70000));
    // A Big5 name on disk, as the server's files are named.
    big5Path = QFile::encodeName(root + "/exam/DovoRO__/") + toCp950(QString::fromUtf8("許功.TXT"));
    FILE* fp = std::fopen(big5Path.constData(), "wb");
    ASSERT_NE(fp, nullptr);
    std::fputs("big5 named\r\n", fp);
    std::fclose(fp);
    ASSERT_TRUE(server.Start(root, "dunro", "kelpa", {"--lie-size", "T01-01.wma:90000"}));
  }
  void TearDown() override {
    if (!big5Path.isEmpty()) ::unlink(big5Path.constData());  // QDir cannot name it
  }
  QByteArray Url(const QByteArray& rest) {
    return "ftp://127.0.0.1:" + QByteArray::number(server.Port()) + "/" + rest;
  }
  WebRequest Login(const QByteArray& rest) {
    WebRequest r(Url(rest));
    r.user = "dunro";
    r.password = "kelpa";
    return r;
  }
  QString root;
  QByteArray big5Path;
  testing_net::FtpServer server;
};

TEST_F(Ftp, ListsNamesAndDownloadsABig5Name) {
  WebRequest list = Login(EncodeFolderPath(u"exam\\DovoRO__") + "/");
  list.listNames = true;
  WebResult r = Run(list);
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  QString names = fromCp950(r.body);
  EXPECT_TRUE(names.contains("T01.TXT"));
  EXPECT_TRUE(names.contains(QString::fromUtf8("許功.TXT")));

  WebRequest get = Login("exam/DovoRO__/" + EncodePathSegment(QString::fromUtf8("許功.TXT")));
  get.destination = Dest("T02.TXT");
  r = Run(get);
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  QByteArray got;
  ASSERT_TRUE(readAllBytes(get.destination, got));
  EXPECT_EQ(got, "big5 named\r\n");
}

TEST_F(Ftp, LoginMissingFileAndShortTransferFail) {
  WebRequest bad = Login("exam/DovoRO__/T01.TXT");
  bad.password = "wrong";
  bad.destination = Dest("T01.TXT");
  EXPECT_FALSE(Run(bad).ok);
  WebRequest missing = Login("exam/DovoRO__/t01.txt");  // the server is case-sensitive
  missing.destination = Dest("T01.TXT");
  EXPECT_FALSE(Run(missing).ok);
  WebRequest shortOne = Login("exam/DovoRO__/T01-01.wma");
  shortOne.destination = Dest("T01-01.wma");
  WebResult r = Run(shortOne);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.code, 18) << r.error.toStdString();  // partial file
  EXPECT_FALSE(QFile::exists(shortOne.destination));
  EXPECT_TRUE(DataFiles().isEmpty());
}

// A body small enough to sit in the work file's buffer: the full disk
// answers only when it is flushed, and the transfer must fail then.
TEST_F(Web, ADownloadOntoAFullDiskFailsAndKeepsTheEarlierFile) {
  testing_support::FullDisk disk;
  ASSERT_TRUE(disk.Ok());
  if (!disk.Mounted()) GTEST_SKIP() << "needs a real small file system (tmpfs, as root)";
  const QString dest = disk.Path() + QStringLiteral("/T01.TXT");
  ASSERT_TRUE(writeBytesAtomic(dest, "earlier"));
  ASSERT_TRUE(disk.Fill());
  http.Route("/T01.TXT", {200, Bytes(3000)});
  WebRequest req(http.Url("/T01.TXT"));
  req.destination = dest;
  const WebResult r = Run(req);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failure, WebFailure::LocalFile);
  EXPECT_TRUE(r.error.contains(dest)) << r.error.toStdString();
  QByteArray got;
  ASSERT_TRUE(readAllBytes(dest, got));
  EXPECT_EQ(got, "earlier");
  EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files | QDir::Hidden), (QStringList{".filler", "T01.TXT"}));
}
