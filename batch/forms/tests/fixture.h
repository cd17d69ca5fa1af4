#pragma once
// The batch scorer without windows on screen: a program folder of its own
// with a settings file, score files and a test record made by each test;
// fake prompts, desktop, printer and program end; virtual time for the form
// timers.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <initializer_list>
#include <utility>

#include "batch/core/batch.h"
#include "batch/forms/display.h"
#include "batch/forms/scoresheet.h"
#include "batch/forms/services.h"
#include "batch/forms/uploadclient.h"
#include "common/store.h"
#include "platform/core/clock.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/lineprinter.h"
#include "platform/media/sound.h"
#include "platform/net/tcpclient.h"
#include "scoring/engine/scorerecord.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/netfakes.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fakes.h"
#include "testsupport/gui/soundfakes.h"
#include "testsupport/gui/virtualtime.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace batchtest {

struct Candidate {
  const char* name;
  const char* identity;
  std::array<float, 6> results;  // correct, errors, net, accuracy, error rate, speed
  const char* duration = "10:00";
  int testNumber = 1;
};

// Three candidates of one class.
inline const QList<Candidate>& ClassOfThree() {
  static const QList<Candidate> c = {
      {"王小明", "A123456789", {300, 10, 295, 96.77f, 3.23f, 29.5f}},
      {"李小華", "B223456789", {400, 4, 398, 99.0f, 1.0f, 39.8f}, "10:00", 2},
      {"陳大同", "C123456789", {250, 20, 240, 92.59f, 7.41f, 24.0f}, "10:00", 3},
  };
  return c;
}

// The texts and settings a shipped settings file gives the batch scorer.
inline QMap<int, QString> DefaultSettings() {
  QMap<int, QString> s;
  auto put = [&](int n, const char* v) { s[n] = QString::fromUtf8(v); };
  put(294, "Nuvo");
  put(800, "2");
  put(804, "1");
  put(992, "1");
  put(994, "service@example.org");
  put(995, "http://www.example.org/");
  put(997, "Tavrel 聽打測驗 V2.7");
  put(998, "Tavrel 製作群");
  put(9901, "0");
  put(9902, "http://www.example.org/batch");
  put(10119, "連絡我們");
  put(10401, "無法連上遠方的目錄");
  put(10800, "連絡我們");
  put(11800, "成績上傳");
  put(11801, "成績送出");
  put(11802, "取消");
  put(11803, "詳細資料>>");
  put(11804, "修改IP");
  put(11805, "詳細資料>>");
  put(11806, "<<收起資料");
  put(11807, "請輸入成績主機:");
  put(11808, "主機沒有回應");
  put(11809, "成績已送達主機");
  put(11810, "主機回覆錯誤");
  put(11811, "已連上主機");
  put(12100, "列印中");
  put(12101, "成績列印中");
  put(12400, "總成績～");
  put(12401, "[請先等監考老師登記完畢後，再跳離本畫面,否則視同零分!]");
  put(12402, "結束");
  put(12403, "查詢");
  const char* grades[] = {"特優", "優等", "甲等", "乙等", "丙等", "丁等", "還沒有達到分級標準"};
  for (int i = 0; i < 7; ++i) s[12404 + i] = QString::fromUtf8(grades[i]);
  put(12411, "打字速度等級:");
  put(12412, "。");
  put(12413, "有問題請來信:");
  put(12414, "謝謝您參加本次測驗。");
  put(12501, "排序");
  put(12502, "平均");
  put(12503, "總計");
  put(12701, "總成績");
  put(12702, "排序結果");
  put(12703, "平均結果");
  put(12704, "總計結果");
  put(12705, "字");
  put(12706, "第");
  put(12707, "次測驗");
  put(12708, "共");
  put(12709, "筆資料");
  put(12710, "％");
  put(12711, "字/分");
  put(12712, "找不到磁碟片");
  const char* headings[] = {"考生姓名：", "生日：",     "身分證號：",   "座號/班級：", "測驗日期：",
                            "測驗題目：", "測驗時間：", "總正確得分：", "扣分：",      "實得分數：",
                            "正確率：",   "錯誤率：",   "速度：",       "測驗別：",    "測驗次數："};
  for (int i = 0; i < 15; ++i) s[13934 + i] = QString::fromUtf8(headings[i]);
  put(13964, "列印時發生錯誤:");
  put(14001, "聽打測驗");
  put(14003, "錯誤代碼:");
  put(14005, "網路連線訊息");
  put(14006, "無法讀得");
  put(14007, "檔案");
  return s;
}

