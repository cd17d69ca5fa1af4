#pragma once
// 正式測驗, the test screen: sixteen typing boxes over the answer buffer,
// the clock and its time-up, the audio of the passage part by part, the
// typing-rhythm watch and the pause button. What the boxes do with a key
// is TypingColumn's, which part plays when is PartPlayer's; the form
// forwards its events to them and shows the outcome.
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

#include "platform/gui/form.h"
#include "platform/gui/twips.h"
#include "exam/run/core/part_player.h"
#include "exam/run/core/rhythm_watch.h"
#include "exam/run/core/typing_column.h"
#include "exam/run/forms/typing_box.h"

class QLabel;
class QPushButton;

namespace plat {
class AudioDevice;
class FormTimer;
class MciTransportBar;
}  // namespace plat


namespace run {

class ImageButton;

class 正式測驗 : public plat::Form {
 public:
  static constexpr int kBoxes = 16;

  正式測驗();
  ~正式測驗() override;

  // ---- controls, by their design names ----
  QPushButton* Command1;  // the volume mixer
  plat::FormTimer* Timer1;  // 100 ms: clock, beeps, audio start, time-up
  plat::FormTimer* Timer2;  // 250 ms: the same checks, no display
  std::array<TypingBox*, kBoxes> TB{};
  std::array<QLabel*, kBoxes> TbX{};
  QLabel* Label1;  // open audio file
  QLabel* Label2;  // part length mm:ss
  QLabel* Label3;  // position mm:ss (a status line after opening)
  QLabel* Label4;  // paragraph of the caret's line
  QLabel* Label5;  // caption of Label4
  QLabel* Label6;  // diagnostic line of Timer2
  QLabel* Label7;  // diagnostic line of the rhythm watch
  QLabel* Label8;  // caret state
  QLabel* Label9;  // ":" between the clock's minutes and seconds
  QLabel* Image1;        // highlight of the pause button
  ImageButton* Image2;   // the pause button
  QLabel* Image3;        // audio panel
  QLabel* Image4;        // product picture
  QLabel* BoxRow;
  QLabel* BoxCol;
  QLabel* TimeSecond;
  QLabel* TimeMinute;
  plat::MciTransportBar* MMControl1;
  plat::AudioDevice* Mci;  // MMControl1's device

  // ---- form state ----
  std::int16_t RunState = 0;
  std::uint8_t DisplayMode = 0;
  float StartTime = 0;
  float StopTime = 0;
  float Elapsed = 0;
  float Duration = 0;
  // The passage's parts: which is due, playing or held for want of sound;
  // AudioDue and PartNo read its state.
  PartPlayer Parts;
  const float& AudioDue = Parts.AudioDue;
  const std::uint8_t& PartNo = Parts.PartNo;
  std::int16_t CurBox = 0;
  std::uint8_t ClipGuard = 0;
  float RhythmLimit = 0;
  std::uint8_t RhythmMode = 0;
  std::uint8_t RhythmSwitch = 0;
  int CurLen = 0;
  int PrevLen = 0;
  QString LastText;
  int LastCol = 0;
  int CaretState = 0;
  RhythmWatch Rhythm;
  // The clock runs from its first start to the end; a resume never starts
  // it afresh.
  bool ClockStarted = false;
  // Handed over to the processing screen (time-up or leave): nothing the
  // candidate does changes the record any more.
  bool HandedOver = false;

  // ---- handlers ----
  void Image2_Click();
  void Image2_MouseMove();
  void Command1_Click();
  void Timer1_Timer();
  void Timer2_Timer();
  // 0 when it ended the test, 1 when the time is not up.
  int CheckTimeUp();

  void TB_Change(int i);
  void TB_Click(int i);
  void TB_GotFocus(int i);
  // true when the key is handled here (the box must not act on it).
  bool TB_KeyDown(int i, int& keyCode, int shift);
  TypingBox::Verdict TB_KeyPress(int i, QChar ch);
  void TB_KeyUp(int i);
  void TB_MouseDown(int i);

