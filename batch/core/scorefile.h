#pragma once
// Reading parts of a score file without loading all of it: the batch scorer
// takes at most the first hundred records, and looks at the last one before
// it appends a summary. The record codec is the scoring engine's.
#include <QList>
#include <QString>

#include "batch/core/scorerow.h"

namespace batch {

struct ScoreFileHead {
  QList<ScoreRow> rows;  // the first records, in file order
  qint64 wholeRecords = 0;  // whole records the file holds; a torn tail does not count
  bool tornTail = false;
};

// The first `limit` whole records. False with a reason when the file cannot
// be read. Memory stays at `limit` records whatever the file's size.
bool ReadScoreFileHead(const QString& path, int limit, ScoreFileHead& out, QString* error = nullptr);

// Record number n (from 1). False when the file holds fewer whole records
// or cannot be read.
bool ReadScoreRecordAt(const QString& path, qint64 n, ScoreRow& out);

}  // namespace batch
