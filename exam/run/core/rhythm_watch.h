#pragma once
// The typing-rhythm watch: within windows of at most two seconds it notes
// the moment (in hundredths) of each change of the current box's length, and
// counts how many consecutive noted moments are equal. Many changes in the
// same hundredth mean text that was not typed by hand.
#include <QString>
#include <array>

namespace run {

class RhythmWatch {
 public:
  static constexpr int kSlots = 41;
  static constexpr int kMaxRing = 35;  // past this the ring starts again at 0

  // A fresh window from `now` (seconds since midnight).
  void Reset(float now);

  struct Step {
    float dt = 0;       // seconds since the window began
    int count = 0;      // equal neighbouring moments in the window
    bool reset = false; // the window was over: started afresh, nothing noted
  };
  // One change or key in the box, whose length before the change was
  // prevLen.
  Step Record(float now, int prevLen);

  // The moment as it is kept: rounded to hundredths through its text form,
  // so equal moments compare equal.
  static float Hundredths(float dt);

  float WindowStart() const { return windowStart_; }
  int RingPos() const { return ringPos_; }
  float Interval(int k) const { return intervals_.at(k); }

 private:
  float windowStart_ = 0;
  std::array<float, kSlots> intervals_{};
  int ringPos_ = 0;
  int rhythmLen_ = 0;
};

// The diagnostic line of the watch: box, lengths, dt, the count, the length
// of the box's text and the text.
QString RhythmLine(int box, int curLen, int prevLen, float dt, int count, const QString& text);

}  // namespace run
