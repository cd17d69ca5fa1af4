// The matcher on recordings made up from the shipped parts, so that each
// fault the playback tests look for is known to be seen: a part heard whole,
// one whose start is lost, a pause, a scrap played again, a stutter, a
// quiet part, sound that is none of the parts.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/sound/hearing.h"
#include "tests/sound/sound.h"

namespace sound {
namespace {

using Pcm = std::vector<qint16>;

class HearingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const char* n : {"01", "02", "03"}) {
      QString error;
      Part p{QString::fromLatin1(n), Decode(QStringLiteral(SAMPLE_DIR "/T0001-%1.wma").arg(QLatin1String(n)), &error)};
      ASSERT_FALSE(p.pcm.empty()) << error.toStdString();
      parts_.push_back(std::move(p));
    }
  }
  static Pcm Silence(double s) { return Pcm(static_cast<size_t>(s * kRate), 0); }
  static Pcm Slice(int part, double from, double to) {
    const Pcm& p = parts_[part].pcm;
    const size_t a = std::min(p.size(), static_cast<size_t>(from * kRate));
    const size_t b = std::min(p.size(), static_cast<size_t>(to * kRate));
    return Pcm(p.begin() + static_cast<std::ptrdiff_t>(a), p.begin() + static_cast<std::ptrdiff_t>(b));
  }
  static Pcm Whole(int part) { return parts_[part].pcm; }
  static Pcm Join(std::initializer_list<Pcm> pieces) {
    Pcm out;
    for (const Pcm& p : pieces) out.insert(out.end(), p.begin(), p.end());
    return out;
  }
  static double Length(int part) { return static_cast<double>(parts_[part].pcm.size()) / kRate; }

  static std::vector<Part> parts_;
};
std::vector<Part> HearingTest::parts_;

TEST_F(HearingTest, TheDecodedPartsAreSpeechOfSomeSeconds) {
  for (const Part& p : parts_) {
    EXPECT_GT(p.pcm.size(), static_cast<size_t>(3 * kRate)) << p.name.toStdString();
    EXPECT_LT(p.pcm.size(), static_cast<size_t>(30 * kRate)) << p.name.toStdString();
  }
}

TEST_F(HearingTest, PartsPlayedWholeInTurnAreEachHeardWholeAndOnce) {
  const Pcm rec = Join({Silence(1.3), Whole(0), Silence(4), Whole(1), Silence(3.7), Whole(2), Silence(2)});
  const Hearing h = Match(rec, parts_);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(h.WhyNotWhole(i).isEmpty()) << h.WhyNotWhole(i).toStdString() << "\n" << h.Describe().toStdString();
  EXPECT_TRUE(h.WhyNotInOrder().isEmpty()) << h.WhyNotInOrder().toStdString();
  EXPECT_TRUE(h.foreign.empty()) << h.Describe().toStdString();
  ASSERT_EQ(h.Of(0).size(), 1u);
  // When it was heard and how far apart, within a frame or two.
  EXPECT_NEAR(h.Of(0)[0].at - h.Of(0)[0].from, 1.3, 0.05);
  EXPECT_NEAR(h.Gap(0) - (Length(0) - h.lastSound[0]) - h.firstSound[1], 4.0, 0.1);
  EXPECT_NEAR(h.Of(0)[0].levelDb, 0, 0.5);
}

