#include "tests/sound/hearing.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "tests/sound/sound.h"

namespace sound {

namespace {

constexpr int kFrame = kRate / 100;  // 10 ms
constexpr int kWindow = 100;         // frames matched at a time: a second
constexpr int kHop = 5;
constexpr double kFloorDb = -60;     // quieter counts as silence alike
constexpr double kMinCorrelation = 0.7;
constexpr int kLagSlack = 4;         // frames a run may drift between windows
constexpr double kMaxSpreadDb = 4.0;  // of a run's loudness about the file's
constexpr int kTolerance = 30;       // frames of a part's sound that may go unheard at an edge
constexpr double kMinReplay = 0.4;   // seconds: shorter is a dropout's gap, not sound played again

double Seconds(int frames) { return frames / 100.0; }

std::vector<double> Envelope(const std::vector<qint16>& pcm) {
  std::vector<double> env(pcm.size() / kFrame);
  for (size_t f = 0; f < env.size(); ++f) {
    double sum = 0;
    for (int i = 0; i < kFrame; ++i) {
      const double v = pcm[f * kFrame + i];
      sum += v * v;
    }
    const double db = sum > 0 ? 10 * std::log10(sum / kFrame / (32768.0 * 32768.0)) : -100;
    env[f] = std::max(db, kFloorDb);
  }
  return env;
}

// Mean and spread of each window of an envelope, for the correlation.
struct Windows {
  std::vector<double> mean, norm;
  std::vector<int> sounding;
};

Windows Measure(const std::vector<double>& env, const std::vector<bool>& sound) {
  Windows w;
  const int n = static_cast<int>(env.size()) - kWindow + 1;
  for (int o = 0; o < n; ++o) {
    double s = 0, s2 = 0;
    int k = 0;
    for (int i = 0; i < kWindow; ++i) {
      s += env[o + i];
      s2 += env[o + i] * env[o + i];
      k += sound[o + i];
    }
    const double mean = s / kWindow;
    w.mean.push_back(mean);
    w.norm.push_back(std::sqrt(std::max(0.0, s2 - kWindow * mean * mean)));
    w.sounding.push_back(k);
  }
  return w;
}

struct Candidate {
  int t = 0, part = -1, offset = 0;  // offset in the padded part envelope
};

struct Run {
  int part = 0;
  int lag = 0;     // recording frame = file frame + lag, at its start
  int latest = 0;  // the lag of its last window
  int first = 0, last = 0;  // windows' starts, recording frames
  int windows = 0;
};

}  // namespace

Hearing Match(const std::vector<qint16>& recording, const std::vector<Part>& parts) {
  Hearing h;
  h.length = static_cast<double>(recording.size()) / kRate;
  // Sound: within 40 dB of the loudest frame of the parts.
  std::vector<std::vector<double>> partEnv;
  double peak = kFloorDb;
  for (const Part& p : parts) {
    h.names << p.name;
    partEnv.push_back(Envelope(p.pcm));
    for (double v : partEnv.back()) peak = std::max(peak, v);
  }
  const double soundDb = std::max(kFloorDb + 5, peak - 40);
  // Below that all is alike: the coder's hiss must not steer the match.
  for (auto& e : partEnv)
    for (double& v : e) v = std::max(v, soundDb - 1);

  // Each part padded with a window of silence on both sides, so that the
  // start and the end of its sound match too.
  std::vector<std::vector<double>> padded;
  std::vector<std::vector<bool>> partSound;
  std::vector<Windows> partWindows;
  for (const auto& env : partEnv) {
    std::vector<double> p(kWindow, soundDb - 1);
    p.insert(p.end(), env.begin(), env.end());
    p.insert(p.end(), kWindow, soundDb - 1);
    std::vector<bool> s(p.size());
    for (size_t i = 0; i < p.size(); ++i) s[i] = p[i] > soundDb;
    std::vector<bool> fileSound(env.size());
    for (size_t i = 0; i < env.size(); ++i) fileSound[i] = env[i] > soundDb;
    const auto first = std::find(fileSound.begin(), fileSound.end(), true);
    const auto last = std::find(fileSound.rbegin(), fileSound.rend(), true);
    h.firstSound.push_back(Seconds(static_cast<int>(first - fileSound.begin())));
    h.lastSound.push_back(Seconds(static_cast<int>(fileSound.rend() - last)));
    partWindows.push_back(Measure(p, s));
    padded.push_back(std::move(p));
    partSound.push_back(std::move(fileSound));
  }

  std::vector<double> env = Envelope(recording);
  for (double& v : env) v = std::max(v, soundDb - 1);
  std::vector<bool> sound(env.size());
  for (size_t i = 0; i < env.size(); ++i) sound[i] = env[i] > soundDb;
  if (static_cast<int>(env.size()) < kWindow) return h;
  const Windows rec = Measure(env, sound);

  auto correlation = [&](int t, size_t k, int o) {
    const Windows& w = partWindows[k];
    if (o < 0 || o >= static_cast<int>(w.mean.size()) || w.sounding[o] < kWindow / 10 || w.norm[o] < 3) return -1.0;
    double dot = 0;
    const double* a = &env[t];
    const double* b = &padded[k][o];
    for (int i = 0; i < kWindow; ++i) dot += a[i] * b[i];
    return (dot - kWindow * rec.mean[t] * w.mean[o]) / (rec.norm[t] * w.norm[o]);
  };
  // The place of each window of the recording that has sound: where the
  // run before it goes on, if it does, else the best of all.
  std::vector<Candidate> found;
  for (int t = 0; t + kWindow <= static_cast<int>(env.size()); t += kHop) {
    if (rec.sounding[t] < kWindow / 5 || rec.norm[t] < 3) continue;
    // The best place of all, judged by its first second and a half: a
    // second alone (a part's start, a sound that breaks off) fits too
    // many places.
    const int ahead = std::min(kWindow / 2, static_cast<int>(env.size()) - kWindow - t);
    Candidate best;
    double bestScore = kMinCorrelation;
    for (size_t k = 0; k < padded.size(); ++k) {
      for (int o = 0; o < static_cast<int>(partWindows[k].mean.size()); ++o) {
        const double c = correlation(t, k, o);
        if (c < kMinCorrelation) continue;
        double later = c;
        if (ahead > 0 && rec.sounding[t + ahead] >= kWindow / 5)
          later = rec.norm[t + ahead] < 3 ? 0 : correlation(t + ahead, k, o + ahead);
        const double score = (c + later) / 2;
        if (score > bestScore) {
          bestScore = score;
          best = {t, static_cast<int>(k), o};
        }
      }
    }
    // Where the run before goes on, unless somewhere else fits clearly better.
    if (!found.empty() && t - found.back().t <= kWindow) {
      const Candidate last = found.back();
      const int expected = last.offset + (t - last.t);
      double bestC = std::max(kMinCorrelation, bestScore - 0.1);
      for (int d = -kLagSlack; d <= kLagSlack; ++d) {
        const double c = correlation(t, static_cast<size_t>(last.part), expected + d);
        if (c >= bestC) {
          bestC = c;
          best = {t, last.part, expected + d};
        }
      }
    }
    if (best.part >= 0) found.push_back(best);
  }

  // Windows that follow one another in one part's file make a run.
  std::vector<Run> runs;
  for (const Candidate& c : found) {
    const int lag = c.t - (c.offset - kWindow);
    if (!runs.empty()) {
      Run& r = runs.back();
      // A run follows its windows' drift, but only as far as its frames are
      // claimed at its lag: past that (a gap of some frames in mid-word) a
      // new run begins, or the run's first seconds would be no one's.
      if (r.part == c.part && std::abs(r.latest - lag) <= kLagSlack && std::abs(r.lag - lag) <= kLagSlack &&
          c.t - r.last <= kWindow) {
        r.latest = lag;
        r.last = c.t;
        ++r.windows;
        continue;
      }
    }
    runs.push_back({c.part, lag, lag, c.t, c.t, 1});
  }
  // A few windows that matched by chance are no run; their neighbours, if
  // they are one run, join again.
  std::erase_if(runs, [](const Run& r) { return r.windows < 5; });
  std::vector<Run> joined;
  for (const Run& r : runs) {
    if (!joined.empty() && joined.back().part == r.part && std::abs(joined.back().latest - r.lag) <= kLagSlack &&
        std::abs(joined.back().lag - r.latest) <= kLagSlack && r.first - joined.back().last <= 2 * kWindow) {
      joined.back().last = r.last;
      joined.back().latest = r.latest;
      joined.back().windows += r.windows;
    } else {
      joined.push_back(r);
    }
  }

  // A frame is a run's when its part's file sounds there, about as loud.
  auto fits = [&](const Run& r, int t) {
    const std::vector<bool>& fs = partSound[r.part];
    const int f = t - r.lag, n = static_cast<int>(fs.size());
    for (int d = -kLagSlack; d <= kLagSlack; ++d)
      if (f + d >= 0 && f + d < n && fs[f + d] && std::abs(env[t] - partEnv[r.part][f + d]) <= 8) return true;
    return false;
  };
  struct Claim {
    std::vector<int> frames;  // recording frames with sound that are the run's
    int from = -1, to = -1;   // file frames
    double diff = 0, loudDiff = 0, square = 0;
    int both = 0, loud = 0;
  };
  auto add = [&](const Run& r, Claim& c, int t) {
    c.frames.push_back(t);
    const int f = t - r.lag;
    if (f < 0 || f >= static_cast<int>(partSound[r.part].size()) || !partSound[r.part][f]) return;
    if (c.from < 0 || f < c.from) c.from = f;
    c.to = std::max(c.to, f + 1);
    const double d = env[t] - partEnv[r.part][f];
    c.diff += d;
    ++c.both;
    // The spread is taken where both are well above the hiss, whose
    // loudness no two decodings share.
    // Against the nearest of the file's neighbouring frames: a recording
    // lies a fraction of a frame off, which at a word's edge is many dB.
    if (env[t] > soundDb + 10 && partEnv[r.part][f] > soundDb + 10) {
      double near = d;
      for (int g : {f - 1, f + 1})
        if (g >= 0 && g < static_cast<int>(partEnv[r.part].size()) && std::abs(env[t] - partEnv[r.part][g]) < std::abs(near))
          near = env[t] - partEnv[r.part][g];
      c.loudDiff += near;
      c.square += near * near;
      ++c.loud;
    }
  };
  // The longest runs claim the recording first; a run whose sound is mostly
  // claimed already (a part's end that looks like a pause), or whose
  // loudness does not follow its file's (a chance likeness), is none.
  std::vector<size_t> order(joined.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return joined[a].windows > joined[b].windows; });
  std::vector<bool> explained(env.size());
  std::vector<bool> keep(joined.size());
  std::vector<Claim> claims(joined.size());
  for (size_t index : order) {
    const Run& r = joined[index];
    Claim c;
    int taken = 0;
    const int end = std::min(static_cast<int>(env.size()), r.last + kWindow);
    for (int t = r.first; t < end; ++t) {
      if (!sound[t] || !fits(r, t)) continue;
      taken += explained[t];
      add(r, c, t);
    }
    if (c.both == 0 || taken * 10 >= static_cast<int>(c.frames.size()) * 7) continue;
    const double mean = c.loud ? c.loudDiff / c.loud : 0;
    const double spread = c.loud ? std::sqrt(std::max(0.0, c.square / c.loud - mean * mean)) : 99;
    if (spread > kMaxSpreadDb) continue;
    for (int t : c.frames) explained[t] = true;
    keep[index] = true;
    claims[index] = std::move(c);
  }
  // A start that matched late: the run reaches back over the frames that
  // fit it, up to a second, never over another run's.
  for (size_t i = 0; i < joined.size(); ++i) {
    if (!keep[i]) continue;
    const Run& r = joined[i];
    for (int t = r.first - 1, silent = 0; t >= std::max(0, r.first - kWindow) && !explained[t]; --t) {
      if (!sound[t]) {
        if (++silent > 30) break;
        continue;
      }
      if (!fits(r, t)) break;
      silent = 0;
      explained[t] = true;
      add(r, claims[i], t);
    }
    const Claim& c = claims[i];
    h.stretches.push_back({r.part, Seconds(c.from), Seconds(c.to), Seconds(c.from + r.lag), c.diff / c.both});
  }

