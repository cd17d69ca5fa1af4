// Time to score one record, pass by pass, on seeded Big5 corpora of the
// sizes a test really has (and the worst cases), beside two peers on the
// same texts: a Myers diff (dtl, characters of the joined texts, and lines
// then characters) and a plain O(N*M) edit-distance table.
//
// Run: scoring_bench [--benchmark_filter=...]; a table of ratios to the
// peers follows the usual output.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scoring/engine/compute.h"
#include "scoring/engine/matcher.h"
#include "scoring/engine/tests/corpus.h"

#include <dtl/dtl.hpp>

using namespace scoring;

namespace {

struct Named {
  std::string name;
  corpus::Record record;
};

struct Size {
  const char* name;
  int lines, width;
};

std::vector<Named>& Records() {
  static std::vector<Named> all = [] {
    std::vector<Named> out;
    const Size sizes[] = {{"S", 5, 30}, {"M", 20, 30}, {"L", 160, 30}, {"XL", 160, 60}};
    unsigned seed = 1;
    for (const Size& s : sizes) {
      for (int pct : {0, 2, 5, 10}) {
        corpus::Spec spec;
        spec.lines = s.lines;
        spec.width = s.width;
        spec.errorRate = pct / 100.0;
        spec.seed = seed++;
        out.push_back({std::string(s.name) + "_err" + std::to_string(pct), corpus::Make(spec)});
      }
    }
    for (const Size& s : sizes) {
      corpus::Spec g;
      g.lines = s.lines;
      g.width = s.width;
      g.kind = corpus::Kind::Garbage;
      g.seed = seed++;
      out.push_back({std::string(s.name) + "_garbage", corpus::Make(g)});
    }
    corpus::Spec r;
    r.lines = 160;
    r.width = 60;
    r.kind = corpus::Kind::Repeated;
    r.errorRate = 0.05;
    r.seed = seed++;
    out.push_back({"XL_repeated", corpus::Make(r)});
    return out;
  }();
  return all;
}

std::u16string Joined(const QStringList& lines) {
  std::u16string s;
  for (const QString& l : lines) {
    s.append(reinterpret_cast<const char16_t*>(l.utf16()), size_t(l.size()));
    s.push_back(u'\n');
  }
  return s;
}

int Characters(const corpus::Record& r) {
  int n = 0;
  for (const QString& l : r.test) n += int(l.size());
  return n;
}

const char* const kStepNames[] = {"A",  "B11", "B22", "B33", "C1", "D", "E1",
                                  "C2", "E2",  "B44", "C3",  "H",  "J"};

void BM_Engine(benchmark::State& state, const corpus::Record* rec, bool literal) {
  auto tables = std::make_unique<CompareTables>();
  MatchOptions opt;
  opt.literalWindowSearch = opt.literalGrowth = literal;
  NullLog log;
  NullProgress progress;
  ScoreSettings settings;
  double stepNs[13] = {};
  double loadNs = 0, computeNs = 0;
  using clk = std::chrono::steady_clock;
  for (auto _ : state) {
    auto t0 = clk::now();
    LoadTexts(*tables, rec->typed, rec->test);
    auto t1 = clk::now();
    loadNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
    Matcher m(*tables, opt);
    auto last = clk::now();
    m.RunPasses(progress, log, [&](int step) {
      const auto now = clk::now();
      stepNs[step - 1] += std::chrono::duration<double, std::nano>(now - last).count();
      last = now;
    });
    const auto c0 = clk::now();
    ScoreOutcome out = ComputeScore(m, settings, 0, 600, log);
    computeNs += std::chrono::duration<double, std::nano>(clk::now() - c0).count();
    benchmark::DoNotOptimize(out);
  }
  const double n = double(state.iterations());
  state.counters["load_us"] = loadNs / n / 1000;
  for (int k = 0; k < 13; ++k) state.counters[std::string("pass") + kStepNames[k] + "_us"] = stepNs[k] / n / 1000;
  state.counters["compute_us"] = computeNs / n / 1000;
  state.counters["ns_per_char"] = benchmark::Counter(double(Characters(*rec)) * n, benchmark::Counter::kIsRate |
                                                                                       benchmark::Counter::kInvert);
}

// Plain Wagner-Fischer over the joined texts, two rows.
int EditDistance(const std::u16string& a, const std::u16string& b) {
  std::vector<int> prev(b.size() + 1), cur(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) prev[j] = int(j);
  for (size_t i = 1; i <= a.size(); ++i) {
    cur[0] = int(i);
    for (size_t j = 1; j <= b.size(); ++j)
      cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
    std::swap(prev, cur);
  }
  return prev[b.size()];
}

void BM_EditDistance(benchmark::State& state, const corpus::Record* rec) {
  const std::u16string a = Joined(rec->test), b = Joined(rec->typed);
  for (auto _ : state) benchmark::DoNotOptimize(EditDistance(a, b));
}

void BM_DtlChars(benchmark::State& state, const corpus::Record* rec) {
  const std::u16string a = Joined(rec->test), b = Joined(rec->typed);
  for (auto _ : state) {
    dtl::Diff<char16_t, std::u16string> d(a, b);
    d.compose();
    benchmark::DoNotOptimize(d.getEditDistance());
  }
}

// Lines first; then characters of each deleted line against the added line
// standing in its place.
void BM_DtlLines(benchmark::State& state, const corpus::Record* rec) {
  std::vector<std::u16string> a, b;
  for (const QString& l : rec->test) a.push_back(Joined({l}));
  for (const QString& l : rec->typed) b.push_back(Joined({l}));
  for (auto _ : state) {
    dtl::Diff<std::u16string, std::vector<std::u16string>> lines(a, b);
    lines.compose();
    long long total = 0;
    std::vector<std::u16string> del, add;
    auto flush = [&] {
      const size_t n = std::min(del.size(), add.size());
      for (size_t k = 0; k < n; ++k) {
        dtl::Diff<char16_t, std::u16string> d(del[k], add[k]);
        d.compose();
        total += d.getEditDistance();
      }
      for (size_t k = n; k < del.size(); ++k) total += (long long)del[k].size();
      for (size_t k = n; k < add.size(); ++k) total += (long long)add[k].size();
      del.clear();
      add.clear();
    };
    for (const auto& e : lines.getSes().getSequence()) {
      if (e.second.type == dtl::SES_DELETE)
        del.push_back(e.first);
      else if (e.second.type == dtl::SES_ADD)
        add.push_back(e.first);
      else
        flush();
    }
    flush();
    benchmark::DoNotOptimize(total);
  }
}

// Lines 20, 40, 80, 160 of 30 characters with 5 % errors: the fitted
// exponent of the whole scoring.
void BM_Scaling(benchmark::State& state) {
  corpus::Spec spec;
  spec.lines = int(state.range(0));
  spec.width = 30;
  spec.errorRate = 0.05;
  spec.seed = 4242;
  const corpus::Record rec = corpus::Make(spec);
  auto tables = std::make_unique<CompareTables>();
  for (auto _ : state) benchmark::DoNotOptimize(ScoreLines(*tables, rec.test, rec.typed, ScoreSettings{}, 0, 600));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Scaling)->Arg(20)->Arg(40)->Arg(80)->Arg(160)->Complexity()->Unit(benchmark::kMicrosecond);

// Keeps the real times so the ratios to the peers can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;  // in the benchmark's unit (ms)
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  for (const Named& n : Records()) {
    const corpus::Record* rec = &n.record;
    benchmark::RegisterBenchmark(("Engine/" + n.name).c_str(), BM_Engine, rec, false)->Unit(benchmark::kMillisecond);
    // The literal window search only where it ends in reasonable time.
    if (n.name.rfind("S_", 0) == 0 || n.name.rfind("M_", 0) == 0 || n.name == "L_err5")
      benchmark::RegisterBenchmark(("EngineLiteral/" + n.name).c_str(), BM_Engine, rec, true)
          ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("DtlChars/" + n.name).c_str(), BM_DtlChars, rec)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("DtlLines/" + n.name).c_str(), BM_DtlLines, rec)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("EditDistance/" + n.name).c_str(), BM_EditDistance, rec)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%-16s %12s %12s %12s %12s %12s\n", "record", "engine ms", "literal ms", "/dtl chars", "/dtl lines",
              "/edit dist");
  for (const Named& n : Records()) {
    auto get = [&](const std::string& family) {
      auto it = reporter.times.find(family + "/" + n.name);
      return it == reporter.times.end() ? -1.0 : it->second;
    };
    const double e = get("Engine");
    if (e < 0) continue;
    auto ratio = [&](double peer) { return peer > 0 ? e / peer : -1.0; };
    std::printf("%-16s %12.3f %12.3f %12.3f %12.3f %12.3f\n", n.name.c_str(), e, get("EngineLiteral"),
                ratio(get("DtlChars")), ratio(get("DtlLines")), ratio(get("EditDistance")));
  }
  benchmark::Shutdown();
  return 0;
}