  void MMControl1_PlayClick();
  void MMControl1_PauseClick();
  void MMControl1_PrevClick();
  void MMControl1_StatusUpdate();
  void MMControl1_Done();
  void MMControl1_Failure(const QString& why);

  // The sound output went away: the current part waits to be played from
  // its start, tried each second.
  bool SoundHeld() const { return Parts.SoundHeld(); }
  // The clock waits while the proctor is told (NoSoundBox).
  bool ClockHeld() const { return clockHeld_; }
  // The box's 重試 (and each second's try meanwhile): the output is asked
  // afresh and the part opened anew. True when it plays now.
  bool TrySoundAgain();
  // The box's 取消: the test goes on without sound; later parts are still
  // tried and play once the output is back.
  void GoOnWithoutSound();

  void WatchKeystrokeRhythm(int mode, int i);

  // The candidate left from the pause dialog: the boxes are closed to input
  // and the clock stops; the record keeps the pause moment.
  void CloseForHandOver();

  // The twips geometry the layout gave box i and its label.
  plat::TwipsBox BoxGeometry(int i) const;
  plat::TwipsBox LabelGeometry(int i) const;
  // The last typing box of the layout (15 single, 7 paired).
  int LastBox() const;
  bool Paired() const { return DisplayMode != 0; }

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Resize() override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  float Now() const;
  void StartTest();
  void ResumeTest();
  void LayOutBoxes();
  void StartClock();
  void ShowClockFace();
  // The shared check of every tick; true when the clock went back (the
  // program is then ending).
  bool ClockWentBack(bool strict, bool diagnostic);
  void ScrollLines(int direction);
  // Commits what an input method is composing in the boxes, so that the
  // program's next save, scroll or insert keeps what the candidate sees.
  // Nothing inside a write (its commits are held). True when one was.
  bool CommitCompositions();
  // The program writes into the boxes: a commit that arrives meanwhile is
  // held with the line and caret its box had when the write began, and
  // typed there once the outermost write is done. True when one was typed.
  bool WriteBoxes(const std::function<void()>& body);
  bool HoldCommit(int i, const QString& text);
  bool TypeHeldCommits();
  void RefreshBoxAccess();
  // For a moment after each show the boxes take no click: the rest of a
  // double-click that opened the screen must not move the caret.
  void HoldClicks();
  void FocusBox(int i);
  void ShowRowCol(int i);
  void ShowCaretState(int i);
  void PartSwitch();
  void ClearClip();
  void ShowParagraph(int row);
  void ShowProcessing();
  void ShowLengthLabels();
  // Before the clock starts: with no sound output the candidate is told to
  // call the proctor, who can mend it and try again or go on without sound.
  void CheckSoundOutput();
  // What the part player asks of the screen.
  void ConnectParts();
  // The candidate's part of a Play: the caret back into its box, and with
  // manual start the clock starts.
  void PartPlayed();
  // The part waits for the output: the proctor is told.
  void TellNoSound(const QString& why);
  void DropNoSoundBox();
  // The test ends: no more tries, the box goes.
  void EndSoundWait();
  void HoldClock();
  void ReleaseClock();
  // The editing rules over the boxes as they are now.
  TypingColumn Column();

  class ScreenBoxes;
  ScreenBoxes* boxes_;
  plat::TwipsBox boxGeometry_[kBoxes];
  plat::TwipsBox labelGeometry_[kBoxes];
  int editPending_ = -1;
  bool inCheckTimeUp_ = false;
  bool inWatch_ = false;
  // Inside an input-method commit, and the last typing box it changed.
  bool inCommit_ = false;
  int commitEdit_ = -1;
  QDeadlineTimer clickHold_;  // expired: clicks are taken
  struct HeldCommit {
    int line;
    int caret;
    QString text;
  };
  int writing_ = 0;
  int writeFrom_ = 0;  // the first visible line when the write began
  std::array<int, kBoxes> writeCaret_{};
  QList<HeldCommit> held_;

  bool clockHeld_ = false;
  float heldAt_ = 0;
  plat::FormTimer* soundRetry_;  // each second while the part is held
};

}  // namespace run
