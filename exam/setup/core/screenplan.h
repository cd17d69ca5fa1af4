#pragma once
// The set-up screen as its settings make it, without a window: where each
// control stands, whether it shows and takes input, the captions the
// settings give, the choices they make and the window's height. The screen
// computes a plan whenever its settings apply (at load, and again for a
// newer note before Start) and applies it in one place; what depends on the
// desktop's fonts (boxes fitted into their captions' blanks) is the form's.
#include <QString>
#include <array>
#include <optional>

namespace setup {

// The controls a plan places, by their design names.
enum class Ctl {
  Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10,
  Text1, Text2, Text3, Text4, Text5, Text6, Text6A, Text6B, Text6C,
  UpDown1, UpDown2,
  Frame1, Frame2, Frame3, Frame4,
  Option1, Option2, Option3, Option4, Option5, Option6, Option7,
  Check1, Check2,
  Command1, Command2, Command3, Command4, Command5, Command6, Command7, Command8, Command9, Command10,
  Command11,
  WebBrowser2,
};
inline constexpr int kControlCount = static_cast<int>(Ctl::WebBrowser2) + 1;

// Twips, of the form's client area or of the group a control stands in.
struct Box {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Box&) const = default;
};

struct ControlPlan {
  Box box;
  bool shown = true;
  bool enabled = true;
  bool operator==(const ControlPlan&) const = default;
};

// The option buttons and check boxes: the manuscript (Option1 shown,
// Option2 not), the floppy (Option3 no, Option4 yes), the voice speed
// (Option5..7, 0 when none is set) and the score folder and host boxes.
struct Choices {
  int manuscript = 1;
  int floppy = 4;
  int speed = 0;
  bool check1 = false;
  bool check2 = false;
  bool operator==(const Choices&) const = default;
};

// The score-destination group by setting 908: the boxes 1 ticked, 0
// unticked, -1 as they are; the buttons, the boxes and the frame 1 enabled,
// 0 disabled, -1 as they are.
struct ScoreDestination {
  int check1, check2, command7, command8, checks, frame;
};
ScoreDestination ScoreDestinationFor(int setting908);

// The settings the screen reads at load before the note refresh: the
// particulars' layout and captions, the lock of the test time and the online
// scores' digit stay as they were then for the screen's life.
struct StartupSettings {
  QString layout;           // 915
  QString identityCaption;  // 918, "caption|confirm label"
  QString classCaption;     // 916
  int s903 = 1;
  QString digits;           // 989
};
StartupSettings ReadStartupSettings();

// The settings a note may change before Start.
struct ScreenSettings {
  int s980 = 0;
  QString s981;  // the web panel's page
  int s305 = 0, s904 = 0, s908 = 0;
  int s701 = 0, s706 = 0;
  int s978 = 0, s9151 = 0, s911 = 0, s912 = 0;
  bool contact = false;  // the contact button (ContactInfo 99)
  int s932 = 0;
  int s197 = 0;
  int s901 = 0, s902 = 0, s917 = 0;
};
ScreenSettings ReadScreenSettings();

// What the launcher gave on the command line, as it gave it.
struct LauncherParticulars {
  bool given = false;  // the particulars came with the command line
  QString name, identity, year, month, day;
};

// What the screen holds apart from its settings.
struct ScreenState {
  LauncherParticulars launcher;
  // The first activation's fetch brought nothing and offered the online scores.
  bool scoresOffered = false;
  // The fetch locked the choice of test.
  bool testChoiceLocked = false;
  // The choices on the screen when a newer note applies: one the candidate
  // made stays while its group can still be changed. None at load.
  std::optional<Choices> before;
};

struct ScreenPlan {
  std::array<ControlPlan, kControlCount> controls{};
  int formHeight = 6420;
  // Captions of the identity and class rows, with their boxes' tips.
  std::optional<QString> identityCaption, classCaption;
  QString panelPage;  // the web panel's page, when it shows
  Choices choices;
  // Particulars rows (1..4) the layout string hides.
  std::array<bool, 5> rowHidden{};
  // By particular (1 name, 2 birthday, 3 identity): locked as the launcher
  // gave it, or opened because the start would refuse it for ever.
  std::array<bool, 4> locked{}, opened{};

  ControlPlan& operator[](Ctl c) { return controls[static_cast<std::size_t>(c)]; }
  const ControlPlan& operator[](Ctl c) const { return controls[static_cast<std::size_t>(c)]; }
};

// The paper's line (Label6, Label7) shows when the manuscript does not,
// except in the compact layout (980 = 2).
bool PaperLineShown(int manuscript, int setting980);

// The screen as designed, before any setting.
ScreenPlan DesignPlan();
// The particulars rows a layout string hides (index 1..4).
std::array<bool, 5> HiddenRows(const QString& layout);
ScreenPlan ComputeScreenPlan(const StartupSettings& startup, const ScreenSettings& settings, const ScreenState& state);

}  // namespace setup
