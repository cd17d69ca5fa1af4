#include "exam/run/core/part_player.h"

#include <algorithm>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "platform/media/audio_device.h"
#include "exam/record/recordmodule.h"
#include "exam/run/core/run_services.h"
#include "exam/run/core/test_clock.h"

namespace run {

namespace {

void Call(const std::function<void()>& f) {
  if (f) f();
}

void Call(const std::function<void(const QString&)>& f, const QString& s) {
  if (f) f(s);
}

}  // namespace

QString PartPlayer::File(int part) const {
  return hooks.partFile ? hooks.partFile(part) : rec::testRecordModule().ParagraphAudioFile(part);
}

float PartPlayer::Now() const {
  return hooks.now ? hooks.now() : static_cast<float>(testClock().SecondsSinceMidnight());
}

void PartPlayer::Log(const QString& line) const {
  if (hooks.log) {
    hooks.log(line);
  } else {
    common::WriteErrorLog(line);
  }
}

void PartPlayer::Reset() {
  unheard_.Clear();
  partStarted_ = partSound_ = soundHeld_ = withoutSound_ = false;
  if (hooks.retry) hooks.retry(false);
}

void PartPlayer::Prepare() {
  device_->setFileName(QString());
  PartNo = 1;
  // With manual start part 1 is opened for its Play after the sound check,
  // so that an output the proctor mended is the one it plays to.
  AudioDue = common::Setting705.get() == 1 ? 0 : Now();
}

bool PartPlayer::Start() {
  if (AudioDue > 0) AudioDue = Now();  // the first part's delay counts from the clock's start
  if (common::Setting705.get() != 1) return false;
  const QString first = File(1);
  OpenFile(first);
  device_->command(QStringLiteral("prev"));
  device_->command(QStringLiteral("stop"));
  if (device_->isOpen() || IsNoPart(first)) return true;
  // Nothing opened, so there is no Play to press: the clock starts and
  // part 1 plays as soon as it can.
  DueNow();
  return false;
}

void PartPlayer::ChooseWithoutSound() {
  withoutSound_ = true;
  Log(QStringLiteral("音效>監考人員選擇不放聲音繼續測驗"));
}

void PartPlayer::Tick() {
  const int s701 = common::Setting701.get();
  // A part held for want of sound is tried by its own timer.
  if ((s701 != 1 && s701 != 2) || AudioDue <= 0 || soundHeld_) return;
  if (IsNoPart(File(PartNo))) {
    AudioDue = 0;  // nothing there to play
    return;
  }
  // Opened only now, when it plays: a part still arriving stays due and is
  // tried again on the next ticks.
  if (Now() - AudioDue > static_cast<float>(common::Setting704.get())) StartPart();
}

void PartPlayer::Pause() {
  if (common::Setting701.get() > 0 && PartNo != 0) {
    device_->command(QStringLiteral("PAUSE"));
    PausePressed();
  }
}

void PartPlayer::Resume() {
  if (common::Setting701.get() == 0 || PartNo == 0 || !Asks(hooks.clockStarted)) return;
  // A test still waiting for its first Play waits on.
  if (partStarted_ && device_->mode() == plat::kModePaused) {
    device_->command(QStringLiteral("play"));
    // A player that lost its server meanwhile starts the part over: the
    // count of play time follows where it really is.
    if (device_->mode() == plat::kModePlaying) pos_ = static_cast<double>(device_->position()) + 1;
    PlayClick();
  } else if (partStarted_ && device_->mode() == plat::kModeStopped) {
    PartOver();  // its successor comes after the usual gap
  } else if (!partStarted_ && !soundHeld_ && !IsNoPart(File(PartNo))) {
    AudioDue = Now();
  }
}

void PartPlayer::FollowCaret(int part) {
  if (common::Setting701.get() != 2) return;
  if (part == PartNo) return;
  device_->command(QStringLiteral("prev"));
  device_->command(QStringLiteral("stop"));
  pos_ = 0;
  device_->setUpdateInterval(0);
  partStarted_ = false;
  PartNo = static_cast<std::uint8_t>(std::clamp(part, 0, 255));
  // A line before the first paragraph, or a part with no file, schedules
  // nothing.
  AudioDue = IsNoPart(File(PartNo)) ? 0 : Now();
}

void PartPlayer::EndWait() {
  if (hooks.retry) hooks.retry(false);
  soundHeld_ = false;
}

void PartPlayer::OpenFile(const QString& file, bool fresh) {
  // Only a file that actually opened counts as open: one that is not there
  // yet is opened again on a later try.
  if (!fresh && device_->isOpen() && device_->openFile() == file) return;
  device_->command(QStringLiteral("CLOSE"));
  device_->setFileName(file);
  device_->command(QStringLiteral("OPEN"));
  pos_ = 0;
  device_->setUpdateInterval(0);
  device_->setTimeFormat(0);
  pos_ = device_->updateInterval() + pos_ + 1;
  Call(hooks.opened);
}

void PartPlayer::PlayClick() {
  device_->setUpdateInterval(1000);
  Call(hooks.played);
}

void PartPlayer::PlayPressed() {
  if (common::Setting701.get() > 0 && !partStarted_ && !soundHeld_ && !Asks(hooks.handedOver) &&
      !IsNoPart(File(PartNo))) {
    // Opened afresh right before the device plays it.
    switch (OpenPart()) {
      case Opening::kOpened:
        partStarted_ = true;
        AudioDue = 0;
        break;
      case Opening::kArriving:
        DueNow();
        break;
      default:
        break;  // passed over (the next is due), or waiting for the sound
    }
  }
  PlayClick();
  if (soundHeld_) Call(hooks.holdClock);  // the first Play started it
}

PartPlayer::Opening PartPlayer::OpenPart() {
  const QString file = File(PartNo);
  if (IsNoPart(file)) {
    AudioDue = 0;
    return Opening::kPassedOver;
  }
  // The output is asked afresh before each part, before the open where the
  // file is there (an open can wait on a server that does not answer).
  // Without sound the part waits, unless the proctor chose to go on
  // without; then it plays all the same and is noted as not heard.
  const bool there = AudioFileExists(file);
  QString lost;
  if (there) {
    lost = device_->outputProblem();
    if (!lost.isEmpty() && !withoutSound_) {
      SoundLost(lost);
      return Opening::kNoSound;
    }
  }
  OpenFile(file, true);
  if (device_->openFile() != file) {
    if (!AudioFileExists(file)) return Opening::kArriving;
    lost = device_->outputProblem();
    if (!lost.isEmpty()) {
      SoundLost(lost);
      return Opening::kNoSound;
    }
    PassOver(file, device_->lastError());
    return Opening::kPassedOver;
  }
  if (!there) lost = device_->outputProblem();
  partSound_ = lost.isEmpty();
  if (!partSound_) {
    if (!withoutSound_) {
      SoundLost(lost);
      return Opening::kNoSound;
    }
    NoteUnheard(file, lost);  // played all the same: the output may come back
  }
  return Opening::kOpened;
}

PartPlayer::Opening PartPlayer::StartPart() {
  // Opened afresh right now and played from its start: a part opened long
  // before its play loses its first seconds.
  const Opening r = OpenPart();
  if (r != Opening::kOpened) return r;
  partStarted_ = true;
  failedForSound_ = false;
  const int part = PartNo;
  device_->command(QStringLiteral("play"));
  if (device_->mode() != plat::kModePlaying || PartNo != part)
    return failedForSound_ ? Opening::kNoSound : Opening::kPassedOver;
  AudioDue = 0;
  PlayClick();
  return Opening::kOpened;
}

void PartPlayer::DueNow() {
  // Its delay counts as over: the next tick tries it.
  AudioDue = std::max(Now() - static_cast<float>(common::Setting704.get()) - 1.0f, 0.001f);
}

void PartPlayer::Failure(const QString& why) {
  if (Asks(hooks.handedOver) || !Asks(hooks.begun) || common::Setting701.get() == 0) return;
  // A part not begun is opened afresh, and the output asked, when it plays.
  if (!partStarted_) return;
  const QString lost = device_->outputProblem();
  if (!lost.isEmpty()) {
    failedForSound_ = true;
    SoundLost(lost);
    return;
  }
  // The file itself: the others still play.
  PassOver(device_->openFile().isEmpty() ? device_->fileName() : device_->openFile(), why);
}

void PartPlayer::PartOver() {
  pos_ = 0;
  device_->setUpdateInterval(0);
  device_->command(QStringLiteral("Prev"));
  device_->command(QStringLiteral("STOP"));
  // Heard whole after all (played again once the sound came back).
  if (partStarted_ && partSound_) unheard_.Forget(PartNo);
  partStarted_ = false;
  if (common::Setting701.get() > 0) {
    const QString next = File(PartNo + 1);
    if (!IsNoPart(next)) {
      ++PartNo;
      AudioDue = Now();
    }
  }
}

void PartPlayer::PassOver(const QString& file, const QString& why) {
  NoteUnheard(file, why);
  pos_ = 0;
  device_->setUpdateInterval(0);
  partStarted_ = false;
  const QString next = File(PartNo + 1);
  if (IsNoPart(next)) {
    AudioDue = 0;
  } else {
    ++PartNo;
    AudioDue = Now();
  }
}

void PartPlayer::SoundLost(const QString& why) {
  NoteUnheard(File(PartNo), why);
  pos_ = 0;
  device_->setUpdateInterval(0);
  // A player that lost its output is opened anew; nothing plays into the
  // void meanwhile.
  if (device_->isOpen()) device_->command(QStringLiteral("CLOSE"));
  partStarted_ = false;
  // In a pause the resume tries the part again.
  if (!Asks(hooks.running)) return;
  if (!soundHeld_) {
    soundHeld_ = true;
    Log(QStringLiteral("音效>無法放音>") + why);
  }
  if (hooks.retry) hooks.retry(true);
  if (withoutSound_) return;
  Call(hooks.holdClock);
  Call(hooks.tellNoSound, why);
}

bool PartPlayer::TryAgain() {
  const bool handedOver = Asks(hooks.handedOver);
  if (!soundHeld_ || handedOver || !Asks(hooks.running)) {
    if ((!soundHeld_ || handedOver) && hooks.retry) hooks.retry(false);
    return false;
  }
  // The output is asked first: an open can wait on a server that does not
  // answer, and the windows must not.
  const QString lost = device_->outputProblem();
  if (!lost.isEmpty()) {
    Call(hooks.noSoundReason, lost);
    return false;
  }
  // Before the first Play the part is only opened, for the candidate's Play.
  const bool firstPlay = !Asks(hooks.clockStarted);
  const Opening r = firstPlay ? OpenPart() : StartPart();
  if (r == Opening::kNoSound) return false;
  if (firstPlay && r == Opening::kOpened) {
    device_->command(QStringLiteral("prev"));
    device_->command(QStringLiteral("stop"));
  }
  if (r == Opening::kArriving) DueNow();
  SoundBack(r == Opening::kOpened && partSound_);
  return r == Opening::kOpened;
}

void PartPlayer::SoundBack(bool heard) {
  soundHeld_ = false;
  if (hooks.retry) hooks.retry(false);
  if (heard) {
    withoutSound_ = false;  // a later loss is told again
    Log(QStringLiteral("音效>聲音恢復>第%1段從頭播放").arg(PartNo));
  }
  Call(hooks.dropNoSound);
  Call(hooks.releaseClock);
}

void PartPlayer::NoteUnheard(const QString& file, const QString& why) {
  const QString line = unheard_.Note(PartNo, file, why);
  if (!line.isEmpty()) Log(line);
}

void PartPlayer::ReportUnheard() {
  if (Asks(hooks.handedOver) || common::Setting701.get() == 0) return;
  const QString file = File(PartNo);
  if (!IsNoPart(file) && !partStarted_) {
    // The part due when the test ended, and those it kept from being tried.
    bool stuck = soundHeld_;
    if (!stuck && AudioDue > 0 && !AudioFileExists(file) && device_->openFile() != file) {
      NoteUnheard(file, QStringLiteral("測驗結束前找不到音效檔"));
      stuck = true;
    }
    if (stuck) {
      for (int p = PartNo + 1; p <= 255; ++p) {
        const QString later = File(p);
        if (IsNoPart(later)) break;
        const QString line = unheard_.Note(p, later, QStringLiteral("未播放"));
        if (!line.isEmpty()) Log(line);
      }
    }
  }
  const QString summary = unheard_.Summary();
  if (!summary.isEmpty()) Log(summary);
}

void PartPlayer::PausePressed() { device_->setUpdateInterval(0); }

void PartPlayer::PrevPressed() { pos_ = 0; }

void PartPlayer::StatusUpdate() {
  device_->setTimeFormat(0);
  const int interval = device_->updateInterval();
  pos_ = interval + pos_ + 1;
  Call(hooks.positionMoved);
  const bool over = device_->mode() == plat::kModeStopped || pos_ > static_cast<double>(device_->length());
  if (over && pos_ > interval + 10) PartOver();
}

void PartPlayer::Done() {
  pos_ = 0;
  device_->setUpdateInterval(0);
  device_->command(QStringLiteral("Prev"));
}

}  // namespace run
