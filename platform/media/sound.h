#pragma once
// The warning beep and the system's volume mixer, behind small interfaces so
// tests count beeps and record mixer starts.
#include <QString>
#include <QStringList>

namespace plat {

class Beeper {
 public:
  virtual ~Beeper() = default;
  // The bell and a short tone through the audio output; returns at once.
  virtual void Beep();
};

Beeper& beeper();
void SetBeeper(Beeper* b);  // not owned; nullptr restores the real one

// Starts the desktop's volume mixer without taking the focus. The first of
// the known mixer programs found on PATH is used. false when none is there:
// the reason is in *why and the caller logs it.
class Mixer {
 public:
  virtual ~Mixer() = default;
  virtual bool Start(QString* why);
  // Programs tried in order.
  static QStringList Candidates();
};

Mixer& mixer();
void SetMixer(Mixer* m);

}  // namespace plat
