// The test program against servers that fail around a test, on 127.0.0.1:
// the set-up screen fetches the test, the test runs, the audio parts come
// behind it; the note settings at start-up never hold the set-up screen.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTcpServer>

#include <optional>

#include "common/errorlog.h"
#include "common/scramble.h"
#include "net/forms/frmdownload3.h"
#include "exam/run/forms/testscreen.h"
#include "exam/setup/downloadlink.h"
#include "exam/setup/tests/setup_fixture.h"
#include "testsupport/core/fakeservers.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fake_audio_device.h"

namespace setuptest {
namespace {

using testing_net::FakeReceiver;
using testing_net::HttpRoute;
using testing_net::HttpServer;
using testing_net::WaitFor;

// Audio files are the files on disk: a part plays once it has arrived.
class DiskAudio : public plat::FakeAudioDevice {
 public:
  using FakeAudioDevice::FakeAudioDevice;

 protected:
  bool doOpen(const QString& path) override {
    if (QFileInfo(path).isFile() && !exists(path)) addFile(path, 2000);
    return FakeAudioDevice::doOpen(path);
  }
};

plat::AudioDevice* MakeDiskAudio(QObject* parent) { return new DiskAudio(parent); }

QByteArray Part(int n) { return QByteArray(6000, static_cast<char>('a' + n)); }
QString PartName(int n) { return QStringLiteral("T0002-%1.wma").arg(n, 2, 10, QChar(u'0')); }

class DownloadFaults : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    seams.Set(plat::SetAudioDeviceFactory, &MakeDiskAudio);
    // Download at start, the receiver's own transfer; the receiver's host
    // and port as the start button gives them.
    Set(989, "4312000001112");
    Set(293, "127.0.0.1");
    Set(5902, receiver.Port());
    Set(5951, "0");  // plain requests
    Set(933, "0");   // no confirmation at Start: the boxes counted are the transfers'
    ASSERT_TRUE(plat::readAllBytes(QStringLiteral(SOURCE_ROOT "/data/Data/T0001.txt"), testText));
    // The download window's modal show: it works on the loop and its own
    // ticks until it hides.
    seams.Set(plat::SetModalDriver, [this](plat::Form& f) {
      if (dynamic_cast<run::FrmDownload3*>(&f)) {
        EXPECT_TRUE(WaitFor(
            [&] {
              sched.Advance(50);
              return !f.isVisible();
            },
            15000))
            << receiver.requests.join(" | ").toStdString() << " // " << WindowLog().join(" | ").toStdString();
      }
      f.Hide();
    });
    auto& w = plat::forms::get<run::FrmDownload3>();
    w.SetTimeouts(1500, 500);
  }
  void TearDown() override {
    net::SetTestUnderWay(false);
    setup::setupHooks() = {};
    SetupTest::TearDown();
  }

  // The receiver names T0002.TXT and has parts 01 to 03; `partReply(n,
  // asked)` answers FILSIZ for part n on its asked-th request: nullopt says
  // nothing, an empty answer serves the part whole.
  void Serve(std::function<std::optional<QByteArray>(int part, int asked)> partReply) {
    auto asked = std::make_shared<QHash<int, int>>();
    receiver.script = [this, partReply, asked](QTcpSocket* s, const QString& req) {
      const QStringList words = req.split(u' ');
      if (req.startsWith("GETQUS")) return FakeReceiver::Reply(s, "QUSSET T0002.TXT");
      if (req.startsWith("GETDEF 027")) return FakeReceiver::Reply(s, "DEFLST 127.0.0.1,21,dunro,kelpa,exam");
      if (req.startsWith("GETDEF 005")) return FakeReceiver::Reply(s, "DEFLST http://127.0.0.1:1/ad.htm");
      const QString name = words.value(2);
      const bool test = name == u"T0002.TXT";
      const int n = name.startsWith(u"T0002-") ? name.mid(6, 2).toInt() : 0;
      if (words.value(0) == u"FILSIZ") {
        if (test) return FakeReceiver::Reply(s, "FILSIZ " + QByteArray::number(testText.size()));
        if (n < 1 || n > 3) return FakeReceiver::Reply(s, "Not Found");
        const std::optional<QByteArray> r = partReply(n, ++(*asked)[n]);
        if (!r) return;
        if (!r->isEmpty()) return FakeReceiver::Reply(s, *r);
        return FakeReceiver::Reply(s, "FILSIZ " + QByteArray::number(Part(n).size()));
      }
      if (words.value(0) == u"FILBIN") FakeReceiver::Reply(s, test ? testText : Part(n));
    };
  }
  bool TestScreenUp() const {
    return plat::forms::exists<run::正式測驗>() && plat::forms::get<run::正式測驗>().isVisible();
  }
  run::FrmDownload3& Window() { return plat::forms::get<run::FrmDownload3>(); }
  QStringList WindowLog() {
    QStringList out;
    for (int i = 0; i < Window().List2->count(); ++i) out << Window().List2->item(i)->text();
    return out;
  }
  QStringList ReportLines(const QString& containing) const {
    QStringList lines, out;
    plat::readTextLines(common::ErrorReportPath(), lines);
    for (const QString& l : lines)
      if (l.contains(containing)) out << l;
    return out;
  }