class BatchUi : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    batch::ResetBatch();
    ASSERT_TRUE(dir.isValid());
    root = dir.path() + u'/';
    QDir().mkpath(root + "Data");
    QDir().mkpath(root + "remote");
    qputenv("TMP", dir.path().toLocal8Bit());
    qunsetenv("TALLISK_DRIVE_A");
    qunsetenv("TALLISK_DRIVE_B");
    plat::SetProgramFolder(root);
    seams.Set(plat::SetPrompt, &prompt);
    seams.Set(plat::SetAppControl, &app);
    seams.Set(plat::SetPrinter, &printer);
    seams.Set(batchui::SetDesktop, &desktop);
    seams.Set(plat::SetBeeper, &beeper);
    seams.Set(batchui::SetNoticeHook, [this](const QString& text, const QString& title) { notices << text + u'|' + title; });
    seams.Set(plat::SetTcpClientMaker, [] {
      auto c = std::make_unique<plat::FakeTcpClient>();
      c->localIp = "192.0.2.10";
      c->localHostName = "testhost";
      return std::unique_ptr<plat::TcpClient>(std::move(c));
    });
    settings = DefaultSettings();
  }

  // A new program in a new folder, within one test.
  void Afresh() {
    TearDown();
    SetUp();
    app = plat::FakeAppControl();
    prompt.calls.clear();
  }
  void TearDown() override {
    plat::FormRegistry::DestroyAll();
    plat::SetProgramFolder(QString());
    qunsetenv("TMP");
    batch::ResetBatch();
    common::ResetCommonState();
  }

  // Tavrel.Ini of the program folder from `settings` (CP950, CRLF).
  void WriteSettings() {
    QStringList lines = {QStringLiteral("; test settings")};
    for (auto it = settings.cbegin(); it != settings.cend(); ++it)
      lines << QString::number(it.key()) + QStringLiteral(",x=") + it.value();
    ASSERT_TRUE(plat::writeTextLines(root + "Tavrel.Ini", lines));
  }

  // A score file of the candidates, as the scorer writes it; each typed
  // text is a file beside it.
  QString WriteScoreFile(const QString& name, const QList<Candidate>& candidates) {
    QByteArray bytes;
    int i = 0;
    for (const Candidate& c : candidates) {
      scoring::ScoreRecord r;
      r.testNumber = std::int16_t(c.testNumber);
      r.name = QString::fromUtf8(c.name);
      r.identity = QString::fromUtf8(c.identity);
      r.birthday = QStringLiteral("1990/5/3");
      r.scoredAt = QStringLiteral("2026/3/4 上午 09:30:00");
      r.testFile = QStringLiteral("T01.TXT");
      r.duration = QString::fromUtf8(c.duration);
      r.results = c.results;
      r.answerFile = root + QStringLiteral("Data/typed%1.S01").arg(++i);
      plat::writeTextLines(r.answerFile, {r.name + QStringLiteral(" 的打字稿"), QStringLiteral("第二行")});
      bytes += scoring::EncodeScoreRecord(r);
    }
    const QString path = root + name;
    EXPECT_TRUE(plat::writeBytesAtomic(path, bytes));
    return path;
  }

  // A plain test record naming the score file, the remote folder, the host
  // and the attributes (floppy mode first, delivery mode last).
  QString WriteRecord(const QString& scoreFile, int floppyMode, int deliveryMode, const QString& remote = {},
                      const QString& host = {}) {
    QStringList lines = {
        QStringLiteral("[測驗檔名]=T01.TXT"),
        QStringLiteral("[成績檔案]=") + scoreFile,
        QStringLiteral("[檢定姓名]=陳大同"),
        QStringLiteral("[測驗次數]=3"),
    };
    if (!remote.isEmpty()) lines << QStringLiteral("[指定路徑]=") + remote;
    if (!host.isEmpty()) lines << QStringLiteral("[指定主機]=") + host;
    lines << QStringLiteral("[系統屬性]=%1,1,0,1,0,1,1,3,%2").arg(floppyMode).arg(deliveryMode);
    const QString path = root + QStringLiteral("~T090000.txt");
    EXPECT_TRUE(plat::writeTextLines(path, lines));
    return path;
  }

  batchui::Display& Start(const QStringList& arguments) {
    WriteSettings();
    batch::batch().localHost = [] { return batch::LocalHost{"192.0.2.10", "testhost"}; };
    auto& d = plat::forms::get<batchui::Display>();
    d.SetArguments(arguments);
    d.Start();
    return d;
  }

  QStringList Log() const {
    QStringList l;
    plat::readTextLines(root + "ZetError.Txt", l);
    return l;
  }
  bool Logged(const QString& part) const {
    for (const QString& l : Log())
      if (l.contains(part)) return true;
    return false;
  }
  static qint64 SizeOf(const QString& path) { return QFileInfo(path).size(); }
  QString Text(int id) const { return settings.value(id); }

  QTemporaryDir dir;
  QString root;
  QMap<int, QString> settings;
  plat::VirtualScheduler sched{nullptr};
  plat::FakePrompt prompt;
  plat::FakeAppControl app;
  plat::FakeLinePrinter printer;
  plat::FakeDesktop desktop;
  plat::FakeBeeper beeper;
  QStringList notices;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace batchtest
