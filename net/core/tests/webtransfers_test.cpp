#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

#include "common/accessors.h"
#include "common/store.h"
#include "net/core/tests/recordingview.h"
#include "net/core/webtransfers.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"
#include "testsupport/core/fakeservers.h"
#include "testsupport/core/loopback.h"

using namespace net;
using testing_net::HttpRoute;
using testing_net::HttpServer;
using testing_net::RecordingView;
using testing_net::WaitFor;

namespace {

class Transfers : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(dir.path());
    common::ResetCommonState();
    common::ProgramFolder.set(dir.path() + "/");
    common::SystemIniValue(10625, "ok");
    common::SystemIniValue(10620, "logging in");
    common::SystemIniValue(10621, "listed");
    common::SystemIniValue(10622, "ready");
    common::SystemIniValue(10623, "no FTP");
    QDir().mkpath(Data());
    WebLimits limits;
    limits.idleMs = 2000;
    web.SetLimits(limits);
  }
  void TearDown() override {
    common::ResetCommonState();
    plat::SetProgramFolder(QString());
  }
  QString Data() const { return dir.path() + "/Data"; }
  QString Url(const char* path) const { return QString::fromLatin1(http.Url(path)); }
  PageResult Page(const QString& url) {
    bool done = false;
    PageResult out;
    web.GetUrl(url, [&](const PageResult& p) {
      out = p;
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }));
    return out;
  }
  bool Write(const QString& url, const QString& path) {
    bool done = false, written = false;
    web.WriteFile(url, path, [&](bool w) {
      written = w;
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }));
    return written;
  }
  TransferOutcome Http(const QString& url, const QString& dest) {
    bool done = false;
    TransferOutcome out = TransferOutcome::Failed;
    web.DownloadHttp(url, dest, [&](TransferOutcome o) {
      out = o;
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }));
    return out;
  }

  QTemporaryDir dir;
  HttpServer http;
  RecordingView view;
  std::unique_ptr<plat::WebClient> client = plat::MakeCurlWebClient();
  WebTransfers web{view, *client};
};

QString Unreachable() {
  QTcpServer s;
  s.listen(QHostAddress::LocalHost, 0);
  QString url = QString("http://127.0.0.1:%1/x").arg(s.serverPort());
  s.close();
  return url;
}

}  // namespace

TEST_F(Transfers, PagesComeWholeTrimmedOrNotAtAll) {
  http.Route("/blank", {200, QByteArray(300, ' ')});
  http.Route("/exact", {200, QByteArray(17000, 'a')});
  http.Route("/long", {200, QByteArray(17001, 'b')});
  http.Route("/big5", {200, "  \xB3\x5C\xA5\x5C  "});
  EXPECT_EQ(Page(Url("/blank")).text, "");
  EXPECT_EQ(Page(Url("/exact")).bytes.size(), 17000);
  EXPECT_EQ(Page(Url("/long")).bytes.size(), 17001);  // never cut
  EXPECT_EQ(Page(Url("/big5")).text, QString::fromUtf8("許功"));
  EXPECT_FALSE(Page(Url("/missing")).ok);  // a 404 page is no page
  EXPECT_EQ(Page(Unreachable()).text, "");

  WebLimits small;
  small.maxPageBytes = 1000;
  web.SetLimits(small);
  PageResult tooBig = Page(Url("/exact"));
  EXPECT_FALSE(tooBig.ok);
  EXPECT_TRUE(tooBig.bytes.isEmpty());
}

TEST_F(Transfers, WriteFileReplacesOnlyWithARealPage) {
  const QString target = dir.path() + "/NOTE/AD.HTM";
  QDir().mkpath(dir.path() + "/NOTE");
  ASSERT_TRUE(plat::writeBytesAtomic(target, "old"));
  auto content = [&] {
    QByteArray b;
    plat::readAllBytes(target, b);
    return b;
  };
  http.Route("/page", {200, " <html>\xB3\x5C</html> "});
  http.Route("/notfound", {200, "<html>Page Not Found here</html>"});
  http.Route("/err", {500, "<html>oops</html>"});

  EXPECT_FALSE(Write(Unreachable(), target));
  EXPECT_FALSE(Write(Url("/err"), target));
  EXPECT_EQ(content(), "old");
  // An unset not-found text blocks nothing.
  EXPECT_TRUE(Write(Url("/page"), target));
  EXPECT_EQ(content(), "<html>\xB3\x5C</html>\r\n");  // bytes as served, never re-encoded
  common::SystemIniValue(10601, "Not Found");
  EXPECT_FALSE(Write(Url("/notfound"), target));
  EXPECT_EQ(content(), "<html>\xB3\x5C</html>\r\n");
}

