#include <gtest/gtest.h>

#include "common/store.h"
#include "net/core/downloadtick.h"
#include "net/core/listroutines.h"
#include "net/core/methodorder.h"
#include "net/core/receiverprotocol.h"

using namespace net;

TEST(ListRoutines, DivisionWordSPieces) {
  const QString reply = "QUSSET T01.TXT,T02.TXT";
  EXPECT_EQ(DivisionWordS(0, reply), "QUSSET");
  EXPECT_EQ(DivisionWordS(1, reply), "T01.TXT");
  EXPECT_EQ(DivisionWordS(2, reply), "T02.TXT");
  EXPECT_EQ(DivisionWordS(3, reply), "");
  EXPECT_EQ(DivisionWordS(1, u"a,,b"), "");
  EXPECT_EQ(DivisionWordS(2, u"a,,b"), "b");
  EXPECT_EQ(DivisionWordS(-1, u"a"), "");
  EXPECT_EQ(DivisionWordS(0, u""), "");
}

TEST(ListRoutines, CheckListBoxKeepsTheServersSpellingAndPrefersExact) {
  const QStringList list{"t01-01.wma.bak", "T01-01.wma", "Other.TXT"};
  EXPECT_EQ(CheckListBox(list, u"T01-01.WMA"), "T01-01.wma");
  EXPECT_EQ(CheckListBox({"t01-01.wma.bak"}, u"T01-01.WMA"), "t01-01.wma.bak");
  EXPECT_EQ(CheckListBox(list, u"01-01"), "");  // only further on: no match
  EXPECT_EQ(CheckListBox(list, u""), "t01-01.wma.bak");
  EXPECT_EQ(CheckListBox({}, u"x"), "");
}

TEST(ListRoutines, FillListBoxAndPatternFilter) {
  EXPECT_EQ(FillListBox(u"a\r\nb\n\r\n\nc"), (QStringList{"a", "b", "c"}));
  EXPECT_EQ(FillListBox(u"only"), QStringList{"only"});
  EXPECT_EQ(FillListBox(u"x\ry"), (QStringList{"x", "y"}));
  EXPECT_TRUE(FillListBox(u"\r\n\r\n").isEmpty());
  const QStringList names{"T01.TXT", "t02.txt", "T01-01.wma", "exam/T03.TXT", "README"};
  EXPECT_EQ(FilterByPattern(names, u"*.TXT"), (QStringList{"T01.TXT", "t02.txt", "T03.TXT"}));
  EXPECT_EQ(FilterByPattern(names, u"T01*.*"), (QStringList{"T01.TXT", "T01-01.wma"}));
}

TEST(ListRoutines, ServerNamesStayInsideTheDataFolder) {
  struct Case {
    QString name;
    bool safe;
  };
  const Case cases[] = {
      {"T01.TXT", true},
      {QString::fromUtf8("許功蓋.TXT"), true},  // Big5 trail bytes 0x5C are no separator
      {QString::fromUtf8("育四.TXT"), true},    // nor 0x7C
      {"..\\x.txt", false},
      {"../x.txt", false},
      {"/tmp/x", false},
      {"a\\b.TXT", false},
      {"C:x.TXT", false},
      {"T01.TXT\r\n", false},
      {"..", false},
      {".", false},
      {"", false},
      {QString(129, u'a'), false},
      {QString::fromUtf8("简.TXT"), false},  // no CP950 form
  };
  for (const Case& c : cases) EXPECT_EQ(IsSafeFileName(c.name), c.safe) << c.name.toStdString();
  EXPECT_EQ(SafeFilePath("/opt/t/Data", u"T01.TXT"), "/opt/t/Data/T01.TXT");
  EXPECT_EQ(SafeFilePath("/opt/t/Data/", u"../T01.TXT"), "");
}

TEST(MethodOrder, WalksThePairsAndWraps) {
  MethodOrder order;
  order.Reset();
  const Method want[] = {Method::Tcp, Method::Tcp, Method::Ftp, Method::Ftp,
                         Method::Http, Method::Http, Method::Http};
  const char* lines[] = {"C>1", "C>2", "A>1", "A>2", "B>1", "B>2", "B>3"};
  for (int i = 0; i < 7; ++i) {
    MethodStep s = order.Revolve(u"C2A2B3");
    EXPECT_EQ(order.Current(), want[i]) << i;
    EXPECT_EQ(s.logLine, lines[i]);
    EXPECT_EQ(s.wrapped, i == 6) << i;
  }
  EXPECT_EQ(order.Pair(), 1);
  EXPECT_EQ(order.Try(), 1);

  // A digit 0 or a non-digit is used once per visit; an unknown letter
  // keeps the method and logs nothing.
  order.Reset();
  EXPECT_EQ(order.Revolve(u"B0AxC1").logLine, "B>1");
  EXPECT_EQ(order.Pair(), 2);
  EXPECT_EQ(order.Revolve(u"B0AxC1").logLine, "A>1");
  EXPECT_EQ(order.Pair(), 3);
  MethodStep last = order.Revolve(u"B0AxC1");
  EXPECT_TRUE(last.wrapped);
  EXPECT_EQ(order.Current(), Method::Tcp);
  order.Reset();
  MethodStep z = order.Revolve(u"Z1");
  EXPECT_TRUE(z.logLine.isEmpty());
  EXPECT_EQ(order.Current(), Method::Ftp);
}

