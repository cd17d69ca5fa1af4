#include "batch/core/batch.h"

#include <memory>

#include "batch/core/runlog.h"
#include "common/store.h"
#include "platform/core/paths.h"

namespace batch {

namespace {

TableEnv tableEnv(const Batch* b) {
  TableEnv e;
  e.text = &common::StoreText;
  e.log = [b](const QString& s) { b->WriteErrorLog(s); };
  return e;
}

}  // namespace

Batch::Batch()
    : settings({}, [this](const QString& s) { WriteErrorLog(s); }),
      setup([this](const QString& s) { WriteErrorLog(s); }),
      table(tableEnv(this)),
      summary(SummaryFile::Env{[this](const QString& s) { WriteErrorLog(s); }, {}}) {}


void Batch::WriteErrorLog(const QString& text) const {
  batch::WriteErrorLog(text, settings.ContactInfo(1).toString());
}

SummaryRules Batch::Rules() const {
  SummaryRules r;
  r.method = settings.Number(800);
  r.passMarkOn = settings.Number(801);
  r.order = settings.Text(880);
  r.passMark = settings.Number(881);
  r.errorDivisor = settings.Single(301);
  r.correctDivisor = settings.Single(302);
  r.blueSpeed = settings.Number(882);
  return r;
}

void Batch::RecomputeScores() { table.RecomputeScores(Rules()); }

ResultLineValues Batch::LineValues(int firstMethodText) const {
  ResultLineValues v;
  v.setting701 = settings.Number(701);
  v.subject = settings.Text(294);
  const int method = settings.Number(800);
  v.method = common::StoreText(firstMethodText + (method == 1 ? 0 : method == 2 ? 1 : 2));
  v.display = table.Display();
  v.summary = table.Summary();
  if (localHost) v.host = localHost();
  return v;
}

AppendStatus Batch::AppendScoreRecord() {
  return summary.AppendScoreRecord(table.ScoreFileName(), table.Marker(), LineValues());
}

int Batch::CopyFloppyScoreFiles() {
  FloppyCopyEnv env{&common::StoreText, [this](const QString& s) { WriteErrorLog(s); }};
  const QString score = table.ScoreFileName();
  return batch::CopyFloppyScoreFiles(score.isEmpty() ? score : plat::ResolvePath(score), ResultFileName(), drives, env);
}

bool Batch::PrintTextFile(plat::LinePrinter& printer) const {
  return batch::PrintTextFile(table.CandidateTextPath(), printer);
}

namespace {
std::unique_ptr<Batch>& instance() {
  static std::unique_ptr<Batch> b;
  return b;
}
}  // namespace

Batch& batch() {
  if (!instance()) instance() = std::make_unique<Batch>();
  return *instance();
}

void ResetBatch() { instance().reset(); }

}  // namespace batch
