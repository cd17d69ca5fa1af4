// Downloads that fail around a test, and the transfer state line.
#include "net/forms/tests/fixture.h"

using namespace net;
using namespace testing_net;

namespace {

class Faults : public WindowTest {
 protected:
  QString Part(int n) const { return InData(QStringLiteral("T01-%1.wma").arg(n, 2, 10, QChar('0'))); }
};

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
  EXPECT_EQ(w->Label2->text(), "Label2");
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
