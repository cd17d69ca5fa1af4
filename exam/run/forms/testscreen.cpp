#include "exam/run/forms/testscreen.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <utility>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/formtext.h"
#include "common/hotkeys.h"
#include "platform/core/compat.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/handler.h"
#include "platform/gui/widgetprompt.h"
#include "platform/media/audio_device.h"
#include "platform/media/sound.h"
#include "platform/media/transport_bar.h"
#include "exam/record/recordmodule.h"
#include "exam/run/forms/image_button.h"
#include "exam/run/forms/nosoundbox.h"
#include "exam/run/forms/pausedialog.h"
#include "exam/run/forms/processing.h"
#include "exam/run/core/run_services.h"
#include "exam/run/core/test_clock.h"

namespace run {

namespace {

constexpr int kFormWidth = 9600;  // twips
constexpr int kFormHeight = 7200;
constexpr int kBoxWidth = 8000;
constexpr int kBoxHeight = 250;
constexpr int kRowsTop = 800;
constexpr int kRowStep = 100;  // gap between rows, on top of the box height

rec::TestRecordModule& Module() { return rec::testRecordModule(); }

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text = QString()) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromUtf8(name));
  return l;
}

void SetColours(QWidget* w, float fore, float back, bool transparentWhenZero = false) {
  QPalette p = w->palette();
  bool ok = false;
  const unsigned f = plat::ColourFromBgr(static_cast<int>(fore), &ok);
  if (ok) {
    p.setColor(QPalette::Text, QColor::fromRgb(f));
    p.setColor(QPalette::WindowText, QColor::fromRgb(f));
  }
  if (transparentWhenZero && back == 0) {
    w->setAutoFillBackground(false);
  } else {
    const unsigned b = plat::ColourFromBgr(static_cast<int>(back), &ok);
    if (ok) {
      p.setColor(QPalette::Base, QColor::fromRgb(b));
      p.setColor(QPalette::Window, QColor::fromRgb(b));
      w->setAutoFillBackground(true);
    }
  }
  w->setPalette(p);
}

// mm:ss of a millisecond value, minutes not bounded.
QString MinSec(double ms) {
  const long long s = static_cast<long long>(ms / 1000.0);
  return plat::FormatNumber(static_cast<double>(s / 60), u"00") + u':' +
         plat::FormatNumber(static_cast<double>(s % 60), u"00");
}

QString BoolText(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }

}  // namespace

// The boxes as the line buffers and the editing rules see them. A refill
// puts the caret at the start of each box, as the design's boxes did when
// their text was set.
class 正式測驗::ScreenBoxes : public ColumnBoxes {
 public:
  explicit ScreenBoxes(正式測驗& f) : f_(f) {}
  QString BoxText(int i) const override { return f_.TB.at(i)->text(); }
  void SetBoxText(int i, const QString& text) override {
    TypingBox* b = f_.TB.at(i);
    b->setText(text);
    b->setCursorPosition(0);
  }
  void SetLabelText(int i, const QString& text) override { f_.TbX.at(i)->setText(text); }
  void EditText(int i, const QString& text) override { f_.TB.at(i)->setText(text); }
  int Caret(int i) const override { return f_.TB.at(i)->cursorPosition(); }
  void SetCaret(int i, int pos) override { f_.TB.at(i)->setCursorPosition(pos); }
  bool HasSelection(int i) const override { return f_.TB.at(i)->hasSelectedText(); }
  bool ReadOnly(int i) const override { return f_.TB.at(i)->isReadOnly(); }
  void Focus(int i) override { f_.FocusBox(i); }
  void ShowParagraph(int row) override { f_.ShowParagraph(row); }
  void Scroll(int direction) override { f_.ScrollLines(direction); }
  void Write(const std::function<void()>& body) override { f_.WriteBoxes(body); }

 private:
  正式測驗& f_;
};

