#include "scoring/engine/compute.h"

#include <algorithm>

#include "common/errorlog.h"
#include "common/utilities.h"
#include "platform/core/compat.h"
#include "platform/core/prompt.h"

namespace scoring {

namespace {

QString Text(const ScoreSettings& s, int id) { return s.text ? s.text(id) : QString(); }

QChar Marker(const ScoreSettings& s, int index) {
  return index < s.markers.size() ? s.markers[index] : QChar(u'*');
}

bool DoubleByte(QChar c) { return c.unicode() >= 0x80; }

// A value read back from its display text, as the stored results are.
float ReadBack(const QString& text) { return static_cast<float>(plat::ValNumber(text)); }

QString Num(float v) { return plat::NumberText(double(v), 7); }

}  // namespace

float ElapsedSeconds(float startTime, float endTime) {
  float d = endTime - startTime;
  if (d < 0) d += 86400.0f;
  return d;
}

std::vector<LinePair> BuildPairList(const CompareTables& t) {
  std::vector<LinePair> list;
  list.reserve(size_t(t.typedLineCount) + size_t(t.testLineCount));
  int highest = 0;
  for (int r = 1; r <= t.typedLineCount; ++r) {
    const int p = t.typedMarks.Get(r, 0, kLayerPartner);
    list.push_back({p, r});
    highest = std::max(highest, p);
  }
  for (int v = 1; v <= highest; ++v) {
    if (std::any_of(list.begin(), list.end(), [v](const LinePair& e) { return e.test == v; })) continue;
    bool placed = false;
    if (v == 1) {
      if (list.size() >= 2 && list[0].test == 0 && list[1].test == 2) {
        list[0].test = 1;
        placed = true;
      }
    } else {
      for (size_t r = 1; r < list.size(); ++r) {
        if (list[r].test == 0 && list[r - 1].test == v - 1) {
          list[r].test = v;
          placed = true;
          break;
        }
      }
    }
    if (!placed) {
      auto at = std::find_if(list.begin(), list.end(), [v](const LinePair& e) { return e.test > v; });
      list.insert(at, {v, 0});
    }
  }
  return list;
}

ScoreOutcome ComputeScore(Matcher& m, const ScoreSettings& s, float startTime, float endTime, EngineLog& log) {
  ScoreOutcome out;
  CompareTables& t = m.tables();
  Results& r = out.results;
  float netTotal = 0, rightTotal = 0, wrongTotal = 0;
  int testTotal = 0, typedTotal = 0;
  const QString blankSingle = QStringLiteral(" ");
  const QString blankDouble = QStringLiteral("\u3000");

  log.ErrorLog(QStringLiteral("處理成績計算-清除宣告變數"));
  try {
    log.ErrorLog(QStringLiteral("處理成績計算-順序排序比較"));
    const std::vector<LinePair> pairs = BuildPairList(t);
    log.ErrorLog(QStringLiteral("處理成績計算-建立外層迥圈"));
    int iterations = 0;
    // The list holds at most 160 typed lines plus the test lines placed
    // between them; every entry is scored.
    for (const LinePair& pair : pairs) {
      if (++iterations > 500) {
        log.ErrorLog(QStringLiteral("處理成績計算-超過安全範圍的程式"));
        out.loopGuardHit = true;
        break;
      }
      PairResult pr;
      pr.test = pair.test;
      pr.typed = pair.typed;
      m.GetTestLine(pair.test);
      if (pair.test != 0) testTotal += t.lines.Get(pair.test, kTestCharCount);
      m.GetTypedLine(pair.typed);
      const int typedChars = pair.typed != 0 ? t.lines.Get(pair.typed, kTypedCharCount) : 0;
      const int testChars = pair.test != 0 ? t.lines.Get(pair.test, kTestCharCount) : 0;
      float right = float(typedChars);
      float wrong = 0;
      const QStringView testLine = m.testLine();
      const QStringView typedLine = m.typedLine();
      const int tl = m.testLength();
      const int yl = m.typedLength();

      out.listing << QString(68, u'-') + QString::number(testChars) + u'/' + QString::number(testTotal);
      out.listing << Text(s, 13951) + plat::FormatNumber(pair.test, u"000") + Text(s, 13952) + testLine.toString();
      out.listing << Text(s, 13951) + plat::FormatNumber(pair.typed, u"000") + Text(s, 13952) + typedLine.toString();

      const int testCode = t.testMarks.Code(pair.test);
      const int typedCode = t.typedMarks.Code(pair.typed);
      const bool whole = testCode == kCodeIdentical || typedCode == kCodeIdentical ||
                         (testCode == kCodeIdenticalBack && typedCode == kCodeIdenticalBack);
      if (!whole) {
        const bool typedEmpty = yl == 0;
        QString testMarked, typedMarked;
        if (pair.test != 0) {
          bool inRun = false;
          for (int p = 1; p <= tl; ++p) {
            const QChar c = p <= testLine.size() ? testLine[p - 1] : QChar(u' ');
            if (t.testMarks.Get(pair.test, p, kLayerPartner) != 0) {
              ++pr.matchedTest;
              if (typedEmpty)
                testMarked += Marker(s, DoubleByte(c) ? 5 : 4);
              else
                testMarked += DoubleByte(c) ? blankDouble : blankSingle;
              inRun = false;
            } else {
              ++pr.missing;
              if (!inRun) ++pr.missingRuns;
              inRun = true;
              testMarked += Marker(s, DoubleByte(c) ? 1 : 0);
              t.lineMarkText[size_t(pair.test)] += c;
            }
          }
        }
        {
          bool extraRun = false, shiftRun = false, dropRun = false;
          int previousPartner = -1;
          for (int q = 1; q <= yl; ++q) {
            const QChar c = q <= typedLine.size() ? typedLine[q - 1] : QChar(u' ');
            const int partner = t.typedMarks.Get(pair.typed, q, kLayerPartner);
            if (partner != 0) {
              ++pr.matchedTyped;
              extraRun = false;
              if (previousPartner >= 0 && partner < previousPartner) {
                if (!dropRun) ++pr.backJumps;
                dropRun = true;
              } else {
                dropRun = false;
              }
              previousPartner = partner;
              if (partner != q) {
                if (!shiftRun) ++pr.shiftedRuns;
                shiftRun = true;
                typedMarked += Marker(s, DoubleByte(c) ? 3 : 2);
              } else {
                shiftRun = false;
                typedMarked += DoubleByte(c) ? blankDouble : blankSingle;
              }
            } else {
              ++pr.extra;
              if (!extraRun) ++pr.extraRuns;
              extraRun = true;
              shiftRun = false;
              typedMarked += Marker(s, DoubleByte(c) ? 1 : 0);
            }
          }
        }
        out.listing << Text(s, 13953) + testMarked;
        out.listing << Text(s, 13954) + typedMarked;
        typedTotal += typedChars;

        const int mt = pr.matchedTest, my = pr.matchedTyped;
        const bool eqLen = tl == yl, testShorter = tl < yl, testLonger = tl > yl;
        int caseNo;
        if (eqLen && mt == my)
          caseNo = 10, right = float(mt), wrong = float(pr.missing);
        else if (testShorter && mt == my && mt > 0)
          caseNo = 20, right = float(mt), wrong = float(pr.extra);
        else if (testLonger && mt == my && mt > 0)
          caseNo = 30, right = float(mt), wrong = float(pr.missing);
        else if (eqLen && mt < my)
          caseNo = 40, right = float(mt), wrong = float(pr.missing);
        else if (eqLen && mt > my)
          caseNo = 50, right = float(mt), wrong = float(pr.shiftedRuns);
        else if (testShorter && mt < my)
          caseNo = 60, right = float(mt), wrong = float(pr.extra);
        else if (testShorter && mt > my)
          caseNo = 70;  // counts stay: the typed line's characters, no error
        else if (testLonger && mt > my)
          caseNo = 80, right = float(mt), wrong = float(pr.extra);
        else if (testLonger && mt < my)
          caseNo = 90, right = float(mt), wrong = float(pr.extra);
        else if (mt > 0 || my > 0 || pr.missing > 0)
          caseNo = 99, right = float(mt), wrong = float(pr.missing);
        else
          caseNo = 98, right = 0, wrong = float(pr.extra);
        pr.caseNo = caseNo;
        wrong += float(pr.backJumps);
        if (pair.test != 0 && BeginsParagraph(testLine) && testLine.startsWith(u'\u3000') &&
            typedLine.startsWith(u'\u3000'))
          right -= float(t.lines.Get(pair.test, kTestLength) - testChars);
      } else {
        typedTotal += typedChars;
      }

      float net = 0;
      if (yl > 0 || pair.test != 0) {
        const float weighted = s.ratioA * wrong;
        net = weighted <= right ? right - weighted : 0.0f;
      } else {
        wrong = s.ratioB;
        net = 0;
      }
      if (net < 1) net = 0;
      if (right < 1) right = 0;
      if (wrong < 1) wrong = 0;
      pr.right = right;
      pr.wrong = wrong;
      pr.net = net;
      netTotal += net;
      rightTotal += right;
      wrongTotal += wrong;

      out.listing << Text(s, 13957) + plat::FormatSingle(net, u"##0.0") + u'/' + plat::FormatSingle(netTotal, u"##0.0") +
                         QStringLiteral("  ") + Text(s, 13958) + Num(right) + u'/' + Num(rightTotal) +
                         QStringLiteral("  ") + Text(s, 13959) + Num(wrong) + u'/' + Num(wrongTotal) +
                         QStringLiteral("  ") + QString::number(typedChars) + u'/' + QString::number(typedTotal);
      log.CrsLog(QStringLiteral("T%1 Y%2 C%3 MT%4 MY%5 MS%6 EX%7 BJ%8 SR%9 R%10 W%11 N%12")
                     .arg(pr.test)
                     .arg(pr.typed)
                     .arg(pr.caseNo)
                     .arg(pr.matchedTest)
                     .arg(pr.matchedTyped)
                     .arg(pr.missing)
                     .arg(pr.extra)
                     .arg(pr.backJumps)
                     .arg(pr.shiftedRuns)
                     .arg(Num(right), Num(wrong), Num(net)));
      out.pairs.push_back(pr);
    }
    log.ErrorLog(QStringLiteral("處理成績計算-結束外層迥圈"));

    r.correct = rightTotal;
    r.errors = wrongTotal;
    if (s.ratioA > 0) r.errors = ReadBack(plat::FormatSingle(wrongTotal * s.ratioA, u"0.0"));
    r.net = ReadBack(plat::FormatSingle(netTotal, u"##0.0"));
    float accuracy = 0;
    if (r.correct > 0) accuracy = (1.0f - r.errors / (r.correct + r.errors)) * 100.0f;
    if (accuracy <= 0) accuracy = 0;
    r.accuracy = ReadBack(plat::FormatSingle(accuracy, u"##0.00"));
    r.errorRate = ReadBack(plat::FormatSingle(100.0f - accuracy, u"##0.00"));
    const float minutes = ElapsedSeconds(startTime, endTime) / 60.0f;
    r.minutesText = plat::FormatSingle(minutes, u"#0.00");
    const float readMinutes = ReadBack(r.minutesText);
    if (readMinutes <= 0) {
      // No time to divide by: no speed, and no error box either.
      r.speed = 0;
      log.ErrorLog(QStringLiteral("處理成績計算-測驗時間為零,速度記為0"));
    } else {
      float speed = r.net / readMinutes;
      if (speed <= 0) speed = 0;
      r.speed = ReadBack(plat::FormatSingle(speed, u"##0.0"));
    }
    log.ErrorLog(QStringLiteral("處理計算成績出來..."));
  } catch (const std::exception& e) {
    const int number = dynamic_cast<const TableIndexError*>(&e) ? 9 : common::kOverflow;
    const QString desc = common::RuntimeErrorText(number);
    plat::prompt().Ask(QStringLiteral("錯誤訊息:") + desc + QStringLiteral("\n\r錯誤代碼:") + QString::number(number) +
                           QStringLiteral("\n\r錯誤行號:0\n\r錯誤檔名:score\n\r"),
                       common::ProgramTitle(), plat::Buttons::Ok);
    log.ErrorLog(QStringLiteral("X0000 xZet_Exit_PartCompare >Error>") + desc + QStringLiteral(" Number>") +
                 QString::number(number) + QStringLiteral(" 0 Source>score"));
  }
  return out;
}

TextLoadNotes LoadTexts(CompareTables& t, const QStringList& typedLines, const QStringList& testLines) {
  TextLoadNotes notes;
  t.Reset();
  for (const QString& line : typedLines) {
    if (t.typedLineCount >= kMaxLines) {
      notes.typedStopped = true;
      break;
    }
    if (line.size() > kMaxColumn) {
      ++notes.cutTypedLines;
      t.AppendLine(Side::Typed, line.left(kMaxColumn));
    } else {
      t.AppendLine(Side::Typed, line);
    }
  }
  t.CloseText(Side::Typed);
  for (const QString& line : testLines) {
    if (t.testLineCount >= kMaxLines) {
      notes.testStopped = true;
      break;
    }
    if (line.size() > 255) ++notes.longTestLines;
    t.AppendLine(Side::Test, line);
  }
  t.CloseText(Side::Test);
  return notes;
}

ScoreOutcome ScoreLines(CompareTables& tables, const QStringList& testLines, const QStringList& typedLines,
                        const ScoreSettings& settings, float startTime, float endTime, MatchOptions options,
                        EngineLog* log, ProgressSink* progress) {
  NullLog nullLog;
  NullProgress nullProgress;
  EngineLog& l = log ? *log : nullLog;
  ProgressSink& p = progress ? *progress : nullProgress;
  LoadTexts(tables, typedLines, testLines);
  Matcher m(tables, options);
  m.RunPasses(p, l);
  return ComputeScore(m, settings, startTime, endTime, l);
}

}  // namespace scoring
