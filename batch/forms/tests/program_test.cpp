#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include "fixture.h"
#include "testsupport/core/loopback.h"

using namespace batchtest;

namespace {

// The built program, copied into the test's folder so that the folder is
// its installation folder (settings, run log, data).
class Program : public BatchUi {
 protected:
  void SetUp() override {
    BatchUi::SetUp();
    const QString built = QStringLiteral(BIN_DIR "/Tallisk");
    if (!QFileInfo(built).isExecutable()) GTEST_SKIP() << "Tallisk is not built";
    exe = root + "Tallisk";
    ASSERT_TRUE(QFile::copy(built, exe));
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMP", root + "tmp");
    QDir().mkpath(root + "tmp");
  }
  void TearDown() override {
    for (QProcess* p : {&first, &second}) {
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
    }
    BatchUi::TearDown();
  }
  void Run(QProcess& p, const QString& commandLine) {
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(exe, {commandLine});
    ASSERT_TRUE(p.waitForStarted(5000));
  }
  QString exe;
  QProcessEnvironment env;
  QProcess first, second;
};

}  // namespace

TEST_F(Program, StartedWithTheScorersCommandLineItDeliversAndRunsOnce) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  QByteArray received;
  QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
    QTcpSocket* s = server.nextPendingConnection();
    QObject::connect(s, &QTcpSocket::readyRead, s, [&received, s] {
      received += s->readAll();
      if (received.count('|') >= 23) {
        s->write("Complete");
        s->disconnectFromHost();
      }
    });
  });
  // The settings travel as the starting program's settings base.
  settings[804] = "1";
  settings[5902] = QString::number(server.serverPort());
  QDir().mkpath(root + "exam");
  const QString saved = root;
  root += "exam/";
  WriteSettings();
  root = saved;
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  const QString record = WriteRecord(score, 0, 6, root + "remote", "127.0.0.1");
  Run(first, record + "," + root + "exam/Tavrel");
  ASSERT_TRUE(testing_net::WaitFor([&] { return received.count('|') >= 23; }, 20000)) << first.readAll().toStdString();
  EXPECT_TRUE(plat::fromCp950(received).startsWith("RudaZO__|Nuvo|平均|王小明|A123456789|"));
  EXPECT_EQ(SizeOf(score), 4 * 252);
  EXPECT_EQ(SizeOf(root + "remote/Class.R00"), 4 * 252);
  EXPECT_TRUE(QFileInfo::exists(root + "remote/" +
                                QFileInfo(batch::BatchResultFileName(score, QDate::currentDate(), 3)).fileName()));
  EXPECT_TRUE(Logged("總成績..."));
  EXPECT_EQ(first.state(), QProcess::Running);

  // A second start while the first runs ends at once, touching nothing.
  Run(second, record + "," + root + "exam/Tavrel");
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(SizeOf(score), 4 * 252);
}