  // Sound no run explains, in stretches; one that holds less than 0.15 s of
  // such sound (a few edge frames of a run, a blip) is left out.
  for (int t = 0; t < static_cast<int>(env.size());) {
    if (!sound[t] || explained[t]) {
      ++t;
      continue;
    }
    int end = t;
    int gap = 0, unexplained = 0;
    for (int u = t; u < static_cast<int>(env.size()) && gap < 20; ++u) {
      if (sound[u] && !explained[u]) {
        end = u + 1;
        gap = 0;
        ++unexplained;
      } else {
        ++gap;
      }
    }
    if (unexplained >= 15) h.foreign.push_back({Seconds(t), Seconds(end)});
    t = end;
  }
  return h;
}

std::vector<Stretch> Hearing::Of(int part) const {
  std::vector<Stretch> out;
  for (const Stretch& s : stretches)
    if (s.part == part) out.push_back(s);
  return out;
}

QString Hearing::WhyNotWhole(int part, double cutAt) const {
  const std::vector<Stretch> runs = Of(part);
  const QString name = QStringLiteral("part ") + names.value(part);
  if (runs.empty()) return name + QStringLiteral(" not heard");
  const double slack = Seconds(kTolerance);
  if (runs.front().from > firstSound[part] + slack)
    return name + QStringLiteral(" first heard %1 s into the file (its sound starts at %2 s)")
                      .arg(runs.front().from, 0, 'f', 1)
                      .arg(firstSound[part], 0, 'f', 1);
  for (size_t i = 1; i < runs.size(); ++i) {
    // A replay sets the part's time line back by what it plays again. Runs
    // that overlap in the file but not so (a gap of a few frames on a loaded
    // machine, two runs that claim the same frames) are one hearing.
    const double setBack = (runs[i].at - runs[i].from) - (runs[i - 1].at - runs[i - 1].from);
    if (runs[i].from < runs[i - 1].to - slack && setBack >= kMinReplay)
      return name + QStringLiteral(" heard twice: %1–%2 s again at %3 s")
                        .arg(runs[i].from, 0, 'f', 1)
                        .arg(std::min(runs[i].to, runs[i - 1].to), 0, 'f', 1)
                        .arg(runs[i].at, 0, 'f', 1);
    if (runs[i].from > runs[i - 1].to + 1.0)
      return name + QStringLiteral(" skipped %1–%2 s").arg(runs[i - 1].to, 0, 'f', 1).arg(runs[i].from, 0, 'f', 1);
  }
  double last = 0;
  for (const Stretch& s : runs) last = std::max(last, s.to);
  const bool cut = cutAt >= 0 && runs.back().at + (runs.back().to - runs.back().from) >= cutAt - 1.0;
  if (last < lastSound[part] - slack && !cut)
    return name + QStringLiteral(" heard only to %1 s (its sound ends at %2 s)")
                      .arg(last, 0, 'f', 1)
                      .arg(lastSound[part], 0, 'f', 1);
  for (const Stretch& s : runs)
    if (std::abs(s.levelDb) > 6)
      return name + QStringLiteral(" heard %1 dB off the file's level").arg(s.levelDb, 0, 'f', 1);
  const double start = runs.front().at;
  const double end = runs.back().at + (runs.back().to - runs.back().from);
  for (const Foreign& f : foreign)
    if (f.to > start + 0.2 && f.from < end - 0.2 && f.to - f.from > 0.2)
      return name + QStringLiteral(" has foreign sound at %1–%2 s of the recording")
                        .arg(f.from, 0, 'f', 1)
                        .arg(f.to, 0, 'f', 1);
  return {};
}