  FakeReceiver receiver;
  QByteArray testText;
};

TEST_F(DownloadFaults, AFailedFirstPartStillComesAndThePartsPlayDuringTheTest) {
  // Part 01 times out the first time it is asked for (no answer to its
  // size); after that the server has it, and 02 and 03.
  Serve([](int n, int asked) -> std::optional<QByteArray> {
    if (n == 1 && asked == 1) return std::nullopt;
    return QByteArray();
  });
  Set(705, "0");  // the sound starts with the test
  auto& s = Screen();
  s.Text3->clear();
  s.Command1_Click();
  ASSERT_TRUE(TestScreenUp()) << Messages().join(" | ").toStdString();
  EXPECT_EQ(s.Text3->text(), root + "Data/T0002.TTT");  // 181 = 3: kept scrambled
  EXPECT_EQ(Window().UserSw, setup::kDownloadParts);

  // The parts arrive in Data/ while the test runs.
  ASSERT_TRUE(WaitFor(
      [&] {
        for (int n = 1; n <= 3; ++n)
          if (!QFileInfo(root + "Data/" + PartName(n)).isFile()) return false;
        return !Window().Busy();
      },
      20000));
  for (int n = 1; n <= 3; ++n) {
    QByteArray got;
    ASSERT_TRUE(plat::readAllBytes(root + "Data/" + PartName(n), got));
    EXPECT_EQ(got, Part(n)) << n;
  }
  EXPECT_EQ(receiver.requests.filter("FILSIZ DovoRO__ T0002-01.wma").size(), 2);
  // One line in the error report for the part that timed out.
  EXPECT_EQ(ReportLines("Winsock>127.0.0.1:").size(), 1) << ReportLines("Winsock>").join("\n").toStdString();

  // ... and play, one after the other.
  run::正式測驗& screen = plat::forms::get<run::正式測驗>();
  auto& audio = *static_cast<DiskAudio*>(screen.Mci);
  ASSERT_TRUE(sched.RunUntil([&] { return audio.plays.size() >= 3; }, 120000));
  for (int n = 1; n <= 3; ++n)
    EXPECT_TRUE(audio.plays[n - 1].file.endsWith(PartName(n).toLower())) << audio.plays[n - 1].file.toStdString();
}

TEST_F(DownloadFaults, ATestPickedByHandHasItsPartsComeBehindItToo) {
  Serve([](int, int) -> std::optional<QByteArray> { return QByteArray(); });
  Set(989, "4310000001112");  // no download at start; the online-scores button
  const QString picked = root + "Data/T0002.TXT";
  // The candidate picks T0002.TXT in the window (its first part is not there).
  seams.Set(plat::SetModalDriver, [&](plat::Form& f) {
    if (auto* w = dynamic_cast<run::FrmDownload3*>(&f)) {
      plat::writeBytesAtomic(picked, testText);
      w->Text12->setText("T0002.TXT");
      w->Text4->setText(picked);
      w->T5->setText("127.0.0.1");
      w->T6->setText(receiver.Port());
    }
    f.Hide();
  });
  auto& s = Screen();
  s.Command10_Click();
  EXPECT_EQ(s.Text3->text(), picked);
  s.Command1_Click();
  ASSERT_TRUE(TestScreenUp()) << Messages().join(" | ").toStdString();
  EXPECT_EQ(Window().UserSw, setup::kDownloadParts);
  ASSERT_TRUE(WaitFor([&] { return !Window().Busy() && QFileInfo(root + "Data/" + PartName(3)).isFile(); }, 20000));
  for (int n = 1; n <= 3; ++n) EXPECT_TRUE(QFileInfo(root + "Data/" + PartName(n)).isFile()) << n;
}