正式測驗::正式測驗() : Form(QStringLiteral("正式測驗")), boxes_(new ScreenBoxes(*this)) {
  // A fixed window without a close box: the test ends by time-up or leave,
  // and the candidate cannot close the test away. A main window, not a
  // dialog: it is the program's taskbar entry.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  SetRefusesWindowManagerClose(true);
  setFixedSize(plat::TwipsToPixels(kFormWidth), plat::TwipsToPixels(kFormHeight));
  setMouseTracking(true);

  Timer1 = new plat::FormTimer(this, QStringLiteral("Timer1"));
  Timer2 = new plat::FormTimer(this, QStringLiteral("Timer2"));
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  Timer1->Tick = [this] { plat::RunHandler(QStringLiteral("Timer1_Timer"), [this] { Timer1_Timer(); }); };
  Timer2->Tick = [this] { plat::RunHandler(QStringLiteral("Timer2_Timer"), [this] { Timer2_Timer(); }); };

  QFont boxFont = font();
  boxFont.setPointSize(10);
  for (int i = 0; i < kBoxes; ++i) {
    auto* b = new TypingBox(i, this);
    b->setFont(boxFont);
    b->setTextMargins(2, 0, 2, 0);
    b->KeyDown = [this](int k, int& code, int shift) {
      bool handled = false;
      plat::RunHandler(QStringLiteral("TB_KeyDown"), [&] { handled = TB_KeyDown(k, code, shift); });
      return handled;
    };
    b->KeyPress = [this](int k, QChar ch) {
      TypingBox::Verdict v = TypingBox::kType;
      plat::RunHandler(QStringLiteral("TB_KeyPress"), [&] { v = TB_KeyPress(k, ch); });
      return v;
    };
    b->KeyUp = [this](int k) { plat::RunHandler(QStringLiteral("TB_KeyUp"), [&] { TB_KeyUp(k); }); };
    b->Click = [this](int k) { plat::RunHandler(QStringLiteral("TB_Click"), [&] { TB_Click(k); }); };
    b->GotFocus = [this](int k) { plat::RunHandler(QStringLiteral("TB_GotFocus"), [&] { TB_GotFocus(k); }); };
    b->MouseDown = [this](int k) { TB_MouseDown(k); };
    b->CaretBox = [this] { return TB.at(CurBox >= 0 && CurBox < kBoxes ? CurBox : 0); };
    // An input method commits whole phrases: one commit is one change to
    // the rhythm watch, whatever its length.
    b->CommitBegin = [this](int) {
      inCommit_ = true;
      commitEdit_ = -1;
    };
    b->CommitEnd = [this](int) {
      inCommit_ = false;
      const int edited = std::exchange(commitEdit_, -1);
      if (edited >= 0) plat::RunHandler(QStringLiteral("TB_Change"), [&] { WatchKeystrokeRhythm(1, edited); });
    };
    b->TakesClicks = [this] { return clickHold_.hasExpired(); };
    b->HoldCommit = [this](int k, const QString& text) { return HoldCommit(k, text); };
    // Only the candidate's own edits reach the rhythm watch; refills and the
    // screen's own splits and joins change the lengths only.
    connect(b, &QLineEdit::textEdited, this, [this, i] { editPending_ = i; });
    connect(b, &QLineEdit::textChanged, this,
            [this, i] { plat::RunHandler(QStringLiteral("TB_Change"), [&] { TB_Change(i); }); });
    TB[i] = b;
    auto* x = new QLabel(this);
    x->setObjectName(plat::ArrayElementName(QStringLiteral("TbX"), i));
    x->setFont(boxFont);
    x->hide();
    TbX[i] = x;
  }

  Label1 = NewLabel(this, "Label1");
  Label2 = NewLabel(this, "Label2", QStringLiteral("00:00"));
  Label3 = NewLabel(this, "Label3", QStringLiteral("00:00"));
  Label4 = NewLabel(this, "Label4", QStringLiteral("0"));
  Label5 = NewLabel(this, "Label5");
  Label6 = NewLabel(this, "Label6");
  Label7 = NewLabel(this, "Label7");
  Label8 = NewLabel(this, "Label8");
  Label9 = NewLabel(this, "Label9", QStringLiteral(":"));
  BoxRow = NewLabel(this, "BoxRow", QStringLiteral("00"));
  BoxCol = NewLabel(this, "BoxCol", QStringLiteral("00"));
  TimeMinute = NewLabel(this, "TimeMinute", QStringLiteral("00"));
  TimeSecond = NewLabel(this, "TimeSecond", QStringLiteral("00"));
  Image1 = NewLabel(this, "Image1");
  Image2 = new ImageButton(this);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image3 = NewLabel(this, "Image3");
  Image4 = NewLabel(this, "Image4");
  Command1 = new QPushButton(this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setFocusPolicy(Qt::NoFocus);
  Command1->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
  Mci = plat::NewAudioDevice(this);
  MMControl1 = new plat::MciTransportBar(Mci, this);
  MMControl1->setObjectName(QStringLiteral("MMControl1"));

  // Design-time look. Clock at the top left, the pause button beside it,
  // the audio panel to the right; the line and caret numbers at the bottom.
  QFont clockFont = font();
  clockFont.setPointSize(22);
  clockFont.setBold(true);
  for (QLabel* l : {TimeMinute, Label9, TimeSecond}) {
    l->setFont(clockFont);
    l->setAlignment(Qt::AlignCenter);
  }
  plat::SetTwipsGeometry(TimeMinute, {200, 120, 700, 540});
  plat::SetTwipsGeometry(Label9, {900, 120, 200, 540});
  plat::SetTwipsGeometry(TimeSecond, {1100, 120, 700, 540});
  plat::SetTwipsGeometry(Image1, {1950, 80, 700, 620});
  Image1->setFrameShape(QFrame::Box);
  Image1->setLineWidth(2);
  Image1->hide();
  plat::SetTwipsGeometry(Image2, {2000, 120, 600, 540});
  Image2->setPixmap(style()->standardIcon(QStyle::SP_MediaPause).pixmap(28, 28));
  Image2->setAlignment(Qt::AlignCenter);
  plat::SetTwipsGeometry(Image3, {2900, 60, 6500, 680});
  Image3->setFrameShape(QFrame::StyledPanel);
  plat::SetTwipsGeometry(MMControl1, {3000, 150, 1900, 500});
  plat::SetTwipsGeometry(Label2, {5000, 110, 800, 260});
  plat::SetTwipsGeometry(Label1, {5900, 110, 2300, 260});
  plat::SetTwipsGeometry(Label3, {5000, 400, 3200, 260});
  plat::SetTwipsGeometry(Command1, {8300, 150, 1000, 500});
  plat::SetTwipsGeometry(Label5, {800, 6500, 900, 300});
  plat::SetTwipsGeometry(Label4, {1700, 6500, 500, 300});
  plat::SetTwipsGeometry(BoxRow, {2400, 6500, 500, 300});
  plat::SetTwipsGeometry(BoxCol, {3000, 6500, 500, 300});
  plat::SetTwipsGeometry(Label8, {3600, 6500, 300, 300});
  plat::SetTwipsGeometry(Label6, {4000, 6500, 2500, 300});
  plat::SetTwipsGeometry(Label7, {4000, 6800, 5200, 300});
  plat::SetTwipsGeometry(Image4, {8500, 6450, 800, 650});
  Image4->setPixmap(style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(32, 32));
  Image4->setAlignment(Qt::AlignCenter);
  Label1->hide();
  Label6->hide();
  Label7->hide();
  Image3->lower();

  Image2->Click = [this] { plat::RunHandler(QStringLiteral("Image2_Click"), [this] { Image2_Click(); }); };
  Image2->MouseMove = [this] { Image2_MouseMove(); };
  connect(Command1, &QPushButton::clicked, this,
          [this] { plat::RunHandler(QStringLiteral("Command1_Click"), [this] { Command1_Click(); }); });
  connect(Mci, &plat::AudioDevice::playPressed, this,
          [this] { plat::RunHandler(QStringLiteral("MMControl1_PlayClick"), [this] { MMControl1_PlayClick(); }); });
  connect(Mci, &plat::AudioDevice::pausePressed, this, [this] { MMControl1_PauseClick(); });
  connect(Mci, &plat::AudioDevice::prevPressed, this, [this] { MMControl1_PrevClick(); });
  connect(Mci, &plat::AudioDevice::statusUpdate, this, [this] {
    plat::RunHandler(QStringLiteral("MMControl1_StatusUpdate"), [this] { MMControl1_StatusUpdate(); });
  });
  connect(Mci, &plat::AudioDevice::done, this, [this] { MMControl1_Done(); });
  connect(Mci, &plat::AudioDevice::lengthChanged, this, [this] { ShowLengthLabels(); });
  connect(Mci, &plat::AudioDevice::failure, this, [this](const QString& why) {
    plat::RunHandler(QStringLiteral("MMControl1_Failure"), [&] { MMControl1_Failure(why); });
  });
  soundRetry_ = new plat::FormTimer(this, QStringLiteral("SoundRetry"));
  soundRetry_->SetEnabled(false);
  soundRetry_->SetInterval(1000);
  soundRetry_->Tick = [this] { plat::RunHandler(QStringLiteral("SoundRetry_Timer"), [this] { TrySoundAgain(); }); };
  ConnectParts();

  for (int i = 0; i < kBoxes; ++i) {
    boxGeometry_[i] = {(kFormWidth - kBoxWidth) / 2, kRowsTop + i * (kBoxHeight + kRowStep), kBoxWidth, kBoxHeight};
    labelGeometry_[i] = {};
    plat::SetTwipsGeometry(TB[i], boxGeometry_[i]);
  }
}

正式測驗::~正式測驗() { delete boxes_; }

float 正式測驗::Now() const { return static_cast<float>(testClock().SecondsSinceMidnight()); }

void 正式測驗::ClearClip() {
  if (ClipGuard == 1) plat::ClearClipboard();
}

// ---------------------------------------------------------------------------
// Load, activation, layout

void 正式測驗::Form_Load() {
  Timer1->SetInterval(100);
  Timer2->SetInterval(250);
  common::TestRunState.set(0);
  RunState = 0;
  Parts.PartNo = 0;
  ClipGuard = 1;
  Image4->setVisible(common::Setting999.get() != 1);
  ClearClip();
  RhythmLimit = static_cast<float>(common::SystemIniValue(7499).asNumber());
  RhythmMode = static_cast<std::uint8_t>(StoreInt(7497));
  RhythmSwitch = static_cast<std::uint8_t>(StoreInt(2281));
  // Times of the run are read from here on: the clock starts at the wall
  // clock's time now and runs on monotonically.
  AnchorTestClock();
  common::ApplyFormText(2, this);
  setWindowTitle(common::ProductTitle.get());  // the form has no caption of its own
  Form_Resize();
}

void 正式測驗::Form_Resize() { plat::CentreOnScreen(this); }

void 正式測驗::Form_Activate() {
  HoldClicks();
  ClearClip();
  RunState = common::TestRunState.get();
  if (RunState == 0) {
    plat::RunHandler(QStringLiteral("Form_Activate"), [this] { StartTest(); });
  } else if (RunState == 2) {
    plat::RunHandler(QStringLiteral("Form_Activate"), [this] { ResumeTest(); });
  }
}

void 正式測驗::StartTest() {
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  Label1->clear();
  Label2->setText(QStringLiteral("00:00"));
  Label3->setText(QStringLiteral("00:00"));
  HandedOver = false;
  ClockStarted = false;
  clockHeld_ = false;
  Parts.Reset();
  Module().ClearTestLines(*boxes_);

  bool ok = false;
  const QString minutes = SetupScreenValues().minutes;
  Duration = DurationFromMinutes(minutes, &ok);
  if (!ok) {
    // The set-up refuses such a start; should one get here, the test runs
    // with the set-up's default length rather than leaving a dead screen.
    Duration = static_cast<float>(common::Setting201.get()) * 60.0f;
    common::WriteErrorLog(QStringLiteral("Form_Activate>測驗時間不是數字>") + minutes + u'>' +
                          QString::number(Duration));
  }
  DisplayMode = common::Setting208.get();
  ScrollLines(0);
  common::TestRunState.set(1);
  RunState = 1;
  LayOutBoxes();

  const int s701 = common::Setting701.get();
  if (s701 > 0) {
    Parts.Prepare();
    Image3->show();
    MMControl1->show();
    Command1->show();
    if (common::Setting703.get() > 0) {
      for (QLabel* l : {Label1, Label2, Label3, Label6}) l->show();
    }
    const bool parts = common::Setting702.get() > 0;
    Label4->setVisible(parts);
    Label5->setVisible(parts);
  } else {
    for (QWidget* w : std::initializer_list<QWidget*>{Image3, MMControl1, Command1, Label1, Label2, Label3, Label4,
                                                       Label5, Label6})
      w->hide();
    Parts.AudioDue = 0;
  }

  CurBox = 0;
  FocusBox(0);
  ShowParagraph(0);
  if (s701 > 0) {
    CheckSoundOutput();
    // Waiting for the first Play only makes sense with audio to play.
    if (Parts.Start()) return;
  }
  StartClock();
}

void 正式測驗::StartClock() {
  StartTime = Now();
  StopTime = StartTime + 1.0f;
  Elapsed = 0;
  ClockStarted = true;
  Timer1->SetEnabled(true);
  Timer2->SetEnabled(true);
  const ClockFace f = StartFace(Duration, common::Setting281.get() == 1);
  TimeMinute->setText(f.minutes);
  TimeSecond->setText(f.seconds);
}

void 正式測驗::ResumeTest() {
  if (HandedOver) return;
  if (ClockStarted && !Timer1->Enabled()) StartTime = StartTime + (Now() - StopTime);
  common::TestRunState.set(3);
  RunState = 3;
  Parts.Resume();
  FocusBox(CurBox);
  ShowParagraph(CurBox);
  if (ClockStarted) {
    Timer1->SetEnabled(true);
    Timer2->SetEnabled(true);
  }
}

void 正式測驗::LayOutBoxes() {
  const bool hints = common::Setting906.get() > 0 && DisplayMode == 0;
  const bool pairedColours = DisplayMode >= 1 && DisplayMode <= 6;
  for (int i = 0; i < kBoxes; ++i) {
    plat::TwipsBox g{(kFormWidth - kBoxWidth) / 2, kRowsTop + BoxRowOf(DisplayMode, i) * (kBoxHeight + kRowStep),
                     kBoxWidth, kBoxHeight};
    if (pairedColours) {
      const bool typing = i < 8;
      SetColours(TB[i], common::ScreenColor.get(typing ? 1 : 2), common::ScreenColor.get(typing ? 3 : 4));
    } else {
      SetColours(TB[i], common::ScreenColor.get(5), common::ScreenColor.get(6));
    }
    if (hints) {
      labelGeometry_[i] = {g.left - 700, g.top, 1200, kBoxHeight};
      plat::SetTwipsGeometry(TbX[i], labelGeometry_[i]);
      SetColours(TbX[i], common::ScreenColor.get(7), common::ScreenColor.get(8), true);
      TbX[i]->show();
      g.left += 600;
    } else {
      labelGeometry_[i] = {};
      TbX[i]->hide();
    }
    boxGeometry_[i] = g;
    plat::SetTwipsGeometry(TB[i], g);
  }
  RefreshBoxAccess();
}

plat::TwipsBox 正式測驗::BoxGeometry(int i) const { return boxGeometry_[i]; }
plat::TwipsBox 正式測驗::LabelGeometry(int i) const { return labelGeometry_[i]; }

int 正式測驗::LastBox() const { return LastTypingBox(DisplayMode); }

void 正式測驗::RefreshBoxAccess() {
  const rec::TestLines& lines = Module().lines;
  for (int i = 0; i < kBoxes; ++i) {
    const bool typing = i <= LastBox();
    // A text line of the paired layouts is for reading; a row past the
    // buffer's end cannot be kept, so nothing can be typed there.
    TB[i]->setReadOnly(!BoxTakesTyping(lines.FirstVisibleLine, i, LastBox(), HandedOver));
    // While clicks are held a press must not even move the focus, which Qt
    // does before the box sees the press.
    TB[i]->setFocusPolicy(!typing                   ? Qt::NoFocus
                          : clickHold_.hasExpired() ? Qt::StrongFocus
                                                    : Qt::TabFocus);
  }
}

void 正式測驗::HoldClicks() {
  const int ms = QApplication::doubleClickInterval();
  clickHold_.setRemainingTime(ms);
  RefreshBoxAccess();
  QTimer::singleShot(ms + 10, this, [this] { RefreshBoxAccess(); });
}

void 正式測驗::ScrollLines(int direction) {
  // The composition goes into its own line before the lines are saved.
  CommitCompositions();
  const bool outermost = writing_ == 0;
  const auto scroll = [this](int d) {
    std::array<int, kBoxes> caret{};
    for (int i = 0; i < kBoxes; ++i) caret[i] = TB[i]->cursorPosition();
    Module().ScrollTestLines(d, *boxes_);
    if (d < 1 || d > 4) {
      // A save in place leaves every caret where it was.
      for (int i = 0; i < kBoxes; ++i) TB[i]->setCursorPosition(caret[i]);
    }
    RefreshBoxAccess();
  };
  // A commit typed after the save is saved too.
  if (WriteBoxes([&] { scroll(direction); }) && outermost) WriteBoxes([&] { scroll(rec::kSaveOnly); });
}

bool 正式測驗::CommitCompositions() {
  if (writing_ > 0) return false;
  bool any = false;
  for (TypingBox* b : TB)
    if (b->Composing() && b->CommitComposition()) any = true;
  return any;
}

bool 正式測驗::WriteBoxes(const std::function<void()>& body) {
  if (writing_ == 0) {
    writeFrom_ = Module().lines.FirstVisibleLine;
    for (int i = 0; i < kBoxes; ++i) writeCaret_[i] = TB[i]->cursorPosition();
  }
  ++writing_;
  struct Leave {
    int& n;
    ~Leave() { --n; }
  };
  {
    Leave leave{writing_};
    body();
  }
  return writing_ == 0 && TypeHeldCommits();
}

bool 正式測驗::HoldCommit(int i, const QString& text) {
  if (writing_ == 0) return false;
  held_.append({writeFrom_ + i, writeCaret_[i], text});
  return true;
}

bool 正式測驗::TypeHeldCommits() {
  bool typed = false;
  while (!held_.isEmpty()) {
    const HeldCommit h = held_.takeFirst();
    const int j = Column().PlaceHeldCommit(h.line, h.caret, h.text, HandedOver);
    if (j >= 0) {
      TB[j]->TypeCommit(h.text);
      typed = true;
    }
  }
  return typed;
}

void 正式測驗::FocusBox(int i) {
  if (i < 0 || i >= kBoxes) return;
  CurBox = static_cast<std::int16_t>(i);
  TB[i]->setFocus(Qt::OtherFocusReason);
}

void 正式測驗::ShowParagraph(int row) { Label4->setText(QString::number(Module().ParagraphOfLine(row))); }

void 正式測驗::mouseMoveEvent(QMouseEvent* e) {
  Image1->hide();  // Form_MouseMove
  Form::mouseMoveEvent(e);
}

void 正式測驗::Image2_MouseMove() { Image1->show(); }

// ---------------------------------------------------------------------------
// Pause and mixer

void 正式測驗::Image2_Click() {
  if (HandedOver || (RunState != 1 && RunState != 3)) return;
  // What is being composed is kept; typing it may end the test when the
  // time is up.
  CommitCompositions();
  if (HandedOver) return;
  if (common::Setting399.get() == 0) {
    Timer1->SetEnabled(false);
    Timer2->SetEnabled(false);
  }
  StopTime = Now();
  // Paused before the clock started: the run so far is empty.
  if (!ClockStarted) StartTime = StopTime;
  Parts.Pause();
  ScrollLines(0);
  common::TestRunState.set(8);
  RunState = 8;
  Module().SetTestTimes(StartTime, StopTime);
  Hide();
  plat::forms::get<是否暫離>().Show(plat::ShowMode::Modeless, this);
}

void 正式測驗::Command1_Click() { OpenVolumeMixer(QStringLiteral("Command1_Click")); }

void 正式測驗::CloseForHandOver() {
  Parts.ReportUnheard();
  HandedOver = true;
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  EndSoundWait();
  RefreshBoxAccess();
}

// ---------------------------------------------------------------------------
// Clock and time-up

bool 正式測驗::ClockWentBack(bool strict, bool diagnostic) {
  const float now = Now();
  const float t = now - StartTime;
  if (!run::ClockWentBack(t, Elapsed, strict)) {
    Elapsed = t;
    return false;
  }
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  common::WriteErrorLog(QStringLiteral("時間倒退>") + StrSingle(now) + u' ' + StrSingle(StartTime) + u' ' +
                        StrSingle(Elapsed));
  if (diagnostic) ShowMessage(StrSingle(now) + u' ' + StrSingle(StartTime) + u' ' + StrSingle(Elapsed));
  ShowMessage(StoreText(10218));
  plat::app().EndProgram(0);
  return true;
}

void 正式測驗::ShowClockFace() {
  const ClockFace f = ShowClock(Elapsed, Duration, common::Setting281.get() == 1);
  TimeMinute->setText(f.minutes);
  TimeSecond->setText(f.seconds);
}

void 正式測驗::Timer1_Timer() {
  if (RunState != 1 && RunState != 3) {
    if (Elapsed > Duration && (Timer1->Enabled() || Timer2->Enabled())) CheckTimeUp();
    return;
  }
  if (ClockWentBack(false, false)) return;
  ShowClockFace();
  bool ended = false;
  if (Elapsed > Duration) ended = CheckTimeUp() == 0;
  if (plat::app().Ending()) return;
  const int beeps = WarningBeeps(Elapsed, Duration, common::Setting211.get(), common::Setting212.get());
  for (int k = 0; k < beeps; ++k) plat::beeper().Beep();
  if (!ended) Parts.Tick();
}

void 正式測驗::Timer2_Timer() {
  if (RunState != 1 && RunState != 3) {
    if (Timer1->Enabled() || Timer2->Enabled()) CheckTimeUp();
  } else if (!ClockWentBack(true, false)) {
    bool ended = false;
    if (Elapsed > Duration) ended = CheckTimeUp() == 0;
    if (!ended && !plat::app().Ending()) Parts.Tick();
  }
  if (plat::app().Ending()) return;
  Label6->setText(BoolText(Timer1->Enabled()) + u' ' + BoolText(Timer2->Enabled()) + u' ' +
                  QString::number(common::Setting281.get()));
}

int 正式測驗::CheckTimeUp() {
  if (inCheckTimeUp_) return 1;
  inCheckTimeUp_ = true;
  struct Leave {
    bool& f;
    ~Leave() { f = false; }
  } leave{inCheckTimeUp_};

  if (ClockWentBack(true, true)) return 0;
  if (!(Elapsed > Duration)) return 1;
  // Time is up: the clock, the audio and the boxes stop, the record keeps
  // the first end moment.
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  if (StopTime - StartTime < Duration) StopTime = Now();
  Parts.ReportUnheard();
  EndSoundWait();
  if (common::Setting701.get() > 0) Mci->command(QStringLiteral("CLOSE"));
  ScrollLines(0);
  common::TestRunState.set(8);
  RunState = 8;
  Module().SetTestTimes(StartTime, StopTime);
  HandedOver = true;
  RefreshBoxAccess();
  // A pause dialog still open (the clock ran on during the pause) goes.
  if (plat::forms::exists<是否暫離>()) plat::forms::get<是否暫離>().Hide();
  Hide();
  ShowProcessing();
  return 0;
}

void 正式測驗::ShowProcessing() { plat::forms::get<處理下>().Show(plat::ShowMode::Modeless); }

// ---------------------------------------------------------------------------
// Audio

void 正式測驗::ConnectParts() {
  Parts.SetDevice(Mci);
  PartPlayer::Hooks& h = Parts.hooks;
  h.begun = [this] { return RunState != 0; };
  h.running = [this] { return RunState == 1 || RunState == 3; };
  h.handedOver = [this] { return HandedOver; };
  h.clockStarted = [this] { return ClockStarted; };
  h.holdClock = [this] { HoldClock(); };
  h.releaseClock = [this] { ReleaseClock(); };
  h.tellNoSound = [this](const QString& why) { TellNoSound(why); };
  h.noSoundReason = [](const QString& why) {
    if (plat::forms::exists<NoSoundBox>()) plat::forms::get<NoSoundBox>().SetReason(why);
  };
  h.dropNoSound = [this] { DropNoSoundBox(); };
  h.retry = [this](bool on) { soundRetry_->SetEnabled(on); };
  h.played = [this] { PartPlayed(); };
  h.positionMoved = [this] { Label3->setText(MinSec(Parts.Position())); };
  h.opened = [this] { ShowLengthLabels(); };
}

void 正式測驗::ShowLengthLabels() {
  const qint64 len = Mci->length();
  const bool known = len != plat::AudioDevice::kLengthUnknown;
  const double pos = Parts.Position();
  Label1->setText(Mci->fileName());
  Label2->setText(known ? MinSec(static_cast<double>(len)) : QStringLiteral("00:00"));
  Label3->setText(MinSec(pos) + u' ' + QString::number(PartNo) + u' ' + QString::number(pos) + u' ' +
                  QString::number(known ? len : 0));
}

void 正式測驗::PartPlayed() {
  if (isVisible()) FocusBox(CurBox);
  if (common::Setting705.get() == 1 && !ClockStarted && !HandedOver) StartClock();
}

void 正式測驗::MMControl1_PlayClick() { Parts.PlayPressed(); }

void 正式測驗::MMControl1_PauseClick() { Parts.PausePressed(); }

void 正式測驗::MMControl1_PrevClick() { Parts.PrevPressed(); }

void 正式測驗::MMControl1_StatusUpdate() { Parts.StatusUpdate(); }

void 正式測驗::MMControl1_Done() { Parts.Done(); }

void 正式測驗::MMControl1_Failure(const QString& why) { Parts.Failure(why); }

bool 正式測驗::TrySoundAgain() { return Parts.TryAgain(); }

void 正式測驗::TellNoSound(const QString& why) {
  NoSoundBox& box = plat::forms::get<NoSoundBox>();
  box.SetReason(why);
  if (!box.isVisible()) box.Show(plat::ShowMode::Modeless, this);
}

void 正式測驗::GoOnWithoutSound() {
  Parts.ChooseWithoutSound();
  DropNoSoundBox();
  // The part is still tried each second and plays once the sound is back.
  ReleaseClock();
  if (isVisible()) FocusBox(CurBox);
}

void 正式測驗::EndSoundWait() {
  Parts.EndWait();
  clockHeld_ = false;
  DropNoSoundBox();
}

void 正式測驗::DropNoSoundBox() {
  if (plat::forms::exists<NoSoundBox>()) plat::forms::get<NoSoundBox>().Hide();
}

void 正式測驗::HoldClock() {
  if (clockHeld_ || !ClockStarted || HandedOver || !Timer1->Enabled()) return;
  // What is being composed goes in before the box takes the focus.
  CommitCompositions();
  if (HandedOver) return;
  clockHeld_ = true;
  heldAt_ = Now();
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
}

void 正式測驗::ReleaseClock() {
  if (!clockHeld_) return;
  clockHeld_ = false;
  if (HandedOver) return;
  // The time without sound does not count, as a pause does not.
  StartTime = StartTime + (Now() - heldAt_);
  Timer1->SetEnabled(true);
  Timer2->SetEnabled(true);
  if (isVisible()) FocusBox(CurBox);
}

void 正式測驗::CheckSoundOutput() {
  for (;;) {
    const QString why = Mci->outputProblem();
    if (why.isEmpty()) return;
    common::WriteErrorLog(QStringLiteral("音效>無法放音>") + why);
    const plat::Answer a = plat::prompt().Ask(NoSoundMessage(why), common::ProductTitle.get(),
                                              plat::Buttons::RetryCancel, plat::Icon::Exclamation);
    if (a != plat::Answer::Retry) {
      Parts.ChooseWithoutSound();
      return;
    }
  }
}

// ---------------------------------------------------------------------------
// Typing boxes

void 正式測驗::ShowRowCol(int i) {
  BoxRow->setText(plat::FormatNumber(Module().VisibleLineIndex(i + 1), u"00"));
  BoxCol->setText(plat::FormatNumber(TB[i]->cursorPosition(), u"00"));
}

void 正式測驗::ShowCaretState(int i) {
  CaretState = run::CaretState(TB[i]->text(), TB[i]->cursorPosition());
  Label8->setText(QString::number(CaretState));
}

void 正式測驗::PartSwitch() {
  Parts.FollowCaret(static_cast<int>(plat::ValNumber(Label4->text())));
}

TypingColumn 正式測驗::Column() { return TypingColumn(*boxes_, Module().lines, LastBox()); }

void 正式測驗::TB_Change(int i) {
  PrevLen = CurLen;
  CurLen = TB[i]->text().size();
  LastText = TB[i]->text();
  const bool edited = editPending_ == i;
  editPending_ = -1;
  if (!edited || !Paired() || i > 7) return;
  if (inCommit_) {
    commitEdit_ = i;  // watched once, when the commit is in
  } else {
    WatchKeystrokeRhythm(1, i);
  }
}

void 正式測驗::TB_Click(int i) {
  if (ClipGuard == 1) {
    plat::ClearClipboard();
    TB[i]->deselect();
  }
  ShowRowCol(i);
  FocusBox(i);
  ShowParagraph(i);
  PartSwitch();
  ShowCaretState(i);
  WatchKeystrokeRhythm(0, i);
}

void 正式測驗::TB_GotFocus(int i) {
  ClearClip();
  ShowRowCol(i);
  CurBox = static_cast<std::int16_t>(i);
  WatchKeystrokeRhythm(0, i);
}

void 正式測驗::TB_MouseDown(int) { ClearClip(); }

bool 正式測驗::TB_KeyDown(int i, int& keyCode, int shift) {
  bool handled = false;
  if (HandedOver) return true;
  if (shift > 0) {
    ClearClip();
    const int column = shift - 1;
    const QString t = column >= 0 && column <= 5 ? common::HotKeyText(column, keyCode) : QString();
    if (!t.isEmpty() && !TB[i]->isReadOnly()) {
      // The phrase being composed goes in first, the hot key's text after
      // it, in the box the caret then is in.
      const int to = CommitCompositions() ? CurBox : i;
      if (HandedOver) return true;
      Column().InsertHotKey(to, t);
      handled = true;  // the key's own character is not typed as well
    }
  } else {
    if (TypingColumn::CommitsFirst(keyCode) && CommitCompositions()) {
      if (HandedOver) return true;
      i = CurBox;
    }
    const TypingColumn::KeyResult r = Column().Key(i, keyCode);
    handled = r.handled;
    if (r.consumed) keyCode = 0;
    if (r.moved >= 0) WatchKeystrokeRhythm(0, r.moved);
    PartSwitch();
  }
  WatchKeystrokeRhythm(1, i);
  return handled;
}

TypingBox::Verdict 正式測驗::TB_KeyPress(int i, QChar ch) {
  if (HandedOver) return TypingBox::kDrop;
  const TypingColumn::CharResult r = Column().Character(i, ch, common::Setting213.get());
  if (r.moveTo >= 0) TB_Click(r.moveTo);
  TypingBox* b = TB[i];
  LastCol = static_cast<int>(plat::ValNumber(BoxCol->text()));
  PrevLen = CurLen;
  CurLen = b->text().size();
  LastText = b->text();
  return r.drop ? TypingBox::kDrop : TypingBox::kType;
}

void 正式測驗::TB_KeyUp(int i) {
  ShowRowCol(i);
  CurBox = static_cast<std::int16_t>(i);
  if (Timer1->Enabled() || Timer2->Enabled()) CheckTimeUp();
  ShowCaretState(i);
}

// ---------------------------------------------------------------------------
// Typing-rhythm watch

void 正式測驗::WatchKeystrokeRhythm(int mode, int i) {
  if (i < 0 || i >= kBoxes) return;
  TypingBox* b = TB[i];
  if (mode == 0) {
    PrevLen = CurLen = b->text().size();
    LastText = b->text();
    Rhythm.Reset(Now());
    return;
  }
  if (RhythmSwitch != 1 || !Timer1->Enabled() || inWatch_) return;
  inWatch_ = true;
  struct Leave {
    bool& f;
    ~Leave() { f = false; }
  } leave{inWatch_};

  const RhythmWatch::Step s = Rhythm.Record(Now(), PrevLen);
  if (s.reset) LastText = b->text();
  Label7->setText(RhythmLine(i, CurLen, PrevLen, s.dt, s.count, b->text()));
  if (!(static_cast<float>(s.count) > RhythmLimit)) return;
  // Too many changes in the same hundredth: not typed by hand.
  common::WriteErrorLog(QStringLiteral("WatchKeystrokeRhythm>") + Label7->text());
  if (StoreInt(7495) == 1) {
    plat::prompt().Ask(StoreText(10220) + QStringLiteral("\r\n") + StoreText(10221) + QStringLiteral("\r\n") +
                           StoreText(10222),
                       StoreText(10219), plat::Buttons::Ok, plat::Icon::Exclamation);
    FocusBox(i);
  }
  if (StoreInt(7494) == 1) {
    plat::prompt().Ask(StoreText(10224) + QStringLiteral("\r\n") + StoreText(10225), StoreText(10223),
                       plat::Buttons::Ok, plat::Icon::Exclamation);
    FocusBox(i);
  }
  WriteBoxes([&] { b->setText(QString()); });
  Rhythm.Reset(Now());
}

}  // namespace run
