// A score record whose name field ends inside a double-byte character, as a
// torn or hand-edited file can hold.
#include <gtest/gtest.h>

#include "scoring/engine/scorerecord.h"

using namespace scoring;

TEST(ScoreRecordDamaged, ATornCharacterIsDroppedAndTheRestStands) {
  QList<ScoreRecord> records;
  ASSERT_TRUE(ReadScoreRecordFile(QStringLiteral(TEST_DATA_DIR "/TornName.R01"), records));
  ASSERT_EQ(records.size(), 1);
  const ScoreRecord& r = records[0];
  // The name's last byte is the first half of 蓋: no "?" for it.
  EXPECT_EQ(r.name, QString::fromUtf8("許功"));
  EXPECT_EQ(r.identity, "A123456789");
  EXPECT_EQ(r.testNumber, 1);

  // Written again, the field holds the whole characters and reads back the
  // same way every time.
  ScoreRecord back;
  ASSERT_TRUE(DecodeScoreRecord(EncodeScoreRecord(r), back));
  EXPECT_EQ(back.name, QString::fromUtf8("許功"));
  EXPECT_EQ(back.identity, r.identity);
  EXPECT_EQ(back.results, r.results);
}

TEST(ScoreRecordDamaged, OnlyALoneLeadByteAtTheEndOfAFieldIsDropped) {
  struct Case {
    QByteArray field;
    const char* text;
  } cases[] = {
      {"\xB3\x5C\xA5\x5C\xBB", "許功"},        // cut inside 蓋, no padding left
      {"\xB3\x5C\xBB   ", "許"},                // cut, then padded
      {"\xBB", ""},
      {QByteArray("ab\xD6\0\0", 5), "ab"},  // NUL padding
      {"\xB3\x5C\xA5\x5C", "許功"},            // trail bytes 0x5C are no lead bytes
      {"\xA4\xA4\xA4\xE5", "中文"},            // a trail byte in the lead range
      {"\xA4\xA4\xA4", "中"},
      {"abc  ", "abc"},
      {"ab \xBB", "ab"},  // the blanks before the half go too: the field reads back the same
  };
  for (const Case& c : cases) EXPECT_EQ(ReadField(c.field), QString::fromUtf8(c.text)) << c.field.toHex().constData();
}