TEST_F(DownloadFaults, RefusalsDuringTheTestGoToTheListNotIntoBoxes) {
  // "Error" to every part.
  Serve([](int, int) -> std::optional<QByteArray> { return QByteArray("Error"); });
  auto& s = Screen();
  ASSERT_FALSE(T(10619).isEmpty());
  s.Text3->clear();
  s.Command1_Click();
  ASSERT_TRUE(TestScreenUp()) << Messages().join(" | ").toStdString();
  // Part 01's refusal came while the window was in front at set-up: its box,
  // unless the window had closed and the test begun before the box's turn
  // came (then the list has it).
  const QStringList atSetUp = Messages();
  EXPECT_TRUE(atSetUp.isEmpty() || atSetUp == QStringList{T(10619)}) << atSetUp.join(" | ").toStdString();
  prompt.calls.clear();
  ASSERT_TRUE(WaitFor([&] { return !Window().Busy(); }, 30000));
  EXPECT_TRUE(prompt.calls.isEmpty()) << Messages().join(" | ").toStdString();
  EXPECT_TRUE(TestScreenUp());
  // The list has each refusal of the test's time, parts 01 to 03 (the rest are
  // not on the server); the error report a line for each.
  EXPECT_EQ(WindowLog().filter(T(10619)).size(), 3 + (atSetUp.isEmpty() ? 1 : 0));
  EXPECT_EQ(ReportLines(": Error").size(), 4);  // part 01 at set-up, then 01 to 03
}

TEST_F(DownloadFaults, ASilentNoteServerNeverHoldsTheSetUpScreen) {
  // Accepts and never answers.
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
  QList<QTcpSocket*> held;
  QObject::connect(&silent, &QTcpServer::newConnection, [&] {
    while (QTcpSocket* c = silent.nextPendingConnection()) held << c;
  });
  Set(986, QString("http://127.0.0.1:%1/note/zet.ixi").arg(silent.serverPort()));
  setup::InstallNetworkHooks();
  Window().SetTimeouts(3000, 3000);
  QElapsedTimer shown;
  shown.start();
  auto& s = Screen();
  EXPECT_LT(shown.elapsed(), 2000);
  EXPECT_TRUE(s.isVisible());
  EXPECT_TRUE(Window().Web().Busy());  // the refresh goes on behind it
  // It ends within its own limits, and nothing was applied or written.
  ASSERT_TRUE(WaitFor([&] { return !Window().Web().Busy(); }, 15000));
  EXPECT_FALSE(QFileInfo::exists(root + "NOTE/Zet.ixi"));
  EXPECT_TRUE(s.isVisible());
}

TEST_F(DownloadFaults, ANoteThatComesAfterTheScreenAppliesWhenItEnds) {
  HttpServer http;
  HttpRoute stamp(200, "7\r\n");
  stamp.dribbleChunk = 1;
  stamp.dribbleMs = 100;  // it takes a while
  http.Route("/note/zet.ixx", stamp);
  http.Route("/note/zet.ixi", HttpRoute(200, plat::toCp950(common::ToBinaryScramble("988,order=B1")) + "\r\n"));
  Set(986, QString::fromLatin1(http.Url("/note/zet.ixi")));
  setup::InstallNetworkHooks();
  Screen();
  EXPECT_NE(common::Setting988.get(), "B1");  // not yet
  ASSERT_TRUE(WaitFor([&] { return common::Setting988.get() == "B1"; }, 10000));
  EXPECT_EQ(setup::DownloadFields().text13, "B1");  // the download window takes it
}

TEST_F(DownloadFaults, ANoteThatComesAfterTheStartWaitsForTheNextStart) {
  HttpServer http;
  HttpRoute stamp(200, "7\r\n");
  stamp.dribbleChunk = 1;
  stamp.dribbleMs = 100;
  http.Route("/note/zet.ixx", stamp);
  http.Route("/note/zet.ixi", HttpRoute(200, plat::toCp950(common::ToBinaryScramble("988,order=B1")) + "\r\n"));
  Set(986, QString::fromLatin1(http.Url("/note/zet.ixi")));
  Set(989, "4310000001110");  // no download: the sample test starts at once
  setup::InstallNetworkHooks();
  auto& s = Screen();
  s.Command1_Click();
  ASSERT_TRUE(TestScreenUp()) << Messages().join(" | ").toStdString();
  // The note comes while the test runs: kept for the next start, the
  // settings of the running test left alone.
  ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(root + "NOTE/Zet.ixx"); }, 10000));
  ASSERT_TRUE(WaitFor([&] { return !ReportLines("NOTE/Zet.ixi").isEmpty(); }, 5000));
  EXPECT_NE(common::Setting988.get(), "B1");
  EXPECT_TRUE(QFileInfo::exists(root + "NOTE/Zet.ixi"));
}

}  // namespace
}  // namespace setuptest
