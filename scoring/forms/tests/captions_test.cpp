// The scorer's caption table and the four scorer-only settings.
#include "scorer_fixture.h"

#include <set>

#include "common/errorlog.h"
#include "scoring/forms/scoreraccessors.h"
#include "scoring/forms/scorercaptions.h"

namespace {

using namespace scorertest;

class Captions : public ScorerFixture {
 protected:
  // The scorer's own windows, built but not loaded (loading starts work).
  QList<QPair<int, QWidget*>> Windows() {
    return {{scorer::kSheetForm, &plat::forms::get<scorer::成績單>()},
            {scorer::kForm3, &plat::forms::get<scorer::Form3>()},
            {scorer::kContinueForm, &plat::forms::get<scorer::直續測驗>()},
            {scorer::kEndForm, &plat::forms::get<scorer::是否結束>()},
            {scorer::kPrintingForm, &plat::forms::get<scorer::處理列印中>()},
            {scorer::kSavingForm, &plat::forms::get<scorer::處理存檔>()},
            {scorer::kEntryForm, &plat::forms::get<scorer::輸入資料>()}};
  }
};

TEST_F(Captions, TheTableHoldsElevenFormsAndTheirTexts) {
  std::set<int> numbers;
  int texts = 0, tips = 0;
  for (const common::FormCaptions& f : scorer::ScorerCaptionTable()) {
    numbers.insert(f.formNumber);
    EXPECT_EQ(f.fonts.value(0), QString()) << f.formNumber;  // the form's own font first
    for (const common::CaptionText& t : f.texts) {
      EXPECT_TRUE(common::StoreHasId(t.number)) << t.number;
      ++texts;
      tips += t.property == common::TextProperty::ToolTip;
    }
  }
  EXPECT_EQ(numbers, (std::set<int>{8, 11, 15, 16, 17, 18, 19, 20, 21, 22, 23}));
  EXPECT_EQ(texts, 75);
  EXPECT_EQ(tips, 9);
  EXPECT_EQ(scorer::ScorerCaptions(14), nullptr);
  EXPECT_EQ(scorer::ScorerCaptions(24), nullptr);
}

TEST_F(Captions, EveryWindowShowsItsStoreTextsAndGetsTheLocaleFont) {
  ASSERT_EQ(common::LoadSettings(), common::LoadResult::Ok);
  for (const auto& [number, window] : Windows()) {
    SCOPED_TRACE(number);
    const common::FormCaptions* table = scorer::ScorerCaptions(number);
    ASSERT_NE(table, nullptr);
    scorer::ApplyFormText(number, window);
    for (const QString& name : table->fonts) {
      QWidget* w = common::FindControl(window, name);
      ASSERT_NE(w, nullptr) << name.toStdString();
      EXPECT_EQ(w->property(common::kFontCharsetProperty).toInt(), 136) << name.toStdString();
    }
    for (const common::CaptionText& t : table->texts) {
      QWidget* w = common::FindControl(window, t.control);
      ASSERT_NE(w, nullptr) << t.control.toStdString();
      const QString want = common::SystemIniValue(t.number).asText();
      EXPECT_FALSE(want.isEmpty()) << t.number;  // the shipped file gives every text
      QString have;
      if (t.property == common::TextProperty::ToolTip) {
        have = w->toolTip();
      } else if (w->isWindow()) {
        have = w->windowTitle();
      } else if (auto* l = qobject_cast<QLabel*>(w)) {
        have = l->text();
      } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        have = b->text();
      }
      EXPECT_EQ(have, want) << t.number;
    }
  }
  QStringList log;
  plat::readTextLines(common::ErrorReportPath(), log);
  EXPECT_FALSE(log.join(u'\n').contains("ApplyFormText"));  // no control was missing
}

TEST_F(Captions, TheContinueQuestionBorrowsTheSetUpScreensButtonTexts) {
  common::SystemIniValue(10111, QStringLiteral("開始"));
  common::SystemIniValue(11202, QStringLiteral("不要"));
  common::SystemIniValue(10119, QStringLiteral("連絡我們"));
  common::SystemIniValue(10123, QStringLiteral("再測一次"));
  auto& q = plat::forms::get<scorer::直續測驗>();
  scorer::ApplyFormText(scorer::kContinueForm, &q);
  EXPECT_EQ(q.Command1->text(), "開始");
  EXPECT_EQ(q.Command2->text(), "不要");
  EXPECT_EQ(q.Command3->text(), "連絡我們");
  EXPECT_EQ(q.Command1->toolTip(), "再測一次");
  EXPECT_EQ(q.Command2->toolTip(), "");
}