TEST(ReceiverProtocol, RequestsGoOutExactlyAsWords) {
  common::ResetCommonState();
  EXPECT_EQ(TestListRequest(u"DovoRO__"), "GETQUS DovoRO__");
  EXPECT_EQ(ServerParametersRequest(), "GETDEF 027 028 029 030 031");
  EXPECT_EQ(NoticePageRequest(), "GETDEF 005");
  EXPECT_EQ(RequestBytes(FileSizeRequest(u"RudaZO__", QString::fromUtf8("許.TXT"))),
            QByteArray("FILSIZ RudaZO__ \xB3\x5C.TXT"));
  EXPECT_EQ(FileBytesRequest(u"RudaZO__", u"T01.TXT"), "FILBIN RudaZO__ T01.TXT");
}

TEST(ReceiverProtocol, ReplyParserTable) {
  struct Case {
    const char* reply;
    ReplyKind kind;
    qint64 size;
  };
  const Case cases[] = {
      {"QUSSET T01.TXT,T02.TXT", ReplyKind::TestList, -1},
      {"QUSSET x DEFLST", ReplyKind::Mixed, -1},
      {"DEFLST h,21,u,p,exam QUSSET", ReplyKind::Mixed, -1},
      {"DEFLST http://h/note/ad.htm", ReplyKind::NoticeAddress, -1},
      {"DEFLST h,21,u,p,exam", ReplyKind::FtpParameters, -1},
      {"FILSIZ 15000", ReplyKind::FileSize, 15000},
      {"FILSIZ 15000\r\n", ReplyKind::FileSize, 15000},
      {"FILSIZ abc", ReplyKind::FileSize, -1},
      {"FILSIZ -1", ReplyKind::FileSize, -1},
      {"FILSIZ 0", ReplyKind::FileSize, -1},
      {"FILSIZ 99999999999", ReplyKind::FileSize, -1},
      {"FILSIZ 1e4", ReplyKind::FileSize, -1},
      {"FILSIZ", ReplyKind::FileSize, -1},
      {"Not Found", ReplyKind::NotFound, -1},
      {"not found", ReplyKind::Other, -1},
      {"Error-2", ReplyKind::ServerBusy, -1},
      {"error-2 maintenance", ReplyKind::ServerBusy, -1},
      {"Error", ReplyKind::Error, -1},
      {"ERROR: no such subject", ReplyKind::Error, -1},
      {"XYZZY", ReplyKind::Other, -1},
  };
  for (const Case& c : cases) {
    ReceiverReply r = ParseReceiverReply(QString::fromUtf8(c.reply));
    EXPECT_EQ(r.kind, c.kind) << c.reply;
    EXPECT_EQ(r.size, c.size) << c.reply;
  }
  ReceiverReply shortList = ParseReceiverReply(u"DEFLST h,21,u,p");
  EXPECT_EQ(shortList.ftp, (FtpParameters{"h", "21", "u", "p", ""}));
  EXPECT_EQ(ReplyLogLine(ParseReceiverReply(u"DEFLST h,21,dunro,kelpa,exam")), "DEFLST h,21,*****,*****,exam");
  EXPECT_EQ(ParseReceiverReply(u"DEFLST http://x").value, "http://x");
}

namespace {
struct TickHost : DownloadTickHost {
  DownloadWindowState s;
  QStringList calls;
  DownloadWindowState& State() override { return s; }
  void EndNetTask(int code) override {
    calls << "end" + QString::number(code);
    if (s.userSw == mode::kClosing) s.userSw = mode::kClosingDone;  // as the window's EndNetTask does
  }
  void HideWindow() override { calls << "hide"; }
  void StopTimer() override { calls << "stop"; }
  void StartNamedTestFlow() override { calls << "flow" + QString::number(s.userSw); }
  void SetStopLine(LineColour c) override { calls << (c == LineColour::Red ? "red" : "yellow"); }
  void SetTrace(const QString& t) override { trace = t; }
  QString trace;
};
}  // namespace

TEST(DownloadTick, ClosingHidesOnceTheLinkIsIdleOrFailed) {
  for (int status : {link::kIdle, link::kFailed}) {
    TickHost h;
    h.s = {mode::kClosing, -1, status, 0};
    DownloadTick(h, 100.5);
    EXPECT_EQ(h.calls, (QStringList{"red", "end99", "hide", "stop"})) << status;
    EXPECT_EQ(h.s.userSw, mode::kNone);
  }
  // A running transfer gets 13 ticks, then the window hides anyway.
  TickHost h;
  h.s = {mode::kClosing, -1, link::kRunning, 0};
  for (int i = 0; i < 13; ++i) DownloadTick(h, 1);
  EXPECT_FALSE(h.calls.contains("hide"));
  EXPECT_EQ(h.s.tickCounter, 13);
  DownloadTick(h, 1);
  EXPECT_TRUE(h.calls.contains("hide"));
  // A stop in manual mode ends the task without hiding.
  TickHost m;
  m.s = {mode::kManual, -1, link::kFailed, 0};
  DownloadTick(m, 1);
  EXPECT_EQ(m.calls, (QStringList{"red", "end99", "stop"}));
}

TEST(DownloadTick, ModeTwoStartsTheFlowOnce) {
  TickHost h;
  h.s = {mode::kFetchNamed, 0, link::kIdle, 0};
  DownloadTick(h, 36000.25);
  DownloadTick(h, 36001.25);
  EXPECT_EQ(h.calls, QStringList{"flow12"});
  EXPECT_EQ(h.s.userSw, mode::kFetchStarted);
  EXPECT_EQ(h.trace, "0 36001.25 0 12");
  TickHost b;
  b.s = {mode::kBackground, 0, link::kRunning, 0};
  DownloadTick(b, 0);
  EXPECT_EQ(b.calls, QStringList{"yellow"});
}
