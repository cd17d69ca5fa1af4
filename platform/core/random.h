#pragma once
// Random numbers: one generator seeded once per process; tests install a
// fixed sequence.
#include <QList>

namespace plat {

class Random {
 public:
  virtual ~Random() = default;
  // Uniform in [0, 1), like the runtime's Rnd.
  virtual double Next();
  // Uniform integer in [0, n).
  int Below(int n);
};

Random& random();
void SetRandom(Random* r);

}  // namespace plat