TEST_F(Transfers, HttpFileLogsStatesAndFailsWithoutAFile) {
  EXPECT_EQ(HttpFileUrl("127.0.0.1:8080", "exam\\sub", "DovoRO__", "T01-01.wma"),
            "http://127.0.0.1:8080/exam/sub/DovoRO__/T01-01.wma");
  EXPECT_EQ(HttpFileUrl("h", "", "S", QString::fromUtf8("許 1.TXT")), "http://h/S/%B3%5C%201.TXT");
  EXPECT_EQ(EncodeUrlText(QString::fromUtf8("http://h/a b/許")), "http://h/a%20b/%B3%5C");

  http.Route("/exam/DovoRO__/T01-01.wma", {200, QByteArray(5000, 'w')});
  const QString url = QString("http://127.0.0.1:%1").arg(http.Port()) +
                      HttpFileUrl("", "exam", "DovoRO__", "T01-01.wma").mid(7);
  const QString dest = Data() + "/T01-01.wma";
  ASSERT_EQ(Http(url, dest), TransferOutcome::Done);
  EXPECT_EQ(http.requests.last(), "GET /exam/DovoRO__/T01-01.wma HTTP/1.1");
  EXPECT_EQ(QFileInfo(dest).size(), 5000);
  EXPECT_EQ(view.log, (QStringList{"WWW>" + url, url + ">ok..."}));
  EXPECT_EQ(view.links, (QList<int>{link::kRunning, link::kDone}));
  // The transfer control's states, each once and in order.
  EXPECT_EQ(view.states, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

  view.links.clear();
  view.states.clear();
  const QString dest2 = Data() + "/T01-02.wma";
  EXPECT_EQ(Http(Url("/exam/DovoRO__/T01-02.wma"), dest2), TransferOutcome::Failed);  // 404
  EXPECT_EQ(view.links, (QList<int>{link::kRunning, link::kFailed}));
  EXPECT_EQ(view.states.last(), 11);
  EXPECT_FALSE(QFile::exists(dest2));
  EXPECT_EQ(Http(Url("/exam/DovoRO__/T01-01.wma"), Data() + "/.."), TransferOutcome::Failed);
  EXPECT_EQ(QDir(Data()).entryList(QDir::Files | QDir::Hidden), QStringList{"T01-01.wma"});
}

TEST_F(Transfers, EveryFailureWritesOneLineWithHostRequestAndReason) {
  const QString host = QString("127.0.0.1:%1").arg(http.Port());
  const QString closed = QString("127.0.0.1:%1").arg(testing_net::ClosedPort());
  http.Route("/exam/DovoRO__/T01-02.wma", HttpRoute(404, "<html>no</html>"));
  HttpRoute cut(200, QByteArray(5000, 'c'));
  cut.closeAfter = 2000;
  http.Route("/exam/DovoRO__/T01-03.wma", cut);
  http.Route("/ad.htm", HttpRoute(500, "<html>down</html>"));
  struct Case {
    const char* what;
    std::function<void()> run;
    QString line;  // the start of the line after its time stamp
  } const cases[] = {
      {"error status", [&] { Http(Url("/exam/DovoRO__/T01-02.wma"), Data() + "/T01-02.wma"); },
       "WWW>" + host + " GET /exam/DovoRO__/T01-02.wma: HTTP status 404"},
      {"cut short", [&] { Http(Url("/exam/DovoRO__/T01-03.wma"), Data() + "/T01-03.wma"); },
       "WWW>" + host + " GET /exam/DovoRO__/T01-03.wma: "},
      {"refused", [&] { Http("http://" + closed + "/exam/T01-04.wma", Data() + "/T01-04.wma"); },
       "WWW>" + closed + " GET /exam/T01-04.wma: "},
      {"a page", [&] { Page(Url("/ad.htm")); }, "WWW>" + host + " GET /ad.htm: HTTP status 500"},
      {"unreachable page", [&] { Page("http://" + closed + "/note/zet.ixx"); },
       "WWW>" + closed + " GET /note/zet.ixx: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(dir.path() + "/ZetError.Txt");
    c.run();
    QStringList report, failures;
    plat::readTextLines(dir.path() + "/ZetError.Txt", report);
    for (const QString& l : report)
      if (l.contains("WWW>127.0.0.1:")) failures << l;
    ASSERT_EQ(failures.size(), 1) << report.join(" | ").toStdString();
    EXPECT_TRUE(failures[0].contains(c.line)) << failures[0].toStdString();
    EXPECT_FALSE(failures[0].endsWith(": "));
  }
  // No address is no request, and no failure line.
  QFile::remove(dir.path() + "/ZetError.Txt");
  EXPECT_FALSE(Page(" ").ok);
  EXPECT_FALSE(QFile::exists(dir.path() + "/ZetError.Txt"));
}

TEST_F(Transfers, StopCancelsTheTransferUnderWay) {
  HttpRoute stall{200, QByteArray(10000, 's')};
  stall.closeAfter = 100;
  stall.stallAfter = true;
  http.Route("/stall", stall);
  bool done = false;
  TransferOutcome out = TransferOutcome::Done;
  web.DownloadHttp(Url("/stall"), Data() + "/x.wma", [&](TransferOutcome o) {
    out = o;
    done = true;
  });
  testing_net::Spin(100);
  EXPECT_TRUE(web.Busy());
  web.Stop();
  ASSERT_TRUE(WaitFor([&] { return done; }));
  EXPECT_EQ(out, TransferOutcome::Stopped);
  EXPECT_FALSE(web.Busy());
  EXPECT_TRUE(QDir(Data()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// ---- FTP against the pyftpdlib fixture ----

class FtpTransfers : public Transfers {
 protected:
  void SetUp() override {
    Transfers::SetUp();
    if (!testing_net::FtpServer::Available()) GTEST_SKIP() << "pyftpdlib not installed";
    const QString folder = dir.path() + "/ftp/exam/DovoRO__";
    QDir().mkpath(folder);
    plat::writeBytesAtomic(folder + "/T01.TXT", "test one\r\n");
    plat::writeBytesAtomic(folder + "/t02.txt", "test two\r\n");
    plat::writeBytesAtomic(folder + "/T01-01.wma", QByteArray(40000, 'p'));
    plat::writeBytesAtomic(folder + "/T01-03.wma", QByteArray(40000, 'q'));
    plat::writeBytesAtomic(folder + "/readme.htm", "x");
    big5 = QFile::encodeName(folder + "/") + plat::toCp950(QString::fromUtf8("許功.TXT"));
    FILE* f = std::fopen(big5.constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("big5\r\n", f);
    std::fclose(f);
    ASSERT_TRUE(server.Start(dir.path() + "/ftp", "dunro", "kelpa"));
    params = {"127.0.0.1", QString::number(server.Port()), "dunro", "kelpa", "exam"};
  }
  void TearDown() override {
    if (!big5.isEmpty()) ::unlink(big5.constData());
    Transfers::TearDown();
  }
  ListResult List(const FtpParameters& p, const QString& command) {
    bool done = false;
    ListResult out;
    web.ListFtp(p, "DovoRO__", command, [&](const ListResult& r) {
      out = r;
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }, 8000));
    return out;
  }
  TransferOutcome Get(const QString& name, const QString& dest) {
    bool done = false;
    TransferOutcome out = TransferOutcome::Failed;
    web.DownloadFtp(name, dest, [&](TransferOutcome o) {
      out = o;
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }, 8000));
    return out;
  }
  testing_net::FtpServer server;
  FtpParameters params;
  QByteArray big5;
};

TEST_F(FtpTransfers, ListingIsFilteredHereAndFilesComeAsListed) {
  ListResult tests = List(params, "dir *.TXT");
  ASSERT_TRUE(tests.ok);
  tests.entries.sort();
  EXPECT_EQ(tests.entries, (QStringList{"T01.TXT", "t02.txt", QString::fromUtf8("許功.TXT")}));
  EXPECT_EQ(view.status, (QStringList{"logging in", "listed", "ready"}));
  ListResult parts = List(params, "dir T01*.*");
  ASSERT_TRUE(parts.ok);
  EXPECT_EQ(parts.entries.size(), 3);

  // The login and folder of the listing serve the next fetches.
  ASSERT_EQ(Get(QString::fromUtf8("許功.TXT"), Data() + "/T05.TXT"), TransferOutcome::Done);
  QByteArray got;
  ASSERT_TRUE(plat::readAllBytes(Data() + "/T05.TXT", got));
  EXPECT_EQ(got, "big5\r\n");
  EXPECT_EQ(view.log.value(view.log.size() - 2), QString::fromUtf8("FTP>許功.TXT"));
  EXPECT_EQ(Get("T01-02.wma", Data() + "/T01-02.wma"), TransferOutcome::Failed);
  EXPECT_EQ(view.links.last(), link::kFailed);
  EXPECT_FALSE(QFile::exists(Data() + "/T01-02.wma"));
  EXPECT_EQ(Get("../T01.TXT", Data() + "/T01.TXT"), TransferOutcome::Failed);
}

TEST_F(FtpTransfers, LoginAndPortFaultsTakeTheErrorPath) {
  FtpParameters wrong = params;
  wrong.password = "nope";
  EXPECT_FALSE(List(wrong, "dir *.TXT").ok);
  EXPECT_TRUE(view.status.last().startsWith("no FTPxxx"));
  EXPECT_EQ(view.links.last(), link::kFailed);
  for (const char* port : {"0", "70000", "abc"}) {
    FtpParameters bad = params;
    bad.port = port;
    EXPECT_FALSE(List(bad, "dir *.TXT").ok) << port;
  }
  FtpParameters down = params;
  down.port = QString::number(testing_net::ClosedPort());
  EXPECT_FALSE(List(down, "dir *.TXT").ok);
  EXPECT_EQ(view.status.last(), "no FTP");  // a host we cannot reach: the short text
  QByteArray report;
  plat::readAllBytes(dir.path() + "/ZetError.Txt", report);
  EXPECT_TRUE(report.contains("Set_Ftp2"));
}
