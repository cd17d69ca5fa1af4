// A score record whose name field ends inside a double-byte character, as a
// torn or hand-edited file can hold.
#include <gtest/gtest.h>

#include "scoring/engine/scorerecord.h"

using namespace scoring;

TEST(ScoreRecordDamaged, ATornCharacterReadsAsAReplacementAndTheRestStands) {
  QList<ScoreRecord> records;
  ASSERT_TRUE(ReadScoreRecordFile(QStringLiteral(TEST_DATA_DIR "/TornName.R01"), records));
  ASSERT_EQ(records.size(), 1);
  const ScoreRecord& r = records[0];
  EXPECT_EQ(r.name, QString::fromUtf8("許功\xEF\xBF\xBD"));
  EXPECT_EQ(r.identity, "A123456789");
  EXPECT_EQ(r.testNumber, 1);

  // Written again, the field holds the replacement's "?" and reads back the
  // same way every time.
  ScoreRecord back;
  ASSERT_TRUE(DecodeScoreRecord(EncodeScoreRecord(r), back));
  EXPECT_EQ(back.name, QString::fromUtf8("許功?"));
  EXPECT_EQ(back.identity, r.identity);
  EXPECT_EQ(back.results, r.results);
}
