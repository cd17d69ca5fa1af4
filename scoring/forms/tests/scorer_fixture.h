#pragma once
// A scorer installed in a temporary folder: the shipped settings file, a
// test text, a test record in the temporary folder, and fakes for
// everything outside (prompts, launcher, desktop, printer, program end,
// time).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <memory>

#include "common/accessors.h"
#include "common/gui/formtext.h"
#include "common/settings.h"
#include "common/store.h"
#include "platform/core/codec.h"
#include "platform/core/launcher.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/lineprinter.h"
#include "platform/media/sound.h"
#include "scoring/engine/recordlist.h"
#include "scoring/engine/scorer.h"
#include "scoring/forms/dataentry.h"
#include "scoring/forms/delivery.h"
#include "scoring/forms/form3.h"
#include "scoring/forms/progresswindows.h"
#include "scoring/forms/questions.h"
#include "scoring/forms/scoresheet.h"
#include "scoring/forms/services.h"
#include "exam/record/testrecord.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fakes.h"
#include "testsupport/gui/soundfakes.h"
#include "testsupport/gui/virtualtime.h"

namespace scorertest {

// The passage of the record below and what the candidate typed: one
// character missing in the second line.
inline QStringList TestText() {
  return {QStringLiteral("　　今天天氣很好，我們去公園散步。"), QStringLiteral("公園裡有很多花，也有很多人在運動。")};
}
inline QStringList TypedText() {
  return {QStringLiteral("　　今天天氣很好，我們去公園散步。"), QStringLiteral("公園裡有很多花，也有很多在運動。")};
}

class ScorerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    common::SetUserDefaultLcid(1028);
    ASSERT_TRUE(program.isValid() && temp.isValid() && work.isValid());
    plat::SetProgramFolder(program.path() + u'/');
    common::ProgramFolder.set(program.path() + u'/');
    hadTmp = qEnvironmentVariableIsSet("TMP");
    oldTmp = qgetenv("TMP");
    qputenv("TMP", temp.path().toLocal8Bit());
    ASSERT_TRUE(QFile::copy(QStringLiteral(SOURCE_ROOT "/data/Tavrel.Ini"), program.filePath("Tavrel.Ini")));
    // The two programs the scorer may start, as installed files.
    for (const char* p : {"Tavrel", "Tallisk"}) Touch(program.filePath(QString::fromLatin1(p)));
    scheduler = std::make_unique<plat::VirtualScheduler>();
    seams.Set(plat::SetPrompt, &prompt);
    seams.Set(plat::SetLauncher, &launcher);
    seams.Set(plat::SetAppControl, &app);
    seams.Set(plat::SetPrinter, &printer);
    seams.Set(scorer::SetDesktop, &desktop);
    seams.Set(plat::SetBeeper, &beeper);
    scorer::Companions c;
    c.showBackdrops = [this] { ++backdrops; };
    c.showCredits = [this] { ++credits; };
    c.setCreditsLimits = [this](const QString& lines, const QString& columns) {
      creditsLimits << lines + u'/' + columns;
    };
    c.showContact = [this] { ++contacts; };
    seams.Set(scorer::SetCompanions, c);
    // A modal window runs on virtual time until it goes away.
    seams.Set(plat::SetModalDriver, [this](plat::Form& f) {
      QPointer<plat::Form> form(&f);
      scheduler->RunUntil([form] { return !form || !form->isVisible() || form->IsUnloaded(); }, 60000);
    });
    scoring::ResetScorer();
    scorer::ResetDelivery();
    scorer::SetUploadStarter({});
    scorer::SetCommandLine(QString());
  }

  void TearDown() override {
    plat::FormRegistry::DestroyAll();
    scheduler.reset();
    scoring::ResetScorer();
    scoring::SetEngineProgress(nullptr);  // the scoring window's own
    scorer::ResetDelivery();
    scorer::SetUploadStarter({});  // the upload window's own, once installed
    scorer::SetCommandLine(QString());
    if (hadTmp)
      qputenv("TMP", oldTmp);
    else
      qunsetenv("TMP");
    plat::SetProgramFolder(QString());
    common::SetUserDefaultLcid(-1);
    common::ResetCommonState();
  }

  static void Touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }

  // Lines added to the end of the installed settings file (later lines win).
  void IniLines(const QList<QPair<int, QString>>& lines) {
    for (const auto& [n, v] : lines)
      ASSERT_TRUE(plat::appendTextLine(program.filePath("Tavrel.Ini"), QString::number(n) + QStringLiteral(",t=") + v));
  }
  // Settings applied directly, for windows tested without the start-up.
  void Settings(const QList<QPair<int, QString>>& lines) {
    for (const auto& [n, v] : lines) common::ApplySetting(n, v);
  }

  // Writes the test text and a record of a finished test into the
  // temporary folder; returns the record's path. The answer and score
  // files are named in the work folder.
  QString WriteRecord(const QString& name = QStringLiteral("~T032400.txt"), int testCount = 1,
                      const QStringList& extraKeys = {}) {
    const QString test = work.filePath("T0001.txt");
    EXPECT_TRUE(plat::writeTextLines(test, TestText()));
    QStringList l;
    l << QStringLiteral("[測驗檔名]=") + test << QStringLiteral("[使用檔名]=") + temp.filePath(name)
      << QStringLiteral("[答案檔案]=") + work.filePath("A123456789.T01")
      << QStringLiteral("[成績檔案]=") + work.filePath("A123456789.R01") << QStringLiteral("[檢定姓名]=王小明")
      << QStringLiteral("[檢定生日]=1990/5/3") << QStringLiteral("[身分證號]=A123456789")
      << QStringLiteral("[班級座號]=3-05") << QStringLiteral("[開始時間]=031800")
      << QStringLiteral("[終止時間]=032400") << QStringLiteral("[測驗次數]=%1").arg(testCount)
      << QStringLiteral("[測驗時間]=10") << QStringLiteral("[指輸入法]=注音");
    l << extraKeys << TypedText();
    const QString path = temp.filePath(name);
    EXPECT_TRUE(rec::WriteRecordLines(path, l, rec::IsScrambledName(path)));
    return path;
  }

  // The scorer started by the test program: the entry form loads, Form3
  // scores on its first activation and the sheet comes up on virtual time.
  scorer::成績單* StartAndScore(const QString& record) {
    scorer::SetCommandLine(record + u',' + program.filePath("Tavrel"));
    plat::forms::get<scorer::輸入資料>().Show();
    const bool up = scheduler->RunUntil([] { return plat::forms::exists<scorer::成績單>() &&
                                                    plat::forms::get<scorer::成績單>().isVisible(); },
                                        10000);
    if (!up) return nullptr;
    return &plat::forms::get<scorer::成績單>();
  }

  QString ProgramFile(const QString& name) const { return program.filePath(name); }

  QTemporaryDir program, temp, work;
  bool hadTmp = false;
  QByteArray oldTmp;
  std::unique_ptr<plat::VirtualScheduler> scheduler;
  plat::FakePrompt prompt;
  plat::FakeLauncher launcher;
  plat::FakeAppControl app;
  plat::FakeLinePrinter printer;
  plat::FakeDesktop desktop;
  plat::FakeBeeper beeper;
  int backdrops = 0, credits = 0, contacts = 0;
  QStringList creditsLimits;  // each "lines/columns" given to the credits window
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace scorertest
