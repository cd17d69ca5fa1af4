// The settings file that ships beside the programs: readable as CP950 with
// CRLF lines, every setting at the default the programs give it, and a text
// for every caption, tool tip and message the forms built so far show.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

#include "common/accessors.h"
#include "common/gui/captiontable.h"
#include "common/settings.h"
#include "common/store.h"
#include "platform/core/codec.h"

namespace {

const QString kShipped = QStringLiteral(SOURCE_ROOT "/data/Tavrel.Ini");

struct Accessor {
  int number;
  common::AccessorSlot slot;
};
#define SHIPPED_ACCESSOR_ROW(number, name, kind, def, rule) Accessor{number, common::AccessorSlot::name},
const Accessor kAccessors[] = {COMMON_ACCESSOR_TABLE(SHIPPED_ACCESSOR_ROW)};
#undef SHIPPED_ACCESSOR_ROW

// Settings only the batch scorer's own store keeps.
const QSet<int> kBatchOnly = {302, 800, 802, 804, 880, 882};
// Filled by the settings load itself, never by the file.
const QSet<int> kSetAtLoad = {4498, 4499};
// Shipped on purpose away from the program's default, so that the sample test
// runs out of the box: no start-up notice (199), the sample's folder (210),
// its parts played one by one (701), no download at start (989 digit 4), no
// server buttons or pages (9151, 9901), and an exit that keeps the sample (149).
// And so that an exam room can use it as it stands: a name (901 = 1), a
// checked identity number of ten characters (917, 902), a birthday (932 = 1),
// a confirmation before the start (933) and the scorer's files (7999).
const QHash<int, QString> kShippedForSample = {{149, "0"},  {199, "0"}, {210, "Data\\"}, {701, "2"},
                                               {901, "1"},  {902, "10"}, {917, "1"},     {932, "1"},
                                               {933, "1"},  {989, "4310000001110"},      {7999, "1"},
                                               {9151, "9"}, {9901, "0"}};

QByteArray ShippedBytes() {
  QFile f(kShipped);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QString> Lines() {
  QList<QString> out;
  for (const QByteArray& l : ShippedBytes().split('\n')) out << plat::fromCp950(l.chopped(l.endsWith('\r') ? 1 : 0));
  if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
  return out;
}

// Every setting line's number, in file order.
QList<int> Numbers() {
  QList<int> out;
  for (const QString& line : Lines()) {
    const auto parsed = common::ParseSettingLine(line);
    if (!parsed) continue;
    const auto n = common::SettingNumber(parsed->numberText);
    out << (n ? *n : -1);
  }
  return out;
}

struct Snapshot {
  std::vector<common::StoreValue> accessors, store;
  std::vector<float> colours;
  bool operator==(const Snapshot&) const = default;
};

QList<int> StoreSettingIds() {
  QList<int> ids = common::StoreIds(common::StoreGroup::Byte) + common::StoreIds(common::StoreGroup::Int16) +
                   common::StoreIds(common::StoreGroup::ShortText);
  for (int n : kSetAtLoad) ids.removeAll(n);
  return ids;
}

Snapshot Take() {
  Snapshot s;
  for (const Accessor& a : kAccessors)
    if (a.number != 0) s.accessors.push_back(common::detail::accessorValue(a.slot));
  for (int id : StoreSettingIds()) s.store.push_back(common::SystemIniValue(id));
  for (int i = 1; i <= 8; ++i) s.colours.push_back(common::detail::colourSlot(i));
  return s;
}

TEST(ShippedSettings, IsCp950WithCrlfLines) {
  const QByteArray bytes = ShippedBytes();
  ASSERT_FALSE(bytes.isEmpty()) << kShipped.toStdString();
  int bad = 0;
  const QString text = plat::fromCp950(bytes, &bad);
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(plat::toCp950(text), bytes);
  EXPECT_TRUE(bytes.endsWith("\r\n"));
  EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
  EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));
  for (const QString& line : Lines()) {
    EXPECT_EQ(line, line.trimmed().isEmpty() ? QString() : line) << "blank line with spaces";
    EXPECT_FALSE(line.endsWith(' ')) << line.toStdString();  // trailing blanks are dropped on read
  }
}

TEST(ShippedSettings, EveryLineIsACommentOrASetting) {
  for (const QString& line : Lines()) {
    if (line.isEmpty() || line.startsWith(';')) continue;
    const auto parsed = common::ParseSettingLine(line);
    ASSERT_TRUE(parsed.has_value()) << line.toStdString();
    EXPECT_TRUE(common::SettingNumber(parsed->numberText).has_value()) << line.toStdString();
  }
}

