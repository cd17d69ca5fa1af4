#include "exam/run/core/rhythm_watch.h"

#include "platform/core/compat.h"

namespace run {

void RhythmWatch::Reset(float now) {
  windowStart_ = now;
  ringPos_ = 0;
  intervals_.fill(0.0f);
}

float RhythmWatch::Hundredths(float dt) {
  return static_cast<float>(plat::ValNumber(plat::FormatSingle(dt, u"0.00")));
}

RhythmWatch::Step RhythmWatch::Record(float now, int prevLen) {
  Step s;
  s.dt = now - windowStart_;
  if (s.dt > 2.0f) {
    Reset(now);
    s.reset = true;
    return s;
  }
  if (ringPos_ > kMaxRing) {
    ringPos_ = 0;  // nothing noted; the old moments stay until overwritten
  } else if (rhythmLen_ != prevLen) {
    intervals_[ringPos_] = Hundredths(s.dt);
    ++ringPos_;
    rhythmLen_ = prevLen;
  }
  for (int k = 0; k <= ringPos_; ++k)
    if (intervals_[k] == intervals_[k + 1]) ++s.count;
  return s;
}

QString RhythmLine(int box, int curLen, int prevLen, float dt, int count, const QString& text) {
  return QString::number(box) + QStringLiteral("<A>") + QString::number(curLen) + QStringLiteral("<B>") +
         QString::number(prevLen) + QStringLiteral("<->") + plat::FormatSingle(dt, u"000.000") + u' ' +
         QString::number(count) + u' ' + QString::number(text.size()) + text;
}

}  // namespace run
