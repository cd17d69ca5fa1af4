// The scorer's own load of a test record (and the entry form's list of
// stored records): keys, typed lines and the test text they are scored
// against, then the whole scoring run with its report, score record and
// result line. The test text is the sample test, so the fuzzed typing meets
// real text in the matcher.
#include <QFile>
#include <cstdlib>

#include "common/accessors.h"
#include "common/settings.h"
#include "common/store.h"
#include "fuzz/support.h"
#include "scoring/engine/recordlist.h"
#include "scoring/engine/scorer.h"

namespace {

QByteArray sampleTest() {
  static const QByteArray bytes = [] {
    QFile f(QStringLiteral(SOURCE_ROOT "/data/Data/T0001.txt"));
    if (!f.open(QIODevice::ReadOnly)) {
      fprintf(stderr, "fuzz: no sample test %s\n", qPrintable(f.fileName()));
      abort();
    }
    return f.readAll();
  }();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  common::SeedSettingDefaults();
  common::SystemIniValue(7999, QStringLiteral("1"));  // write the run's files
  common::SystemIniValue(149, QStringLiteral("0"));   // and keep them
  const QString test = fuzz::WriteInput(QStringLiteral("T0001.txt"), sampleTest());
  scoring::SetHostInfoSource([] { return scoring::HostInfo{QStringLiteral("192.0.2.10"), QStringLiteral("testhost")}; });
  scoring::ResetScorer();

  for (const char* name : {"~T090000.txt", "~T090000.ttt"}) {
    const QString record = fuzz::WriteInput(QString::fromLatin1(name), data, size);
    // The entry form's list of stored records reads each one's header.
    (void)scoring::ScanTestRecordFiles(fuzz::Folder() + QStringLiteral("~T*.*"));
    const scoring::LoadOutcome load = scoring::xZet_LoadData(record, test);
    scoring::ScoringRun* run = scoring::CurrentRun();
    if (!load.ok || !run) continue;
    // The record names where the run writes; only names inside the scratch
    // folder are written to. The result file is named from the score file
    // less its extension, the marked copy from the answer file's third
    // character from the end: names that short would reach into the folder.
    const QString answer = run->answerFileName(), score = run->scoreFileName();
    if (!fuzz::Inside(answer) || !fuzz::Inside(score)) continue;
    if (fuzz::BaseName(answer).size() < 3 || fuzz::BaseName(score).size() < 5) continue;
    const scoring::ProcessOutcome out = scoring::ProcessScoring();
    (void)out;
    if (!fuzz::Inside(run->resultFileName()) || !fuzz::Inside(run->markedLinesFileName())) {
      fprintf(stderr, "fuzz: the result or marked-lines file left the answer's folder\n");
      abort();
    }
  }
  scoring::ResetScorer();
  return 0;
}
