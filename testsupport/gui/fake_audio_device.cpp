#include "testsupport/gui/fake_audio_device.h"

#include <utility>

#include "platform/core/clock.h"
#include "platform/gui/formtimer.h"

namespace plat {

namespace {
QString Key(const QString& name) { return name.toLower().replace(u'\\', u'/'); }
}  // namespace

FakeAudioDevice::FakeAudioDevice(QObject* parent) : AudioDevice(parent), endTimer_(std::make_unique<FormTimer>()) {
  endTimer_->SetEnabled(false);
  endTimer_->Tick = [this] {
    endTimer_->SetEnabled(false);
    if (playFrom_ < 0) return;
    const Entry& e = files_.value(current_);
    if (backendPosition() < e.length) {
      armEnd();  // woken early
      return;
    }
    if (base_ < e.length) ends << current_;  // not a play that found it at its end
    base_ = e.length;
    playFrom_ = -1;
    endReached();
  };
}

FakeAudioDevice::~FakeAudioDevice() = default;

void FakeAudioDevice::addFile(const QString& name, qint64 lengthMs, qint64 appearsAtMs) {
  files_.insert(Key(name), Entry{lengthMs, appearsAtMs});
}

void FakeAudioDevice::removeFile(const QString& name) { files_.remove(Key(name)); }

void FakeAudioDevice::breakFile(const QString& name, const QString& why) { broken_.insert(Key(name), why); }

void FakeAudioDevice::refuseFile(const QString& name, const QString& why) { refused_.insert(Key(name), why); }

void FakeAudioDevice::loseOutput(const QString& why) {
  noOutput = why;
  outputLost_ = true;
  // A paused player finds out at its next play, and then starts over.
  if (mode() == kModePaused) startsOver_ = true;
  if (mode() != kModePlaying) return;
  base_ = backendPosition();
  playFrom_ = -1;
  endTimer_->SetEnabled(false);
  failed(why);
}

void FakeAudioDevice::restoreOutput() {
  noOutput.clear();
  outputLost_ = false;
}

bool FakeAudioDevice::exists(const QString& name) const {
  auto it = files_.constFind(Key(name));
  return it != files_.constEnd() && now() >= it->appearsAt;
}

void FakeAudioDevice::commandIssued(const QString& cmd) {
  const QString c = cmd.trimmed();
  log << (c.compare(u"open", Qt::CaseInsensitive) == 0 ? c + u' ' + fileName() : c);
}

qint64 FakeAudioDevice::now() const { return clock().MonotonicMs(); }

bool FakeAudioDevice::doOpen(const QString& path) {
  if (!exists(path)) {
    setLastError(QStringLiteral("file not found: %1").arg(path));
    return false;
  }
  if (outputLost_ || refused_.contains(Key(path))) {
    setLastError(outputLost_ ? noOutput : refused_.value(Key(path)));
    return false;
  }
  current_ = Key(path);
  startsOver_ = false;
  openedAt_ = now();
  base_ = 0;
  playFrom_ = -1;
  if (lengthDelay_ > 0) {
    // The length arrives a little later, as from a real backend.
    auto* t = new FormTimer(this);
    t->SetInterval(static_cast<int>(lengthDelay_));
    const QString file = current_;
    t->Tick = [this, t, file] {
      t->SetEnabled(false);
      if (file == current_) emit lengthChanged();
      t->deleteLater();
    };
    t->SetEnabled(true);
  } else {
    emit lengthChanged();
  }
  return true;
}

void FakeAudioDevice::doClose() {
  endTimer_->SetEnabled(false);
  current_.clear();
  base_ = 0;
  playFrom_ = -1;
}

void FakeAudioDevice::doPlay() {
  const Entry& e = files_.value(current_);
  if (base_ >= e.length) {
    // Nothing left to play: done at once, as the real device.
    playFrom_ = now();
    armEnd();
    return;
  }
  if (outputLost_ || broken_.contains(current_)) {
    failed(outputLost_ ? noOutput : broken_.value(current_));
    return;
  }
  if (std::exchange(startsOver_, false)) base_ = 0;
  plays.append({current_, now(), base_, openedAt_});
  playFrom_ = now();
  armEnd();
}

void FakeAudioDevice::doPause() {
  base_ = backendPosition();
  playFrom_ = -1;
  endTimer_->SetEnabled(false);
}

void FakeAudioDevice::doStop() {
  noteEndReached();
  base_ = backendPosition();
  playFrom_ = -1;
  endTimer_->SetEnabled(false);
}

void FakeAudioDevice::noteEndReached() {
  // Stopped or rewound on its last moment: it was heard to its end.
  if (playFrom_ >= 0 && backendPosition() >= files_.value(current_).length) ends << current_;
}

void FakeAudioDevice::doRewind() {
  noteEndReached();
  base_ = 0;
  if (playFrom_ >= 0) {
    playFrom_ = now();
    armEnd();
  }
}

void FakeAudioDevice::armEnd() {
  const qint64 left = files_.value(current_).length - backendPosition();
  endTimer_->SetInterval(static_cast<int>(left > 0 ? left : 1));
  endTimer_->SetEnabled(true);
}

qint64 FakeAudioDevice::backendLength() const {
  if (current_.isEmpty()) return 0;
  if (now() - openedAt_ < lengthDelay_) return -1;
  return files_.value(current_).length;
}

qint64 FakeAudioDevice::backendPosition() const {
  if (current_.isEmpty()) return 0;
  const qint64 len = files_.value(current_).length;
  qint64 p = base_;
  if (playFrom_ >= 0) p += now() - playFrom_;
  return p < len ? p : len;
}

}  // namespace plat
