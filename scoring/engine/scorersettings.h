#pragma once
// Everything a scoring run reads of the settings, taken once at its start so
// a run sees one consistent set (and tests can give their own).
#include <QDateTime>
#include <QString>

#include "scoring/engine/compute.h"

namespace scoring {

struct ScorerSettings {
  ScoreSettings score;         // markers (300), ratios (301, 303), texts
  MatchOptions match;
  bool writeFiles = false;     // store 7999 = 1
  bool cleanUp = true;         // store 149 = 1
  int setting306 = 2;          // clean up only below this test number
  bool applyPassMark = false;  // setting 801 = 1
  float passMark = 0;          // setting 881: error rate from which net and speed are 0
  int setting905 = 2;          // answer file named after 1 name, 2 identity number
  QString setting916;          // class label "caption|label"
  QString setting918;          // identity label
  int setting701 = 0;          // audio per part: result line tag
  QString productName;         // setting 294
  QString productTitle;        // setting 997
  int versionMajor = 1, versionMinor = 0, versionRevision = 0;
  // Scoring date and time of the record (24 bytes at most): Qt date-time
  // pattern in which "AP" stands for 上午/下午.
  QString scoredAtFormat = QStringLiteral("yyyy/MM/dd AP hh:mm:ss");

  QString Text(int id) const { return score.text ? score.text(id) : QString(); }

  // The values of the numbered store and the accessors now.
  static ScorerSettings FromStore();
};

}  // namespace scoring