QString Hearing::WhyNotClean() const {
  for (const Foreign& f : foreign)
    if (f.to - f.from > 0.2)
      return QStringLiteral("foreign sound at %1–%2 s of the recording").arg(f.from, 0, 'f', 1).arg(f.to, 0, 'f', 1);
  return {};
}

QString Hearing::WhyNotInOrder() const {
  for (size_t i = 1; i < stretches.size(); ++i)
    if (stretches[i].part < stretches[i - 1].part)
      return QStringLiteral("part %1 heard after part %2")
          .arg(names.value(stretches[i].part), names.value(stretches[i - 1].part));
  return {};
}

double Hearing::Gap(int before) const {
  const std::vector<Stretch> a = Of(before), b = Of(before + 1);
  if (a.empty() || b.empty()) return -1;
  const Stretch& end = a.back();
  return b.front().at - (end.at + end.to - end.from);
}

QString Hearing::Summary(int part) const {
  QStringList out;
  for (const Stretch& s : Of(part))
    out << QStringLiteral("%1–%2 at %3 s").arg(s.from, 0, 'f', 1).arg(s.to, 0, 'f', 1).arg(s.at, 0, 'f', 1);
  return out.isEmpty() ? QStringLiteral("not heard") : out.join(QStringLiteral(", "));
}

QString Hearing::Describe() const {
  QString out;
  for (int i = 0; i < names.size(); ++i)
    out += QStringLiteral("part %1 (sound %2–%3): %4\n")
               .arg(names[i])
               .arg(firstSound[i], 0, 'f', 1)
               .arg(lastSound[i], 0, 'f', 1)
               .arg(Summary(i));
  QStringList f;
  for (const Foreign& x : foreign) f << QStringLiteral("%1–%2").arg(x.from, 0, 'f', 1).arg(x.to, 0, 'f', 1);
  out += QStringLiteral("foreign sound at: ") + (f.isEmpty() ? QStringLiteral("none") : f.join(u' ')) +
         QStringLiteral(" (recording %1 s)").arg(length, 0, 'f', 1);
  return out;
}

}  // namespace sound
