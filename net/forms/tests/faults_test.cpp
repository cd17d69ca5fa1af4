// Downloads that fail around a test: the parts still come after a failed
// first part, a server's refusals never stand as boxes over a test, and the
// transfer state line.
#include "net/forms/tests/fixture.h"

using namespace net;
using namespace testing_net;

namespace {

class Faults : public WindowTest {
 protected:
  void TearDown() override {
    SetTestUnderWay(false);
    WindowTest::TearDown();
  }
  // The receiver with the test and parts 01 to 03; part 01 is cut short the
  // first `cutFirst` times it is asked for.
  void ServeParts(int cutFirst) {
    auto cuts = std::make_shared<int>(cutFirst);
    ReceiverScript s;
    s.files["T01.TXT"] = "test\r\n";
    for (int n = 1; n <= 3; ++n) s.files[QStringLiteral("T01-%1.wma").arg(n, 2, 10, QChar('0'))] = Bytes(8000, n);
    s.sendFile = [cuts](QTcpSocket* sock, const QByteArray& bytes) {
      if (bytes == Bytes(8000, 1) && *cuts > 0) {
        --*cuts;
        FakeReceiver::Reply(sock, bytes.left(100));
        sock->disconnectFromHost();
        return;
      }
      FakeReceiver::Reply(sock, bytes);
    };
    Serve(s);
  }
  QString Part(int n) const { return InData(QStringLiteral("T01-%1.wma").arg(n, 2, 10, QChar('0'))); }
};

TEST_F(Faults, AFailedFirstPartIsFetchedAgainWithTheRestInTheBackground) {
  ServeParts(1);
  w->Check1->setChecked(true);
  w->UserSw = mode::kFetchNamed;
  w->Show();
  ASSERT_TRUE(WaitFor([&] { return w->UserSw == mode::kFetchStarted && Settled(); }, 10000));
  EXPECT_EQ(ReadAll(InData("T01.TXT")), "test\r\n");
  EXPECT_FALSE(QFile::exists(Part(1)));
  EXPECT_EQ(w->NetLinkStatus, link::kFailed);

  // The set-up screen starts the background fetch: part 01 comes with the rest.
  receiver.requests.clear();
  w->UserSw = mode::kBackground;
  w->Show();
  ASSERT_TRUE(WaitSettled(20000));
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(ReadAll(Part(n)), Bytes(8000, n)) << n;
  EXPECT_EQ(Requests("FILSIZ").value(0), "FILSIZ DovoRO__ T01-01.wma");
  EXPECT_EQ(Requests("FILSIZ").size(), 40);  // 01 to 40: the server has no 04
  EXPECT_EQ(DataFiles(), (QStringList{"T01-01.wma", "T01-02.wma", "T01-03.wma", "T01.TXT"}));
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
}

TEST_F(Faults, ServerRefusalsOpenABoxOnlyWhereTheCandidateIsAtTheWindow) {
  ReceiverScript s;
  s.sizeReplies["T01.TXT"] = "Error";
  Serve(s);
  w->Text12->setText("T01.TXT");
  w->Text4->setText(InData("T01.TXT"));
  struct Case {
    const char* what;
    bool shown, underWay;
    bool box;
  } const cases[] = {
      {"window in front at set-up", true, false, true},
      {"window working out of sight", false, false, false},
      {"during the test, window in front", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompt.calls.clear();
    w->List2->clear();
    SetTestUnderWay(c.underWay);
    w->setVisible(c.shown);
    bool done = false;
    w->AutoDownload([&](FlowResult) { done = true; });
    ASSERT_TRUE(WaitFor([&] { return done; }));
    Spin(30);  // a box is shown from the loop
    EXPECT_EQ(prompt.calls.size(), c.box ? 1 : 0);
    if (c.box) {
      EXPECT_EQ(prompt.calls[0].text, Text(10619));
      EXPECT_EQ(prompt.calls[0].title, Text(14005));
    } else {
      EXPECT_TRUE(Log().contains(Text(10619))) << Log().join(" | ").toStdString();
    }
  }
  // "Error-2" opens no help page and no beep over a test.
  common::SystemIniValue(9997, "1");
  s.sizeReplies["T01.TXT"] = "Error-2";
  Serve(s);
  opened.clear();
  bool done = false;
  w->AutoDownload([&](FlowResult) { done = true; });
  ASSERT_TRUE(WaitFor([&] { return done; }));
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_TRUE(Log().contains(Text(10618)));
}

TEST_F(Faults, TheTransferStateLineShowsEveryStateOfTheControl) {
  const char* const texts[] = {
      "0 無狀態可報告",
      "1 此控制項正在查詢所指定的主機的 IP 位址",
      "2 此控制項已成功地找到所指定的主機的 IP 位址",
      "3 此控制項正在與主機連接",
      "4 此控制項已與主機連接成功",
      "5 此控制項正在向主機傳送請求",
      "6 此控制項傳送請求已成功",
      "7 此控制項正在接收主機的回應",
      "8 此控制項已成功地接收到主機的回應",
      "9 此控制項正在解除與主機的連接",
      "10 此控制項已成功地與主機解除了連接",
      "11 與主機通訊時出現了錯誤",
  };
  EXPECT_TRUE(w->Label2->text().isEmpty());  // no placeholder before the first state
  for (int state = 0; state <= 11; ++state) {
    w->Inet1_StateChanged(state);
    EXPECT_EQ(w->Label2->text(), QString::fromUtf8(texts[state]));
  }
  // Request completed, or anything else: the line stays.
  for (int state : {12, -1, 99}) {
    w->Inet1_StateChanged(state);
    EXPECT_EQ(w->Label2->text(), QString::fromUtf8(texts[11]));
  }

  // A transfer walks the line through the states: a task starts at 0, a
  // whole file ends at 10, a failed one at 11.
  HttpServer http;
  http.Route("/exam/DovoRO__/T01-01.wma", HttpRoute(200, Bytes(4000)));
  w->UserSetData = "4312000001111";  // HTTP
  w->T1->setText("127.0.0.1:" + QString::number(http.Port()));
  w->T7->setText("exam");
  w->Text12->setText("T01.TXT");
  w->Text4->setText(InData("T01.TXT"));
  plat::writeBytesAtomic(InData("T01.TXT"), "test\r\n");
  bool done = false;
  w->DownloadBackground(1, [&](FlowResult) { done = true; });
  ASSERT_TRUE(WaitFor([&] { return done; }));
  EXPECT_EQ(w->Label2->text(), QString::fromUtf8(texts[10]));
  EXPECT_EQ(ReadAll(InData("T01-01.wma")), Bytes(4000));

  w->UserSw = mode::kBackground;
  w->Show();
  ASSERT_TRUE(WaitSettled(20000));
  EXPECT_EQ(w->Label2->text(), QString::fromUtf8(texts[11]));  // the server has no part 40

  // A task with nothing to fetch: nothing to report.
  for (int n = 2; n <= 40; ++n)
    plat::writeBytesAtomic(InData(QStringLiteral("T01-%1.wma").arg(n, 2, 10, QChar('0'))), "part");
  w->UserSw = mode::kBackground;
  w->Show();
  ASSERT_TRUE(WaitSettled());
  EXPECT_EQ(w->Label2->text(), QString::fromUtf8(texts[0]));
}

}  // namespace
