#include "platform/core/random.h"

#include <random>

namespace plat {

double Random::Next() {
  static std::mt19937_64 gen{std::random_device{}()};
  return std::uniform_real_distribution<double>(0.0, 1.0)(gen);
}

int Random::Below(int n) {
  if (n <= 0) return 0;
  int v = static_cast<int>(Next() * n);
  return v >= n ? n - 1 : v;
}

namespace {
Random* g_random = nullptr;
}

Random& random() {
  static Random sys;
  return g_random ? *g_random : sys;
}

void SetRandom(Random* r) { g_random = r; }

}  // namespace plat
