#pragma once
// The multimedia control as the forms drive it: a file name, command strings
// ("OPEN", "CLOSE", "play", "PAUSE", "prev", "stop" in any letter case), a
// mode, a length and position in milliseconds, position reports at an update
// interval, and a completion notice. GstAudioDevice plays through GStreamer;
// FakeAudioDevice runs on the injected clock for tests.
#include <QObject>
#include <QString>
#include <climits>
#include <memory>

namespace plat {

class FormTimer;

// Mode values of the control.
enum AudioMode : int {
  kModeNotOpen = 524,
  kModeStopped = 525,
  kModePlaying = 526,
  kModePaused = 529,
};

class AudioDevice : public QObject {
  Q_OBJECT

 public:
  // What length() answers while the length of an open file is not known yet,
  // so that "position past the length" cannot hold early.
  static constexpr qint64 kLengthUnknown = INT_MAX;

  explicit AudioDevice(QObject* parent = nullptr);
  ~AudioDevice() override;

  // The name the next "OPEN" opens. Setting it does not open anything.
  void setFileName(const QString& name) { fileName_ = name; }
  QString fileName() const { return fileName_; }
  // The file actually open: empty when nothing is, also after an "OPEN" that
  // failed (the file was missing or could not be decoded).
  QString openFile() const { return openFile_; }
  bool isOpen() const { return !openFile_.isEmpty(); }

  // Runs one command; false when it was not carried out (unknown command,
  // nothing open, open failed). Never throws.
  bool command(const QString& cmd);

  int mode() const;
  qint64 length() const;    // 0 when nothing is open
  qint64 position() const;  // 0 when nothing is open

  // Milliseconds between statusUpdate() reports; 0 stops them. Reports come
  // while a file is open, whatever the play state.
  int updateInterval() const { return updateInterval_; }
  void setUpdateInterval(int ms);
  // When on, done() follows the end of playing.
  bool notify() const { return notify_; }
  void setNotify(bool on) { notify_ = on; }
  // Only milliseconds (0) exist here; other formats are kept and ignored.
  int timeFormat() const { return timeFormat_; }
  void setTimeFormat(int f) { timeFormat_ = f; }

  QString lastError() const { return lastError_; }
  // Why nothing would be heard whatever is played (no output device):
  // empty while sound can come out.
  virtual QString outputProblem() const { return {}; }

  // The control's own buttons: the press signal comes first, then the
  // device acts, as the control's buttons do.
  void pressPlay();
  void pressPause();
  void pressPrev();
  void pressStop();

 signals:
  void statusUpdate();
  void done();
  void lengthChanged();  // the length of the open file became known
  void modeChanged();
  void playPressed();
  void pausePressed();
  void prevPressed();
  void stopPressed();
  // The open file could not be played (a decoding or device error).
  void failure(const QString& why);

 protected:
  // Sees every command before it runs.
  virtual void commandIssued(const QString&) {}
  // Backend hooks. doOpen returns false when the file cannot be played.
  virtual bool doOpen(const QString& path) = 0;
  virtual void doClose() = 0;
  virtual void doPlay() = 0;
  virtual void doPause() = 0;
  virtual void doStop() = 0;
  virtual void doRewind() = 0;
  // -1 when not known yet.
  virtual qint64 backendLength() const = 0;
  virtual qint64 backendPosition() const = 0;

  // Called by backends: playing reached the end, or failed.
  void endReached();
  void failed(const QString& why);
  void setLastError(const QString& why) { lastError_ = why; }

 private:
  void setMode(int m);
  void updateTimer();

  QString fileName_;
  QString openFile_;
  int mode_ = kModeNotOpen;
  int updateInterval_ = 0;
  bool notify_ = false;
  int timeFormat_ = 0;
  QString lastError_;
  std::unique_ptr<FormTimer> statusTimer_;
};

// A new device for a form's multimedia control: GstAudioDevice, or what a
// test installed.
AudioDevice* NewAudioDevice(QObject* parent);
using AudioDeviceFactory = AudioDevice* (*)(QObject* parent);
// nullptr restores the real device.
void SetAudioDeviceFactory(AudioDeviceFactory f);

}  // namespace plat
