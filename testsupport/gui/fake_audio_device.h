#pragma once
// A device for tests: files are names in a table with a length, playing runs
// on the injected clock (plat::clock().MonotonicMs()) and ends through a form
// timer, so virtual time drives it together with the forms' timers.
#include <QHash>
#include <QStringList>
#include <memory>

#include "platform/media/audio_device.h"

namespace plat {

class FakeAudioDevice : public AudioDevice {
  Q_OBJECT

 public:
  explicit FakeAudioDevice(QObject* parent = nullptr);
  ~FakeAudioDevice() override;

  // A playable file of the given length. With appearsAtMs the file exists
  // only from that monotonic moment on (a part still being fetched).
  void addFile(const QString& name, qint64 lengthMs, qint64 appearsAtMs = 0);
  void removeFile(const QString& name);
  bool exists(const QString& name) const;
  // How long after "OPEN" the length becomes known (0 = at once).
  void setLengthDelay(qint64 ms) { lengthDelay_ = ms; }

  // What outputProblem() answers (empty: sound comes out).
  QString noOutput;
  // A file that opens but fails with why as soon as it plays (a broken
  // recording).
  void breakFile(const QString& name, const QString& why);
  QString outputProblem() const override {
    ++probes;
    return noOutput;
  }
  mutable int probes = 0;  // how often outputProblem() was asked
  // The sound server goes away: outputProblem() answers why, a part playing
  // fails with it, and OPEN and play fail while it is away. A paused part
  // fails at its next play; played once the server is back it starts over
  // from its start, as a rebuilt player does.
  void loseOutput(const QString& why);
  void restoreOutput();
  bool outputLost() const { return outputLost_; }
  // A file that is there but will not open (a torn download).
  void refuseFile(const QString& name, const QString& why);

  // Every command as given, in order, also those that did nothing; an
  // "OPEN" is followed by a blank and the file name.
  QStringList log;
  // Files opened, in order, with the moment each started playing.
  struct PlayStart {
    QString file;
    qint64 atMs;
    qint64 fromMs;    // position it started from
    qint64 openedAtMs;  // when the file was opened
  };
  QList<PlayStart> plays;
  // Files whose playing reached their end (or was stopped there), in order.
  QStringList ends;

 protected:
  void commandIssued(const QString& cmd) override;
  bool doOpen(const QString& path) override;
  void doClose() override;
  void doPlay() override;
  void doPause() override;
  void doStop() override;
  void doRewind() override;
  qint64 backendLength() const override;
  qint64 backendPosition() const override;

 private:
  struct Entry {
    qint64 length;
    qint64 appearsAt;
  };
  qint64 now() const;
  void armEnd();
  void noteEndReached();

  QHash<QString, Entry> files_;
  QHash<QString, QString> broken_;
  QHash<QString, QString> refused_;
  bool outputLost_ = false;
  bool startsOver_ = false;
  QString current_;
  qint64 openedAt_ = 0;
  qint64 lengthDelay_ = 0;
  qint64 base_ = 0;        // position when playing last started or stopped
  qint64 playFrom_ = -1;   // clock moment playing started; -1 = not playing
  std::unique_ptr<FormTimer> endTimer_;
};

}  // namespace plat
