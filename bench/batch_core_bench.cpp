// The batch scorer's logic at its sizes: loading and summarising score files
// of any length (only the first hundred records are read), the all-pairs
// sort, a settings file of a thousand scrambled lines, and numbered names
// in crowded folders.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "batch/core/files.h"
#include "batch/core/scoretable.h"
#include "batch/core/startup.h"
#include "common/scramble.h"
#include "platform/core/codec.h"
#include "scoring/engine/scorerecord.h"

namespace {

QTemporaryDir& scratch() {
  static QTemporaryDir dir;
  return dir;
}

batch::ScoreRow candidate(int i) {
  batch::ScoreRow r;
  r.testNumber = std::int16_t(1 + i % 3);
  r.name = QStringLiteral("考生%1").arg(i);
  r.identity = QStringLiteral("A1%1").arg(i, 8, 10, QChar(u'0'));
  r.birthday = QStringLiteral("1990/5/3");
  r.scoredAt = QStringLiteral("2026/3/5 上午 09:00:00");
  r.testFile = QStringLiteral("T01.TXT");
  r.duration = QStringLiteral("%1:%2").arg(9 + i % 3, 2, 10, QChar(u'0')).arg(i * 7 % 60, 2, 10, QChar(u'0'));
  const float correct = float(200 + (i * 37) % 150);
  const float errors = float((i * 13) % 20);
  r.results = {correct, errors, correct - errors, 100 * correct / (correct + errors), 100 * errors / (correct + errors),
               (correct - errors) / 10};
  return r;
}

// A score file of n records: the first hundred real, the rest a sparse tail
// (zero records still count as candidates beyond the cap).
QString scoreFile(qint64 n) {
  const QString path = scratch().filePath(QStringLiteral("S%1.R01").arg(n));
  if (QFileInfo::exists(path)) return path;
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  for (qint64 i = 0; i < std::min<qint64>(n, 100); ++i) f.write(scoring::EncodeScoreRecord(candidate(int(i))));
  f.resize(n * scoring::kScoreRecordSize);
  return path;
}

void BM_LoadAndRecompute(benchmark::State& state) {
  const QString path = scoreFile(state.range(0));
  batch::SummaryRules rules;
  rules.method = 1;
  batch::ScoreTable table;
  for (auto _ : state) {
    table.ClearRecords();
    table.ScoreFileName(path);
    benchmark::DoNotOptimize(table.LoadScoreRecords());
    table.RecomputeScores(rules);
  }
  state.counters["loaded"] = table.LoadedCount();
}
BENCHMARK(BM_LoadAndRecompute)->Arg(0)->Arg(1)->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_Sort(benchmark::State& state) {
  const char* orders[] = {"", "100000200000", "160000210000", "123456121212"};
  const QString order = QString::fromLatin1(orders[state.range(0) == 6 ? 3 : state.range(0)]);
  QList<batch::ScoreRow> rows;
  for (int i = 0; i < 100; ++i) rows << candidate(i);
  batch::ScoreTable table;
  table.TakeRows(rows, rows.size());
  table.RecomputeScores(batch::SummaryRules{});  // the range 1..100
  for (auto _ : state) {
    state.PauseTiming();
    table.TakeRows(rows, rows.size());  // file order again
    state.ResumeTiming();
    table.SortRecords(order);
  }
}
BENCHMARK(BM_Sort)->Arg(1)->Arg(2)->Arg(6)->Unit(benchmark::kMicrosecond);

void BM_SettingsFile(benchmark::State& state) {
  QByteArray file;
  for (int i = 0; i < 1000; ++i) {
    const QString line = QStringLiteral("%1,標籤%2=[設定值 %2, 許功蓋 = 中文說明]").arg(10100 + i % 400).arg(i);
    file += common::ScrambleBytes(plat::toCp950(line)) + "\r\n";
  }
  int stored = 0;
  batch::StartupSettings settings([&](int, const QString&) {
    ++stored;
    return QVariant();
  });
  for (auto _ : state) settings.ApplySettingsFile(file, true);
  state.counters["lines"] = benchmark::Counter(double(stored), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SettingsFile)->Unit(benchmark::kMillisecond);

void BM_NumberedFileName(benchmark::State& state) {
  const int n = int(state.range(0));
  const QString folder = scratch().filePath(QStringLiteral("series%1").arg(n));
  if (!QDir(folder).exists()) {
    QDir().mkpath(folder);
    for (int i = 0; i < n; ++i) {
      const QString name = i < 99 ? QStringLiteral("AAA.R%1").arg(i + 1, 2, 10, QChar(u'0'))
                                  : QStringLiteral("F%1.R%2").arg(i, 6, 10, QChar(u'0')).arg(i % 100, 2, 10, QChar(u'0'));
      QFile(folder + u'/' + name).open(QIODevice::WriteOnly);
    }
  }
  const QString pattern = folder + QStringLiteral("/AAA.R*");
  for (auto _ : state) benchmark::DoNotOptimize(batch::NumberedFileName(pattern, 2));
}
BENCHMARK(BM_NumberedFileName)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