TEST_F(Captions, AnEmptyTextEmptiesAndANumberOutsideTheTableChangesNothing) {
  auto& f = plat::forms::get<scorer::輸入資料>();
  const QString design = f.Command7->text();
  ASSERT_FALSE(design.isEmpty());
  for (int outside : {1, 14, 24, 0, -1}) scorer::ApplyFormText(outside, &f);
  EXPECT_EQ(f.Command7->text(), design);
  scorer::ApplyFormText(scorer::kEntryForm, &f);  // nothing loaded: every text empty
  EXPECT_EQ(f.Command7->text(), "");
  EXPECT_EQ(f.windowTitle(), "");
}

TEST_F(Captions, AnotherLocaleKeepsTheCaptionsAndOnlyChangesTheFont) {
  common::SetUserDefaultLcid(1033);
  common::SystemIniValue(12304, QStringLiteral("執行評分"));
  auto& f = plat::forms::get<scorer::輸入資料>();
  scorer::ApplyFormText(scorer::kEntryForm, &f);
  EXPECT_EQ(f.Command7->text(), "執行評分");
  EXPECT_EQ(f.Command7->property(common::kFontCharsetProperty).toInt(), 1);
}

// ---- settings read only by the scorer -------------------------------------

class ScorerSettings : public ScorerFixture {
 protected:
  void SetUp() override {
    ScorerFixture::SetUp();
    common::SeedSettingDefaults();
  }
};

TEST_F(ScorerSettings, DefaultsAndTheSettingsFilesRules) {
  EXPECT_EQ(scorer::GetScorerText(), "*╳>△^▽");
  EXPECT_EQ(scorer::GetScorerRatioA(), 0.5f);
  EXPECT_EQ(scorer::GetScorerRatioB(), 1.0f);
  EXPECT_EQ(scorer::ScorerByteSetting(), 0);

  common::ApplySetting(300, QStringLiteral("12345"));  // five characters: ignored
  EXPECT_EQ(scorer::GetScorerText(), "*╳>△^▽");
  common::ApplySetting(300, QStringLiteral("#＃@＠~～"));
  EXPECT_EQ(scorer::GetScorerText(), "#＃@＠~～");

  for (const char* notAbove0 : {"0", "-2", "x"}) {
    common::ApplySetting(301, QString::fromLatin1(notAbove0));
    EXPECT_EQ(scorer::GetScorerRatioA(), 1.0f) << notAbove0;
  }
  common::ApplySetting(301, QStringLiteral("0.75"));
  EXPECT_EQ(scorer::GetScorerRatioA(), 0.75f);
  common::ApplySetting(303, QStringLiteral("2.5"));
  EXPECT_EQ(scorer::GetScorerRatioB(), 2.5f);
}

TEST_F(ScorerSettings, TheByteSettingStoresBelow250AndIgnoresAValueThatIsNoByte) {
  EXPECT_EQ(scorer::ScorerByteSetting(249), 249);
  EXPECT_EQ(scorer::ScorerByteSetting(250), 249);
  EXPECT_EQ(scorer::ScorerByteSetting(255), 249);
  EXPECT_EQ(scorer::ScorerByteSetting(1), 1);
  // "300" or "-1" in the file keep the value and are logged; the rest of
  // the file still loads.
  for (const char* bad : {"300", "-1"}) {
    common::ApplySetting(307, QString::fromLatin1(bad));
    EXPECT_EQ(scorer::ScorerByteSetting(), 1) << bad;
  }
  QStringList log;
  ASSERT_TRUE(plat::readTextLines(common::ErrorReportPath(), log));
  EXPECT_TRUE(log.join(u'\n').contains("307"));
  common::ApplySetting(307, QStringLiteral("1"));
  EXPECT_EQ(scorer::ScorerByteSetting(), 1);
}

}  // namespace
