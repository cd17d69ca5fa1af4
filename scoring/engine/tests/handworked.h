#pragma once
// Whole records worked out by hand from the matching and counting rules.
// Each case gives the test text, the typed lines and the six results; the
// comments say which pass and which counting case decide them.
#include <QString>
#include <QStringList>
#include <ostream>

namespace scoring::handworked {

struct Expected {
  float correct, errors, net, accuracy, errorRate, speed;
};

struct Fixture {
  const char* name;
  QStringList test;
  QStringList typed;
  float start, end;
  Expected expect;
};

inline void PrintTo(const Fixture& f, std::ostream* os) { *os << f.name; }

inline QStringList Lines(std::initializer_list<const char16_t*> l) {
  QStringList out;
  for (const char16_t* s : l) out << QString::fromUtf16(s);
  return out;
}

// Twelve test lines of ten distinct characters; typed lines 1, 3, 5, 7, 9
// and 11 carry one inserted character after their fourth.
inline QStringList CheckText() {
  const QString pool = QStringLiteral(
      "的一是在不了有和人這中大為上個國我以要他時來用們生到作地於出就分對成會可主發年動同工也能下過子說產種面而方後多定行學法所民得經"
      "十三之進著等部度家電力裡如水化高自二理起小物現實加量都兩體制機當使點從業本去把性好應開它合還因由其些然前外天政四日那社義事平形相");
  QStringList lines;
  for (int i = 0; i < 12; ++i) lines << pool.mid(i * 10, 10);
  return lines;
}
inline QStringList CheckTyped() {
  QStringList typed = CheckText();
  for (int i = 0; i < 12; i += 2) typed[i].insert(4, QChar(u'鬱'));
  return typed;
}

// 160 lines of 30 characters typed without a fault: the row after the last
// line holds the end of the joined text.
inline QStringList HundredSixty() {
  QStringList lines;
  for (int i = 0; i < 160; ++i) {
    QString l;
    for (int c = 0; c < 30; ++c) l += QChar(0x4E00 + i * 30 + c);
    lines << l;
  }
  return lines;
}

inline const Fixture kFixtures[] = {
    // Pass A pairs both lines (code 11): taken whole, 20 right.
    {"identical", Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), 0, 120,
     {20, 0, 20, 100, 0, 10}},
    // The anchor grows ABC to ABCD; pass D realigns FGHIJ. Case 10: right 9,
    // wrong 1 (weighted 0.5). Speed 8.5 / 2.00 = 4.25 is a tie: "4.3".
    {"substitution", Lines({u"ABCDEFGHIJ"}), Lines({u"ABCDXFGHIJ"}), 0, 120, {9, 0.5f, 8.5f, 94.74f, 5.26f, 4.3f}},
    // Pass E finds FGHIJ one place left; the typed line ends at code 55.
    // Case 30 (test longer): right 9, wrong = the missing E.
    {"deletion", Lines({u"ABCDEFGHIJ"}), Lines({u"ABCDFGHIJ"}), 0, 120, {9, 0.5f, 8.5f, 94.74f, 5.26f, 4.3f}},
    // Pass E finds EFGHIJ one place right. Case 20 (test shorter): right 10,
    // wrong = the extra X. Speed 9.5 / 2 = 4.75: "4.8".
    {"insertion", Lines({u"ABCDEFGHIJ"}), Lines({u"ABCDXEFGHIJ"}), 0, 120, {10, 0.5f, 9.5f, 95.24f, 4.76f, 4.8f}},
    // Line 2 is skipped: it gets a pair of its own without typing, case 99,
    // wrong 10.
    {"skipped line", Lines({u"ABCDEFGHIJ", u"KLMNOPQRST", u"UVWXYZabcd"}), Lines({u"ABCDEFGHIJ", u"UVWXYZabcd"}), 0,
     120, {20, 5, 20, 80, 20, 10}},
    // The last line stops after five characters: pass J cuts the test line
    // to the five reached, so its rest is not missing.
    {"stop in mid-line", Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), Lines({u"ABCDEFGHIJ", u"KLMNO"}), 0, 120,
     {15, 0, 15, 100, 0, 7.5f}},
    // The indented test line is anchored at its third character; the two
    // full-width blanks not typed count as missing (case 30, wrong 2).
    {"indent not typed", Lines({u"　　今天天氣很好我們去公園"}), Lines({u"今天天氣很好我們去公園"}), 0, 120,
     {11, 1, 10, 91.67f, 8.33f, 5}},
    // Both indented, the last character wrong: case 10 gives 12 right, less
    // the two matched blanks of the indent.
    {"indented line with an error", Lines({u"　　今天天氣很好我們去公園"}), Lines({u"　　今天天氣很好我們去公圓"}), 0,
     120, {10, 0.5f, 9.5f, 95.24f, 4.76f, 4.8f}},
    // Nothing typed: no pairs at all.
    {"empty typing", Lines({u"ABCDEFGHIJ"}), QStringList(), 0, 120, {0, 0, 0, 0, 100, 0}},
    // 29 right, 6 wrong: accuracy (1 - 3/32) x 100 = 90.625 and error rate
    // 9.375 are ties, rounded away from zero.
    {"two-decimal tie", Lines({u"ABCDEFGHIJ", u"KLMNOPQRST", u"uvwxy", u"UVWXYZabcd"}),
     Lines({u"ABCDEFGHIJ", u"KLMNOXQRST", u"UVWXYZabcd"}), 0, 300, {29, 3, 28.5f, 90.63f, 9.38f, 5.7f}},
    // A blank test line the typist (rightly) did not type costs nothing.
    {"blank test line", Lines({u"ABCDEFGHIJ", u"", u"KLMNOPQRST"}), Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), 0, 120,
     {20, 0, 20, 100, 0, 10}},
    // An extra typed line of ten characters costs its ten characters
    // (case 98), whatever the length of the line scored before it.
    {"extra typed line", Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), Lines({u"ABCDEFGHIJ", u"0123456789", u"KLMNOPQRST"}), 0,
     120, {20, 5, 20, 80, 20, 10}},
    // A short extra line: case 98 again, wrong 3.
    {"short extra line", Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), Lines({u"ABCDEFGHIJ", u"xyz", u"KLMNOPQRST"}), 0, 120,
     {20, 1.5f, 20, 93.02f, 6.98f, 10}},
    // The run crossed midnight: 23:59:00 to 00:01:00 is two minutes.
    {"across midnight", Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), 86340, 60,
     {20, 0, 20, 100, 0, 10}},
    // Start and end equal: no speed, no failure.
    {"zero minutes", Lines({u"ABCDEFGHIJ"}), Lines({u"ABCDEFGHIJ"}), 500, 500, {10, 0, 10, 100, 0, 0}},
    // Six insertions in twelve Chinese lines over five minutes: the example
    // of the check records, 120, 3, 117, 97.56, 2.44, 23.4.
    {"check record example", CheckText(), CheckTyped(), 32400, 32700, {120, 3, 117, 97.56f, 2.44f, 23.4f}},
    {"160 lines", HundredSixty(), HundredSixty(), 0, 600, {4800, 0, 4800, 100, 0, 480}},
};

}  // namespace scoring::handworked
