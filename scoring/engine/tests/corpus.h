#pragma once
// Seeded records of Big5 level-1 characters for the equivalence tests and
// the benchmark: a test text of lines x width characters and a typing of it
// with a given rate of errors (substitutions, insertions, deletions,
// transpositions, skipped, split and merged lines, a stop in mid-line).
#include <QString>
#include <QStringList>
#include <random>
#include <vector>

#include "platform/core/codec.h"

namespace scoring::corpus {

// The level-1 characters 0xA440..0xC67E, decoded once.
inline const std::vector<QChar>& LevelOne() {
  static const std::vector<QChar> chars = [] {
    std::vector<QChar> out;
    for (int lead = 0xA4; lead <= 0xC6; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail > 0x7E && trail < 0xA1) continue;
        if (lead == 0xC6 && trail > 0x7E) break;
        const char b[2] = {char(lead), char(trail)};
        int bad = 0;
        const QString s = plat::fromCp950(QByteArrayView(b, 2), &bad);
        if (bad == 0 && s.size() == 1) out.push_back(s[0]);
      }
    }
    return out;
  }();
  return chars;
}

struct Record {
  QStringList test;
  QStringList typed;
};

enum class Kind { Typing, Garbage, Repeated };

struct Spec {
  int lines = 20;
  int width = 30;
  double errorRate = 0.02;  // per character
  Kind kind = Kind::Typing;
  unsigned seed = 1;
};

inline Record Make(const Spec& spec) {
  std::mt19937 rng(spec.seed);
  const auto& pool = LevelOne();
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  std::uniform_real_distribution<double> u(0, 1);
  auto randomLine = [&](int width) {
    QString s;
    for (int i = 0; i < width; ++i) s += pool[pick(rng)];
    return s;
  };
  Record r;
  const QChar repeated = pool[pick(rng)];
  for (int i = 0; i < spec.lines; ++i)
    r.test << (spec.kind == Kind::Repeated ? QString(spec.width, repeated) : randomLine(spec.width));
  if (spec.kind == Kind::Garbage) {
    for (int i = 0; i < spec.lines; ++i) r.typed << randomLine(spec.width);
    return r;
  }
  const double p = spec.errorRate;
  for (int i = 0; i < spec.lines; ++i) {
    if (p > 0 && u(rng) < p) continue;  // a skipped line
    QString line;
    const QString& src = r.test[i];
    for (int c = 0; c < src.size(); ++c) {
      const double x = u(rng);
      if (x < p * 0.4) {
        line += pool[pick(rng)];  // substitution
      } else if (x < p * 0.6) {
        // deletion
      } else if (x < p * 0.8) {
        line += src[c];
        line += pool[pick(rng)];  // insertion
      } else if (x < p && c + 1 < src.size()) {
        line += src[c + 1];  // transposition
        line += src[c];
        ++c;
      } else {
        line += src[c];
      }
    }
    const double y = u(rng);
    if (p > 0 && y < p && line.size() > 4) {
      const int at = int(line.size() / 2);  // a split line
      r.typed << line.left(at) << line.mid(at);
    } else if (p > 0 && y < 2 * p && !r.typed.isEmpty() && r.typed.last().size() + line.size() <= 60) {
      r.typed.last() += line;  // merged with the line before
    } else {
      r.typed << line;
    }
  }
  if (p > 0 && !r.typed.isEmpty() && r.typed.last().size() > 2)
    r.typed.last().truncate(r.typed.last().size() * 2 / 3);  // the time ran out
  while (r.typed.size() > 160) r.typed.removeLast();
  return r;
}

}  // namespace scoring::corpus
