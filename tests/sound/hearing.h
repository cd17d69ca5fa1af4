#pragma once
// What a recording holds of the parts: short loudness envelopes (10 ms
// frames) of the recording are matched, a second at a time, against every
// part's, so that each stretch of sound is either a run of one part's file
// (which seconds of it, heard from when, at what level) or sound that is
// none of them (a stutter, a part's scrap played twice over, a noise).
// Robust to a loaded machine: the recording's time line may be a few
// hundred milliseconds off, a part's run may drift a little.
#include <QString>
#include <QStringList>
#include <vector>

namespace sound {

struct Part {
  QString name;  // as a report names it: "01"
  std::vector<qint16> pcm;  // mono at kRate
};

// One part's file heard without a break.
struct Stretch {
  int part = 0;      // index into the parts
  double from = 0;   // seconds of the part's file: its first and last sound heard
  double to = 0;
  double at = 0;     // seconds of the recording at which `from` was heard
  double levelDb = 0;  // the recording's level over the file's
};

// Sound that is no part's, seconds of the recording.
struct Foreign {
  double from = 0, to = 0;
};

struct Hearing {
  std::vector<Stretch> stretches;  // in the recording's order
  std::vector<Foreign> foreign;
  QStringList names;
  std::vector<double> firstSound, lastSound;  // of each part's file, seconds
  double length = 0;  // seconds of the recording

  // Empty when the part was heard whole and once, from its first sound to
  // its last, at the file's level, with no foreign sound while it played;
  // a pause may split it into runs that follow one another in the file.
  // Else what was wrong, in a line.
  // With `cutAt` (seconds of the recording: the test ended there) the part
  // may end there unfinished.
  QString WhyNotWhole(int part, double cutAt = -1) const;
  // Empty when no sound but the parts' was heard.
  QString WhyNotClean() const;
  // Empty when every part was first heard after the one before it ended.
  QString WhyNotInOrder() const;
  // The part's stretches in the recording's order.
  std::vector<Stretch> Of(int part) const;
  // Seconds of the recording between the end of one part and the start of
  // the next (-1 when either was not heard).
  double Gap(int before) const;
  // "0.2–9.8 at 3.1 s" for each run of the part, or "not heard".
  QString Summary(int part) const;
  // Every part's summary and the foreign sound, for a message.
  QString Describe() const;
};

Hearing Match(const std::vector<qint16>& recording, const std::vector<Part>& parts);

}  // namespace sound