TEST(ShippedSettings, NamesEverySettingOnceAndOnlyKnownNumbers) {
  const QList<int> numbers = Numbers();
  QSet<int> seen;
  for (int n : numbers) {
    EXPECT_FALSE(seen.contains(n)) << "twice: " << n;
    seen.insert(n);
    const bool accessor = std::any_of(std::begin(kAccessors), std::end(kAccessors),
                                      [n](const Accessor& a) { return a.number == n; });
    EXPECT_TRUE(accessor || (n >= 401 && n <= 408) || common::StoreHasId(n) || kBatchOnly.contains(n)) << n;
    EXPECT_FALSE(kSetAtLoad.contains(n)) << n;
  }
  for (const Accessor& a : kAccessors)
    if (a.number != 0) {
      EXPECT_TRUE(seen.contains(a.number)) << "setting missing: " << a.number;
    }
  for (int n = 401; n <= 408; ++n) EXPECT_TRUE(seen.contains(n)) << n;
  for (int id : StoreSettingIds()) EXPECT_TRUE(seen.contains(id)) << "store setting missing: " << id;
  for (int n : kBatchOnly) EXPECT_TRUE(seen.contains(n)) << n;
}

TEST(ShippedSettings, EverySettingIsAtItsDefault) {
  QTemporaryDir dir;
  common::ResetCommonState();
  common::ProgramFolder.set(dir.path() + "/");
  common::SeedSettingDefaults();
  const Snapshot defaults = Take();
  ASSERT_TRUE(common::ReadIniFile(kShipped));
  const Snapshot loaded = Take();
  EXPECT_TRUE(loaded.colours == defaults.colours);
  ASSERT_EQ(loaded.accessors.size(), defaults.accessors.size());
  int i = 0;
  for (const Accessor& a : kAccessors) {
    if (a.number == 0) continue;
    if (kShippedForSample.contains(a.number))
      EXPECT_EQ(loaded.accessors[i].asText(), kShippedForSample.value(a.number)) << "setting " << a.number;
    else
      EXPECT_EQ(loaded.accessors[i].asText(), defaults.accessors[i].asText()) << "setting " << a.number;
    ++i;
  }
  const QList<int> ids = StoreSettingIds();
  for (int k = 0; k < ids.size(); ++k)
    if (kShippedForSample.contains(ids[k]))
      EXPECT_EQ(loaded.store[k].asText(), kShippedForSample.value(ids[k])) << "store " << ids[k];
    else
      EXPECT_EQ(loaded.store[k].asText(), defaults.store[k].asText()) << "store " << ids[k];
}

TEST(ShippedSettings, GivesTheTextsOfEveryCaptionAndTheSharedMessages) {
  QTemporaryDir dir;
  common::ResetCommonState();
  common::ProgramFolder.set(dir.path() + "/");
  ASSERT_TRUE(common::ReadIniFile(kShipped));
  const QSet<int> designedEmpty = {10107};  // the set-up screen's test-name label
  for (const common::FormCaptions& f : common::TestProgramCaptionTable())
    for (const common::CaptionText& t : f.texts)
      if (!designedEmpty.contains(t.number)) {
        EXPECT_FALSE(common::SystemIniValue(t.number).asText().isEmpty()) << t.number;
      }
  for (int n = 14001; n <= 14007; ++n) EXPECT_FALSE(common::SystemIniValue(n).asText().isEmpty()) << n;
  EXPECT_EQ(common::SystemIniValue(14006).asText() + " Tavrel.Ini " + common::SystemIniValue(14007).asText(),
            QStringLiteral("無法讀得 Tavrel.Ini 檔案,請檢查原因"));
  // Texts with "," keep it (the file brackets them).
  EXPECT_EQ(common::SystemIniValue(10124).asText(), QStringLiteral("若不想測驗,可按下結束本軟體!"));
  // The record keys of the summary list are the record's own four-character keys.
  const QStringList keys = {"測驗檔名", "使用檔名", "答案檔案", "成績檔案", "檢定姓名", "檢定生日"};
  for (int k = 0; k < keys.size(); ++k) EXPECT_EQ(common::SystemIniValue(13901 + k).asText(), keys[k]);
  // The summary-record marker is compared on three characters.
  EXPECT_EQ(common::SystemIniValue(12701).asText().size(), 3);
  // The upload window's fold button starts with the caption that means "unfold".
  EXPECT_EQ(common::SystemIniValue(11803).asText(), common::SystemIniValue(11805).asText());
  for (int n : Numbers())
    if (n >= 10000) {
      EXPECT_TRUE(common::StoreHasId(n)) << n;
    }
}

TEST(ShippedSettings, IsCopiedBesideThePrograms) {
  QFile copy(QStringLiteral(BIN_DIR "/Tavrel.Ini"));
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << "build the shipped_data target";
  EXPECT_EQ(copy.readAll(), ShippedBytes());
  EXPECT_TRUE(QFile::exists(QStringLiteral(BIN_DIR "/Data/T0001.txt")));
}

}  // namespace
