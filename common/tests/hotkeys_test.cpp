#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/hotkeys.h"
#include "common/store.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

using namespace common;

namespace {

enum Column { kShift = 0, kCtrl = 1, kCtrlShift = 2, kAlt = 3, kAltShift = 4, kCtrlAlt = 5 };

class HotKeyFile : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(dir.path());
    ResetCommonState();
    seams.Set(plat::SetPrompt, &prompt);
    SystemIniValue(2299, QStringLiteral("2"));  // the settings loader's default
  }
  void TearDown() override {
    ResetCommonState();
  }
  void installFixture(const QString& name, const QString& fixture = QStringLiteral("Key.Ini")) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_DATA_DIR "/") + fixture, dir.filePath(name)));
  }
  QTemporaryDir dir;
  plat::FakePrompt prompt;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace

TEST(HotKeys, DefaultTable) {
  HotKeyTable t;
  struct Case {
    int column;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {kAlt, '1', "┌"}, {kAlt, '0', "』"}, {kAlt, '8', "\""}, {kAlt, 189, "「"}, {kAlt, 187, "」"},
      {kAlt, 220, "├"}, {kAlt, 'Q', "┼"}, {kAlt, 'P', "﹝"}, {kAlt, 219, "﹞"}, {kAlt, 221, "└"},
      {kAlt, 'A', "┴"}, {kAlt, 186, "、"}, {kAlt, 59, "、"}, {kAlt, 222, "─"}, {kAlt, 'Z', "│"},
      {kAlt, 'M', "，"}, {kAlt, 188, "‧"}, {kAlt, 190, "？"}, {kAlt, 191, ""}, {kAlt, 192, ""},
      {kCtrl, 'R', "『』"}, {kCtrlAlt, 'C', "「」"}, {kAltShift, 'C', "【】"},
      {kCtrlShift, 'V', "﹝﹞"}, {kCtrlShift, 'G', "《》"},
      {kShift, 'A', ""}, {kCtrl, 'A', ""},
      // Codes not in the table, columns out of range, the empty rows.
      {kAlt, 13, ""}, {6, '1', ""}, {-1, '1', ""}, {kShift, 0, ""}, {kAlt, 0, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(t.HotKeyText(c.column, c.code), QString::fromUtf8(c.text)) << c.column << " " << c.code;
  EXPECT_EQ(t.Code(0), 192);
  EXPECT_EQ(t.Code(10), 191);
  EXPECT_EQ(t.Code(11), 'A');
  EXPECT_EQ(t.Code(36), 'Z');
  EXPECT_EQ(t.Code(37), '0');
  EXPECT_EQ(t.Code(48), 59);
  EXPECT_EQ(t.Code(49), 0);
  EXPECT_EQ(t.Code(50), 0);
}

TEST(HotKeys, ModifierNamesAndKeys) {
  HotKeyTable t;
  t.ModifierCode(QStringLiteral("shiftctrl"), QStringLiteral("K"), QStringLiteral("a"));
  t.ModifierCode(QStringLiteral("AITCTRL"), QStringLiteral("K"), QStringLiteral("b"));
  t.ModifierCode(QStringLiteral("AltShift"), QStringLiteral("K"), QStringLiteral("c"));
  t.ModifierCode(QStringLiteral("whatever"), QStringLiteral("K"), QStringLiteral("d"));
  t.ModifierCode(QString(), QStringLiteral("L"), QStringLiteral("e"));
  t.ModifierCode(QStringLiteral("CTRL"), QStringLiteral("k"), QStringLiteral("lower"));  // no row
  t.ModifierCode(QStringLiteral("CTRL"), QStringLiteral("KK"), QStringLiteral("two"));   // no row
  EXPECT_EQ(t.HotKeyText(kCtrlShift, 'K'), QStringLiteral("a"));
  EXPECT_EQ(t.HotKeyText(kCtrlAlt, 'K'), QStringLiteral("b"));
  EXPECT_EQ(t.HotKeyText(kAltShift, 'K'), QStringLiteral("c"));
  EXPECT_EQ(t.HotKeyText(kShift, 'K'), QStringLiteral("d"));
  EXPECT_EQ(t.HotKeyText(kShift, 'L'), QStringLiteral("e"));
  EXPECT_EQ(t.HotKeyText(kCtrl, 'K'), QString());
  t.BuildPunctuationKeys();
  EXPECT_EQ(t.HotKeyText(kShift, 'K'), QString());
}

TEST_F(HotKeyFile, KeyIniOverridesTheDefaults) {
  installFixture(QStringLiteral("Key.Ini"));
  EXPECT_TRUE(LoadHotKeys());
  EXPECT_TRUE(prompt.calls.isEmpty());
  // Big5 texts whose second byte is "\" (許 功 蓋) arrive whole.
  EXPECT_EQ(HotKeyText(kCtrl, 'Q'), QStringLiteral("許功"));
  EXPECT_EQ(HotKeyText(kAltShift, 220), QStringLiteral("許"));
  EXPECT_EQ(HotKeyText(kCtrlShift, 'V'), QStringLiteral("蓋"));
  // Cut to the maximum length of 2.
  EXPECT_EQ(HotKeyText(kShift, 'A'), QStringLiteral("xy"));
  EXPECT_EQ(HotKeyText(kCtrlAlt, 'M'), QStringLiteral("〔〕"));
  // Lower-case modifier names count; a lower-case key matches no row.
  EXPECT_EQ(HotKeyText(kAlt, 'B'), QStringLiteral("y"));
  EXPECT_EQ(HotKeyText(kAlt, 'A'), QStringLiteral("┴"));
  // ";" as the key (position 6) stores in both of its rows.
  EXPECT_EQ(HotKeyText(kCtrl, 186), QStringLiteral("z"));
  EXPECT_EQ(HotKeyText(kCtrl, 59), QStringLiteral("z"));
  // "==" names the "=" key.
  EXPECT_EQ(HotKeyText(kAlt, 187), QStringLiteral("等"));
  // Trailing blanks are cut before the text is taken.
  EXPECT_EQ(HotKeyText(kAlt, '2'), QStringLiteral("ab"));
  // Comment lines and a ";" in the first three characters change nothing.
  EXPECT_EQ(HotKeyText(kCtrl, 'R'), QStringLiteral("『』"));
  EXPECT_EQ(HotKeyText(kShift, 'C'), QString());
  // A line ending in "+" stores nothing.
  EXPECT_EQ(HotKeyText(kShift, 'Y'), QString());
}

TEST_F(HotKeyFile, MaximumLengthComesFromTheStore) {
  SystemIniValue(2299, QStringLiteral("3"));
  installFixture(QStringLiteral("Key.Ini"));
  LoadHotKeys();
  EXPECT_EQ(HotKeyText(kShift, 'A'), QStringLiteral("xyz"));
  EXPECT_EQ(HotKeyText(kCtrlAlt, 'M'), QStringLiteral("〔〕x"));
}

TEST_F(HotKeyFile, FileNameIsFoundInAnyCase) {
  installFixture(QStringLiteral("KEY.INI"));
  EXPECT_TRUE(LoadHotKeys());
  EXPECT_EQ(HotKeyText(kCtrl, 'Q'), QStringLiteral("許功"));
}

TEST_F(HotKeyFile, MissingFileWarnsAndKeepsTheDefaults) {
  ModifierCode(QStringLiteral("CTRL"), QStringLiteral("W"), QStringLiteral("w"));
  EXPECT_FALSE(LoadHotKeys());
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.contains(QStringLiteral(" Key.Ini ")));
  EXPECT_EQ(prompt.calls[0].icon, plat::Icon::Exclamation);
  EXPECT_EQ(HotKeyText(kCtrl, 'W'), QStringLiteral("w"));
  EXPECT_EQ(HotKeyText(kAlt, '1'), QStringLiteral("┌"));
  // The process table starts over with the defaults after a reset.
  ResetCommonState();
  EXPECT_EQ(HotKeyText(kCtrl, 'W'), QString());
}

TEST_F(HotKeyFile, AFileSavedAsUtf8IsRefusedAndTheDefaultsStay) {
  for (const char* fixture : {"Key-utf8.Ini", "Key-bom.Ini"}) {
    prompt.calls.clear();
    QFile::remove(dir.filePath(QStringLiteral("Key.Ini")));
    installFixture(QStringLiteral("Key.Ini"), QString::fromUtf8(fixture));
    ModifierCode(QStringLiteral("CTRL"), QStringLiteral("W"), QStringLiteral("w"));
    EXPECT_FALSE(LoadHotKeys()) << fixture;
    ASSERT_EQ(prompt.calls.size(), 1) << fixture;
    const QString text = prompt.calls[0].text;
    EXPECT_TRUE(text.contains(dir.filePath(QStringLiteral("Key.Ini")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Big5 (CP950)")) && text.contains(QStringLiteral("iconv -f UTF-8 -t CP950")))
        << text.toStdString();
    EXPECT_EQ(HotKeyText(kCtrl, 'Q'), QString()) << fixture;  // nothing of the file
    EXPECT_EQ(HotKeyText(kCtrl, 'W'), QStringLiteral("w")) << fixture;
    EXPECT_EQ(HotKeyText(kAlt, '1'), QStringLiteral("┌")) << fixture;
  }
}

TEST_F(HotKeyFile, LinesAreCutByCharactersNeverInsideAPair) {
  HotKeyTable t;
  t.ApplyKeyLines({QStringLiteral("ALT+Q=a😀b")}, 2);
  EXPECT_EQ(t.HotKeyText(kAlt, 'Q'), QStringLiteral("a"));
  t.ApplyKeyLines({QStringLiteral("ALT+Q=")}, 2);
  EXPECT_EQ(t.HotKeyText(kAlt, 'Q'), QString());
}

TEST(HotKeys, ModifierColumns) {
  EXPECT_EQ(HotKeyColumn(false, false, false), -1);
  EXPECT_EQ(HotKeyColumn(true, false, false), 0);
  EXPECT_EQ(HotKeyColumn(false, true, false), 1);
  EXPECT_EQ(HotKeyColumn(true, true, false), 2);
  EXPECT_EQ(HotKeyColumn(false, false, true), 3);
  EXPECT_EQ(HotKeyColumn(true, false, true), 4);
  EXPECT_EQ(HotKeyColumn(false, true, true), 5);
  EXPECT_EQ(HotKeyColumn(true, true, true), -1);
}

TEST(HotKeys, PhysicalKeysToVirtualKeys) {
  // Linux input codes of a PC keyboard, row by row.
  const QString row1 = QStringLiteral("1234567890");
  for (int i = 0; i < 10; ++i) EXPECT_EQ(VirtualKeyFromEvdev(2 + i), row1[i].unicode());
  const QString q = QStringLiteral("QWERTYUIOP"), a = QStringLiteral("ASDFGHJKL"), z = QStringLiteral("ZXCVBNM");
  for (int i = 0; i < q.size(); ++i) EXPECT_EQ(VirtualKeyFromEvdev(16 + i), q[i].unicode());
  for (int i = 0; i < a.size(); ++i) EXPECT_EQ(VirtualKeyFromEvdev(30 + i), a[i].unicode());
  for (int i = 0; i < z.size(); ++i) EXPECT_EQ(VirtualKeyFromEvdev(44 + i), z[i].unicode());
  const int punct[][2] = {{41, 192}, {12, 189}, {13, 187}, {43, 220}, {26, 219}, {27, 221},
                          {39, 186}, {40, 222}, {51, 188}, {52, 190}, {53, 191}};
  for (const auto& p : punct) EXPECT_EQ(VirtualKeyFromEvdev(p[0]), p[1]) << p[0];
  // Enter, the left Shift, Space, F1 and beyond the keys are not hot keys.
  for (int code : {0, 1, 14, 15, 28, 29, 42, 54, 57, 59, 86, 200}) EXPECT_EQ(VirtualKeyFromEvdev(code), 0) << code;

  // X11 and Wayland scan codes are the input code + 8, and they win over the
  // symbol: Shift+1 is "!" on the "1" key; another layout's letter on the Q
  // key is still the Q key.
  EXPECT_EQ(VirtualKeyFromEvent(2 + 8, '!'), '1');
  EXPECT_EQ(VirtualKeyFromEvent(16 + 8, 'A'), 'Q');
  EXPECT_EQ(VirtualKeyFromEvent(39 + 8, ':'), 186);
  // Without a scan code the key symbol stands in, shifted symbols mapped back.
  const int symbols[][2] = {{'!', '1'}, {'@', '2'}, {')', '0'}, {'~', 192}, {'_', 189}, {'+', 187},
                            {'|', 220}, {'{', 219}, {'}', 221}, {':', 186}, {'"', 222}, {'<', 188},
                            {'>', 190}, {'?', 191}, {'A', 'A'}, {'5', '5'}, {0x01000004, 0}};
  for (const auto& s : symbols) EXPECT_EQ(VirtualKeyFromEvent(0, s[0]), s[1]) << s[0];
}
