#pragma once
// 輸入資料表面, the test program's first window: the candidate's particulars,
// the choice of test and of the options, and the start of a test. Its load
// handler does the program's start-up (settings, layout, command line); its
// start button checks every field, names the record and result files, loads
// the test text and hands over to the test run. The values the test run
// reads are kept in step in run::SetupScreenValues().
#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "platform/gui/form.h"
#include "platform/gui/titlebar.h"
#include "platform/gui/twips.h"
#include "exam/record/setupvalues.h"
#include "exam/setup/core/screenplan.h"
#include "exam/setup/core/setuplogic.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextBrowser;

namespace setup {

class UpDown;

// Work that later parts of the program plug in: the note-settings refresh at
// start-up and the operating-instructions window.
struct SetupHooks {
  std::function<void()> RefreshNoteSettings;
  std::function<void(QWidget* owner)> ShowOperation;
};
SetupHooks& setupHooks();

using plat::TitleBarFont;

// The program's arguments as the load handler reads them (argv without the
// program). Tests set them; by default the application's own.
void SetProgramArguments(const QStringList& arguments);
QStringList ProgramArguments();

// Colour values of the check boxes' text, as 0x00BBGGRR, and the system's
// button-text colour.
inline constexpr int kColourBlue = 0xFF0000;
inline constexpr int kColourRed = 0x0000FF;
inline constexpr int kSystemButtonText = static_cast<int>(0x80000012u);

class 輸入資料表面 : public plat::Form {
 public:
  輸入資料表面();
  ~輸入資料表面() override;

  // ---- controls, by their design names ----
  QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10;
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text6A, *Text6B, *Text6C;
  UpDown *UpDown1, *UpDown2;
  QGroupBox *Frame1, *Frame2, *Frame3, *Frame4;
  QRadioButton *Option1, *Option2, *Option3, *Option4, *Option5, *Option6, *Option7;
  QCheckBox *Check1, *Check2;
  QPushButton *Command1, *Command2, *Command3, *Command4, *Command5, *Command6, *Command7, *Command8,
      *Command9, *Command10, *Command11;
  QTextBrowser* WebBrowser2;

  // ---- state ----
  bool FirstActivated = false;
  // Text colours of the check boxes (0x00BBGGRR or kSystemButtonText).
  int Check1Colour = kSystemButtonText;
  int Check2Colour = kSystemButtonText;

  // ---- public procedures ----
  // Writes the probe file; true only when it was written whole.
  bool Crs_FileTestScore(const QString& path);
  void EnterWWW();
  // The score-destination group by setting 908 on the screen as it stands:
  // a tick or untick runs the box's click.
  void GetKeyNetBox2();
  // Takes the settings the screen keeps from load (the particulars' layout
  // and captions), before the note refresh.
  void Magic();
  // A newer note of settings came after the load (its local copy at
  // `path`). Before Start the screen takes it as it takes a note at load,
  // keeping what the candidate typed; once Start was pressed it is kept for
  // the next start. True when it was applied now.
  bool NoteArrived(const QString& path);

  // ---- handlers ----
  void Command1_Click();  // start
  void Command2_Click();  // leave the program
  void Command3_Click();  // find the test file
  void Command4_Click();  // draw a test
  void Command5_Click();  // advanced settings
  void Command6_Click();  // volume test
  void Command7_Click();  // score folder
  void Command8_Click();  // score host
  void Command9_Click();  // contact window
  void Command10_Click(); // online scores
  void Command11_Click(); // operating instructions
  void Check1_Click();
  void Check2_Click();
  void Option1_Click();
  void Option2_Click();
  void Text3_Change();
  void Text4_Change();
  void Text5_Change();
  void UpDown1_Change();
  void UpDown2_Change();
  // F11 and Ctrl+F12 in the name, identity and test boxes; true when taken.
  bool Text_KeyDown(int keyCode, int shift);
  // Whether a character typed into a birthday box is kept.
  static bool BirthdayCharAllowed(QChar c);
  // The activation handler (also called by tests: offscreen activation is
  // unreliable).
  void OnActivated() { Form_Activate(); }

  // Setting a check box or option button from code runs its click handling,
  // as a click would, when the value changes.
  void SetCheckValue(QCheckBox* box, bool ticked);
  void SetOptionValue(QRadioButton* option);

  // The twips the design and the layout gave a control.
  plat::TwipsBox Geometry(const QWidget* w) const;
  int FormHeight() const { return plan_.formHeight; }
  // Rows of the particulars hidden by the layout string (1..4).
  bool RowHidden(int row) const { return row >= 1 && row <= 4 && plan_.rowHidden[static_cast<std::size_t>(row)]; }
  // A particular the lock (197) left open because the launcher did not give
  // it whole: its box takes the candidate's entry.
  bool ParticularOpened(Particular p) const { return plan_.opened[static_cast<std::size_t>(p)]; }

  // The set-up values from the controls, and back.
  rec::SetupValues ValuesFromControls() const;
  void ApplyValues(const rec::SetupValues& v);
  // Copies the controls into run::SetupScreenValues().
  void SyncSetupValues();

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload(int& cancel) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void Place(QWidget* w, const plat::TwipsBox& box);
  void SetLeft(QWidget* w, int left);
  void SetFormHeight(int twips);
  void SetTitle();
  void FitBoxesToCaptions();
  void ReadCommandLine();
  // The settings the screen takes after the note refresh: the load runs this
  // once, and a newer note that comes before Start runs it again.
  void ApplySettings(bool atLoad);
  void ApplySettingsOnce(bool atLoad);
  // Every control where the plan puts it, shown and enabled as it says.
  void PlaceControls(const ScreenPlan& plan);
  // The plan on the screen: controls, captions, height and choices; a box
  // the plan ticks or unticks against `before` loses its colour.
  void ApplyPlan(const ScreenPlan& plan, const Choices& before);
  // Locked boxes show what the launcher gave; a particular newly opened is
  // logged.
  void TakeLock(const ScreenPlan& previous);
  void WarnOfFolders(bool atLoad);
  // Off X11 nothing keeps the test screen in front of other windows: said,
  // and false, before any test starts.
  bool WarnOfWindowSystem();
  // The option buttons and check boxes as the candidate sees them.
  Choices CurrentChoices() const;
  // The fetch locks the choice of test.
  void LockTestChoice();
  void FillDownloadFields();
  void SetColour(QCheckBox* box, int colour);

  // Start, step by step; each returns false when the start stops there.
  bool StartChecks();
  bool StartDownload(int downloadMode);
  bool StartHandOff(int downloadMode);
  void Refuse(int textId);
  void RefuseText(const QString& text);
  // A refusal about a particular; one the launcher did not give says so.
  void RefuseParticular(Particular p, int textId);
  QString ParticularLead(Particular p) const;

  QHash<const QWidget*, plat::TwipsBox> geometry_;
  int formWidth_ = 9960;
  // The controls a plan places, in the order of Ctl.
  std::array<QWidget*, kControlCount> controls_{};
  StartupSettings startup_;
  // The plan on the screen.
  ScreenPlan plan_;
  // What the plan takes besides the settings: the particulars as the command
  // line gave them (a launcher or a record), the locked choice of test and
  // the offered online scores. Each plan sets its own `before`.
  ScreenState state_;
  QStringList warnedFolders_;
  bool settingsApplied_ = false;
  bool applying_ = false;
  bool applyAgain_ = false;
  bool startPressed_ = false;
};

}  // namespace setup
