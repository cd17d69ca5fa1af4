#pragma once
// The passage's audio, part by part: which part is due and when (setting 704
// seconds after the last one ended, or at once), each opened afresh right as
// it plays and played whole from its start, across pauses and a lost sound
// output, with the parts not heard noted. The test screen forwards its timer
// ticks and the audio device's reports, and does what the hooks ask of it.
#include <QString>
#include <cstdint>
#include <functional>

#include "exam/run/core/unheard_parts.h"

namespace plat {
class AudioDevice;
}

namespace run {

class PartPlayer {
 public:
  // What the player asks of the screen. Unset hooks do nothing and unset
  // questions answer false; partFile, now and log default to the test
  // record module's parts, the test clock and the error report.
  struct Hooks {
    std::function<QString(int part)> partFile;  // the audio file of part n
    std::function<float()> now;                 // seconds since midnight
    std::function<bool()> begun;                // the test screen started the test
    std::function<bool()> running;              // the test runs (not paused)
    std::function<bool()> handedOver;
    std::function<bool()> clockStarted;
    // The clock waits while the proctor is told; released when the sound
    // is back.
    std::function<void()> holdClock;
    std::function<void()> releaseClock;
    // No sound: the proctor is told why (and keeps being told while it
    // lasts); reason only updates what an open box says.
    std::function<void(const QString& why)> tellNoSound;
    std::function<void(const QString& why)> noSoundReason;
    std::function<void()> dropNoSound;
    // The one-second tries at a part held for want of sound.
    std::function<void(bool on)> retry;
    // A part began to play (the caret goes back to its box; with manual
    // start the first one starts the clock).
    std::function<void()> played;
    std::function<void()> positionMoved;  // Position() moved on
    std::function<void()> opened;         // a file was opened
    std::function<void(const QString& line)> log;  // into the error report
  };

  explicit PartPlayer(plat::AudioDevice* device = nullptr) : device_(device) {}
  void SetDevice(plat::AudioDevice* device) { device_ = device; }
  Hooks hooks;

  // ---- state ----
  std::uint8_t PartNo = 0;  // the part due, playing or last played
  float AudioDue = 0;       // when it became due; 0: nothing due
  double Position() const { return pos_; }  // ms counted from its reports
  bool SoundHeld() const { return soundHeld_; }
  bool WithoutSound() const { return withoutSound_; }
  bool PartStarted() const { return partStarted_; }
  const UnheardParts& Unheard() const { return unheard_; }

  // ---- the screen's events ----
  // A new test: nothing noted, nothing held (the part number stays).
  void Reset();
  // The test has audio: part 1 is next, due now unless it waits for Play.
  void Prepare();
  // The clock is about to start: the first part's delay counts from now;
  // with manual start part 1 is opened for its Play. True when the clock
  // waits for that Play.
  bool Start();
  // The proctor chose to go on without sound: parts play all the same and
  // are noted as not heard.
  void ChooseWithoutSound();
  // A timer tick: a part due whose delay is over starts.
  void Tick();
  void Pause();
  // The test goes on after a pause: what the pause stopped plays on; a part
  // that ended meanwhile is over, a part not begun is due again.
  void Resume();
  // The paragraph of the caret's line (setting 701 = 2: the part follows it).
  void FollowCaret(int part);
  // The test ends: no more tries.
  void EndWait();
  // At the end of the test: the parts not heard, and why, into the report.
  void ReportUnheard();
  // A try at a part held for want of sound (each second, or the proctor's
  // retry). True when it plays now.
  bool TryAgain();

  // ---- the device's reports ----
  void PlayPressed();
  void PausePressed();
  void PrevPressed();
  void StatusUpdate();
  void Done();
  void Failure(const QString& why);

  // Opens the file (again when fresh, even when it is the one open).
  void OpenFile(const QString& file, bool fresh = false);

 private:
  enum class Opening { kOpened, kArriving, kPassedOver, kNoSound };
  QString File(int part) const;
  float Now() const;
  bool Asks(const std::function<bool()>& q) const { return q && q(); }
  void Log(const QString& line) const;
  Opening StartPart();
  Opening OpenPart();
  void PlayClick();
  void DueNow();
  void PartOver();
  void PassOver(const QString& file, const QString& why);
  void SoundLost(const QString& why);
  void SoundBack(bool heard);
  void NoteUnheard(const QString& file, const QString& why);

  plat::AudioDevice* device_;
  double pos_ = 0;
  bool partStarted_ = false;  // the part began from its start
  bool partSound_ = false;    // ... with the output there
  bool soundHeld_ = false;
  bool withoutSound_ = false;
  bool failedForSound_ = false;  // the last failure was the output's
  UnheardParts unheard_;
};

}  // namespace run
