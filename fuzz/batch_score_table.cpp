// The score file as the batch scorer loads it: the first hundred records
// into its table, every summary method with the pass mark, stepping through
// the candidates, and the summary record and result line written back.
#include "batch/core/batch.h"
#include "batch/core/scorefile.h"
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  batch::ResetBatch();
  batch::Batch& b = batch::batch();
  b.settings.SetDefaults();
  b.localHost = [] { return batch::LocalHost{QStringLiteral("192.0.2.10"), QStringLiteral("testhost")}; };
  const QString path = fuzz::WriteInput(QStringLiteral("Score.R01"), data, size);
  for (qint64 n : {1, 2, 100}) {
    batch::ScoreRow row;
    (void)batch::ReadScoreRecordAt(path, n, row);
  }
  b.table.ScoreFileName(path);
  if (b.table.LoadScoreRecords() == 1) {
    for (int method : {1, 2, 3}) {
      batch::SummaryRules rules = b.Rules();
      rules.method = method;
      rules.passMarkOn = 1;
      b.table.RecomputeScores(rules);
    }
    b.RecomputeScores();
    b.table.MoveToRecord(0);
    for (int i = 0; i <= batch::kMaxRecords; ++i) b.table.MoveToRecord(2);
    b.table.MoveToRecord(1);
    (void)b.AppendScoreRecord();
  }
  batch::ResetBatch();
  return 0;
}
