#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "batch/core/files.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "printers.h"
#include "testsupport/core/linerecorder.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

using namespace batch;

namespace {

void touch(const QString& path, const QByteArray& bytes = "x") {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray contents(const QString& path) {
  QByteArray b;
  plat::readAllBytes(path, b);
  return b;
}

class PromptScope {
 public:
  PromptScope() { seams.Set(plat::SetPrompt, &prompt); }
  plat::FakePrompt prompt;
  testsupport::Seams seams;
};

FloppyCopyEnv env(QStringList* log) {
  return {[](int id) { return id == 12712 ? QStringLiteral("請放入磁片") : QStringLiteral("訊息"); },
          [log](const QString& s) { log->append(s); }};
}

}  // namespace

TEST(NumberedNames, SeriesOfEachShape) {
  struct Case {
    QStringList files;
    const char* mode1;
    const char* mode0;
    const char* mode2;  // "" for nothing
  };
  const Case cases[] = {
      {{"AAA.R01", "AAA.R02", "AAA.R07"}, "AAA.R07", "AAA.R08", "AAA.R07"},
      {{}, "AAA.R00", "AAA.R01", ""},
      {{"AAA.R00"}, "AAA.R00", "AAA.R01", ""},
      {{"AAA.S05", "AAA.R02"}, "AAA.R02", "AAA.R03", "AAA.R02"},  // another letter is not counted
      {{"aaa.r04", "BBB.R06"}, "AAA.R04", "AAA.R05", "BBB.R06"},  // mode 2 spans the folder
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    for (const QString& f : c.files) touch(dir.filePath(f));
    const QString base = dir.path() + "/AAA.R*";
    EXPECT_EQ(NumberedFileName(base, 1), dir.path() + u'/' + c.mode1) << c.files.join(",").toStdString();
    EXPECT_EQ(NumberedFileName(base, 0), dir.path() + u'/' + c.mode0);
    const QString m2 = NumberedFileName(base, 2);
    EXPECT_EQ(m2, *c.mode2 ? dir.path() + u'/' + c.mode2 : QString());
  }
  EXPECT_EQ(NumberedFileName("/no/such/folder/AAA.R*", 1), QString());
  EXPECT_EQ(NumberedFileName("/no/such/folder/AAA.R*", 2), QString());
}

TEST(FloppyCopy, SecondDriveTakesTheFilesWhenTheFirstHasNoDisk) {
  QTemporaryDir src, b;
  touch(src.filePath("Score.R01"), "score");
  touch(src.filePath("Score_03050101.Sco"), "line");
  touch(b.filePath("Score.R01"), "older");  // overwritten
  PromptScope p;
  QStringList log;
  FloppyDrives drives{src.path() + "/not-mounted", b.path()};
  EXPECT_EQ(CopyFloppyScoreFiles(src.filePath("Score.R01"), src.filePath("Score_03050101.Sco"), drives, env(&log)), 1);
  EXPECT_TRUE(p.prompt.calls.isEmpty());
  EXPECT_EQ(contents(b.filePath("Score.R01")), QByteArray("score"));
  EXPECT_EQ(contents(b.filePath("Score_03050101.Sco")), QByteArray("line"));
}

TEST(FloppyCopy, NoDiskAsksUntilCancelled) {
  QTemporaryDir src;
  touch(src.filePath("Score.R01"));
  PromptScope p;
  p.prompt.answers = {plat::Answer::Retry, plat::Answer::Cancel};
  QStringList log;
  EXPECT_EQ(CopyFloppyScoreFiles(src.filePath("Score.R01"), {}, FloppyDrives{}, env(&log)), 0);
  ASSERT_EQ(p.prompt.calls.size(), 2);
  EXPECT_EQ(p.prompt.calls[0].text, QString("請放入磁片"));
  EXPECT_EQ(p.prompt.calls[0].buttons, plat::Buttons::RetryCancel);
  EXPECT_EQ(p.prompt.calls[0].icon, plat::Icon::Critical);
}

TEST(FloppyCopy, AFailedCopyIsNotReportedAsSuccess) {
  QTemporaryDir src, a;
  touch(src.filePath("Score.R01"));
  ASSERT_TRUE(QDir(a.path()).mkdir("Score.R01"));  // the target cannot be written
  PromptScope p;
  p.prompt.answers = {plat::Answer::Cancel};
  QStringList log;
  EXPECT_EQ(CopyFloppyScoreFiles(src.filePath("Score.R01"), {}, FloppyDrives{a.path(), {}}, env(&log)), 0);
  EXPECT_EQ(p.prompt.calls.size(), 1);
  EXPECT_TRUE(log.join("\n").contains("Score.R01"));
}

TEST(FloppyCopy, AMissingResultFileIsSkippedAndLogged) {
  QTemporaryDir src, a;
  touch(src.filePath("Score.R01"));
  PromptScope p;
  QStringList log;
  EXPECT_EQ(CopyFloppyScoreFiles(src.filePath("Score.R01"), src.filePath("gone.Sco"), FloppyDrives{a.path(), {}},
                                 env(&log)),
            1);
  EXPECT_TRUE(QFileInfo::exists(a.filePath("Score.R01")));
  EXPECT_FALSE(QFileInfo::exists(a.filePath("gone.Sco")));
  EXPECT_TRUE(log.join("\n").contains("gone.Sco"));
}

TEST(PrintText, LinesGoToThePrinter) {
  QTemporaryDir dir;
  plat::writeTextLines(dir.filePath("a.S01"), {"第一行", "", "許功蓋"});
  plat::LineRecorder sink;
  EXPECT_TRUE(PrintTextFile(dir.filePath("a.S01") + "    ", sink));  // padded as the record holds it
  ASSERT_EQ(sink.docs.size(), 1);
  EXPECT_EQ(sink.docs[0], (QStringList{"第一行", "", "許功蓋"}));
  EXPECT_EQ(sink.ended, 1);

  plat::LineRecorder missing;
  EXPECT_FALSE(PrintTextFile(dir.filePath("none.S01"), missing));
  EXPECT_TRUE(missing.lines.isEmpty());
  EXPECT_EQ(missing.ended, 0);

  plat::LineRecorder failing;
  failing.failAtLine = 2;
  EXPECT_FALSE(PrintTextFile(dir.filePath("a.S01"), failing));
  EXPECT_EQ(failing.killed, 1);
}