TEST_F(HearingTest, EachFaultIsNamed) {
  struct Case {
    const char* what;
    Pcm recording;
    int part;
    const char* said;  // in WhyNotWhole; null: heard whole
  };
  // A scrap of 0.8 s, as a pause right at a part's end plays it again.
  const double end0 = Length(0);
  const std::vector<Case> cases = {
      {"the start lost", Join({Silence(1), Slice(1, 4.4, 99)}), 1, "first heard"},
      {"the end cut", Join({Silence(1), Slice(0, 0, end0 - 2.5)}), 0, "heard only to"},
      {"a scrap again", Join({Silence(1), Whole(0), Silence(0.5), Slice(0, end0 - 1.6, end0), Silence(2)}), 0,
       "twice"},
      {"a stretch skipped", Join({Silence(1), Slice(0, 0, 2.0), Slice(0, 4.0, 99)}), 0, "skipped"},
      {"quiet", Join({Silence(1), Whole(2)}), 2, "level"},
      {"not at all", Join({Silence(1), Whole(0)}), 1, "not heard"},
      {"a scrap again at once", Join({Silence(1), Slice(0, 0, 10.0), Slice(0, 9.2, 99)}), 0, "twice"},
      // A loaded machine: the stream runs dry for some frames in mid-word
      // and goes on where it stopped. Nothing is played twice.
      {"a dropout's gap", Join({Silence(1), Slice(1, 0, 4.66), Silence(0.09), Slice(1, 4.66, 99), Silence(1)}), 1,
       nullptr},
      {"another dropout's gap", Join({Silence(3.4), Slice(0, 0, 4.44), Silence(0.11), Slice(0, 4.44, 99)}), 0,
       nullptr},
      // The runs on either side start a second or more apart in the
      // recording; each must keep its own seconds.
      {"a dropout's gap early on", Join({Silence(2.45), Slice(0, 0, 3.75), Silence(0.09), Slice(0, 3.75, 99), Silence(1)}),
       0, nullptr},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.what);
    if (c.said && QString::fromLatin1(c.said) == QStringLiteral("level"))
      for (qint16& v : c.recording) v = static_cast<qint16>(v / 4);  // 12 dB down
    const Hearing h = Match(c.recording, parts_);
    const QString why = h.WhyNotWhole(c.part);
    EXPECT_TRUE(c.said ? why.contains(QLatin1String(c.said)) : why.isEmpty())
        << why.toStdString() << "\n" << h.Describe().toStdString();
  }
}

TEST_F(HearingTest, APauseSplitsThePartButKeepsItWhole) {
  const Pcm rec = Join({Silence(1), Slice(0, 0, 3.03), Silence(2.5), Slice(0, 3.03, 99), Silence(1)});
  const Hearing h = Match(rec, parts_);
  EXPECT_TRUE(h.WhyNotWhole(0).isEmpty()) << h.WhyNotWhole(0).toStdString() << "\n" << h.Describe().toStdString();
  ASSERT_EQ(h.Of(0).size(), 2u) << h.Describe().toStdString();
  EXPECT_NEAR(h.Of(0)[1].at - h.Of(0)[0].at, 3.03 - h.Of(0)[0].from + 2.5 + (h.Of(0)[1].from - 3.03), 0.1);
}

TEST_F(HearingTest, AStutterAndANoiseAreForeignSound) {
  // A stutter: 80 ms scraps of the part's start, each played three times.
  Pcm stutter;
  for (double s = 0.3; s < 2.0; s += 0.08)
    for (int i = 0; i < 3; ++i) {
      const Pcm p = Slice(1, s, s + 0.08);
      stutter.insert(stutter.end(), p.begin(), p.end());
    }
  Pcm tone = Silence(1.0);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<qint16>(8000 * std::sin(i * 2 * M_PI * 440 / kRate));
  const Pcm rec = Join({Silence(1), stutter, Whole(1), Silence(1), tone, Silence(1)});
  const Hearing h = Match(rec, parts_);
  ASSERT_GE(h.foreign.size(), 2u) << h.Describe().toStdString();
  EXPECT_LT(h.foreign.front().from, 1.5);
  EXPECT_NEAR(h.foreign.back().from, rec.size() / double(kRate) - 2.0, 0.2);
  EXPECT_FALSE(h.WhyNotWhole(1).isEmpty() && h.Of(1).size() == 1 && h.Of(1)[0].at < 1.2)
      << h.Describe().toStdString();
}

}  // namespace
}  // namespace sound
