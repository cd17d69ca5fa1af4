// The set-up screen's plan: what its settings show, place, lock and choose,
// and what a newer note changes of it.
#include <gtest/gtest.h>

#include "exam/setup/core/screenplan.h"

namespace {

using namespace setup;

// The shipped settings file's values.
StartupSettings Startup() { return {QStringLiteral("12341110"), {}, {}, 1, QStringLiteral("4310000001110")}; }

ScreenSettings Shipped() {
  ScreenSettings s;
  s.s305 = 1;
  s.s701 = 2;
  s.s9151 = 9;
  s.contact = true;
  s.s932 = 1;
  s.s901 = 1;
  s.s902 = 10;
  s.s917 = 1;
  return s;
}

ScreenPlan Plan(const ScreenSettings& s, const ScreenState& state = {}) {
  return ComputeScreenPlan(Startup(), s, state);
}

TEST(ScreenPlan, WebPanelModesPlaceThePanelAndKeepStartClearOfTheGroups) {
  struct Case {
    int s980;
    bool voiceSpeed;
    int height;
    bool panel;
    int panelTop, startTop;
    bool testRow, timeBox;
  } const cases[] = {
      {0, false, 6420, false, 6000, 4150, true, true},
      {1, false, 7750, true, 6000, 4150, true, true},
      {3, true, 7750, true, 6000, 4150, true, true},
      // Compact: Start goes below the floppy group, or below every group
      // when the voice speed shows too, and the window grows to keep the
      // button row below it.
      {2, false, 4850, true, 2750, 2050, false, false},
      {2, true, 5460, true, 2750, 4000, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.s980);
    ScreenSettings s = Shipped();
    s.s980 = c.s980;
    s.s981 = QStringLiteral("NOTE/panel.htm");
    if (c.voiceSpeed) s.s706 = 1;
    const ScreenPlan p = Plan(s);
    EXPECT_EQ(p.formHeight, c.height);
    EXPECT_EQ(p[Ctl::WebBrowser2].shown, c.panel);
    EXPECT_EQ(p.panelPage, c.panel ? s.s981 : QString());
    EXPECT_EQ(p[Ctl::WebBrowser2].box.top, c.panelTop);
    EXPECT_EQ(p[Ctl::Command1].box.top, c.startTop);
    EXPECT_EQ(p[Ctl::Command2].box.top, c.startTop);
    EXPECT_EQ(p[Ctl::Frame3].shown, c.voiceSpeed);
    for (Ctl t : {Ctl::Label3, Ctl::Text3, Ctl::Command3, Ctl::Command4}) EXPECT_EQ(p[t].shown, c.testRow);
    for (Ctl t : {Ctl::Text4, Ctl::UpDown1, Ctl::Text5}) EXPECT_EQ(p[t].enabled, c.timeBox);
    for (Ctl b : {Ctl::Command9, Ctl::Command11})
      EXPECT_GE(p[b].box.top, p[Ctl::Command1].box.top + p[Ctl::Command1].box.height);
  }
}

TEST(ScreenPlan, TheParticularsLayoutAndCaptionsAreTheStartupsAndThe932RowIsTheNotes) {
  StartupSettings startup = Startup();
  startup.layout = QStringLiteral("31241101");
  startup.identityCaption = QStringLiteral("學號：|學號");
  startup.classCaption = QStringLiteral("組別：");
  ScreenPlan p = ComputeScreenPlan(startup, Shipped(), {});
  // Positions 1..4 hold rows 3, 1, 2, 4; position 3 (the birthday) is hidden.
  EXPECT_EQ(p[Ctl::Text2].box.top, 150);
  EXPECT_EQ(p[Ctl::Text1].box.top, 650);
  EXPECT_FALSE(p[Ctl::Text6A].shown);
  EXPECT_TRUE(p.rowHidden[2]);
  EXPECT_FALSE(p.rowHidden[3]);
  EXPECT_TRUE(p[Ctl::Text6].shown);
  EXPECT_EQ(p.identityCaption, QStringLiteral("學號："));
  EXPECT_EQ(p.classCaption, QString());  // no "|": no caption

  // 932 = 9 takes the birthday row away and moves the identity row up,
  // whether it comes at load or with a note.
  ScreenSettings s = Shipped();
  s.s932 = 9;
  p = Plan(s);
  for (Ctl c : {Ctl::Label8, Ctl::Label9, Ctl::Text6A, Ctl::Text6B, Ctl::Text6C}) EXPECT_FALSE(p[c].shown);
  EXPECT_FALSE(p.rowHidden[2]);  // not the layout's: a later note may bring it back
  EXPECT_EQ(p[Ctl::Label2].box.top, 650);
  EXPECT_EQ(p[Ctl::Text2].box.top, 600);
  EXPECT_FALSE(p.identityCaption.has_value());

  // A layout that is not eight characters keeps the design's places.
  startup.layout = QStringLiteral("1234111");
  EXPECT_EQ(ComputeScreenPlan(startup, Shipped(), {})[Ctl::Text6].box.top, 1650);
  EXPECT_EQ(HiddenRows(QStringLiteral("12340000")), (std::array<bool, 5>{false, true, true, true, true}));
  EXPECT_EQ(HiddenRows(QStringLiteral("1234111")), (std::array<bool, 5>{}));
}

TEST(ScreenPlan, SettingsChooseAndLockTheGroups) {
  struct Case {
    const char* what;
    int s305, s904, s908;
    Choices choices;
    bool frame1Shown, frame1Enabled, frame2Shown, frame2Enabled, command7, command8, checks, frame4;
  } const cases[] = {
      {"shipped", 1, 0, 0, {1, 3, 0, false, false}, true, true, true, true, true, true, true, true},
      {"manuscript off, locked", 4, 0, 0, {2, 3, 0, false, false}, true, false, true, true, true, true, true, true},
      {"manuscript hidden", 6, 0, 0, {2, 3, 0, false, false}, false, false, true, true, true, true, true, true},
      {"305 out of range: the design's", 7, 0, 0, {1, 3, 0, false, false}, true, true, true, true, true, true, true,
       true},
      {"floppy on, locked", 1, 3, 0, {1, 4, 0, false, false}, true, true, true, false, true, true, true, true},
      {"floppy hidden", 1, 6, 0, {1, 3, 0, false, false}, true, true, false, false, true, true, true, true},
      {"folder", 1, 0, 1, {1, 3, 0, true, false}, true, true, true, true, true, false, true, true},
      {"host", 1, 0, 2, {1, 3, 0, false, true}, true, true, true, true, false, true, true, true},
      {"both, locked", 1, 0, 7, {1, 3, 0, true, true}, true, true, true, true, false, false, false, false},
      // Out of the table: both unticked, the buttons as designed.
      {"908 = 9", 1, 0, 9, {1, 3, 0, false, false}, true, true, true, true, true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScreenSettings s = Shipped();
    s.s305 = c.s305;
    s.s904 = c.s904;
    s.s908 = c.s908;
    const ScreenPlan p = Plan(s);
    EXPECT_EQ(p.choices, c.choices);
    EXPECT_EQ(p[Ctl::Frame1].shown, c.frame1Shown);
    EXPECT_EQ(p[Ctl::Option2].shown, c.frame1Shown);
    EXPECT_EQ(p[Ctl::Frame1].enabled, c.frame1Enabled);
    EXPECT_EQ(p[Ctl::Frame2].shown, c.frame2Shown);
    EXPECT_EQ(p[Ctl::Frame2].enabled, c.frame2Enabled);
    EXPECT_EQ(p[Ctl::Command7].enabled, c.command7);
    EXPECT_EQ(p[Ctl::Command8].enabled, c.command8);
    EXPECT_EQ(p[Ctl::Check1].enabled, c.checks);
    EXPECT_EQ(p[Ctl::Frame4].enabled, c.frame4);
    // The paper line shows when the manuscript does not.
    EXPECT_EQ(p[Ctl::Label6].shown, c.choices.manuscript == 2);
    EXPECT_EQ(p[Ctl::Label7].shown, c.choices.manuscript == 2);
  }
}

TEST(ScreenPlan, ALateNoteKeepsTheCandidatesChoiceWhileItsGroupCanBeChanged) {
  struct Case {
    const char* what;
    int s305, s904, s908, s706;
    Choices before, after;
    bool command7, command8;
  } const cases[] = {
      {"manuscript open: kept", 1, 0, 0, 0, {2, 3, 0, false, false}, {2, 3, 0, false, false}, true, true},
      {"manuscript locked: the note's", 3, 0, 0, 0, {2, 3, 0, false, false}, {1, 3, 0, false, false}, true, true},
      {"manuscript hidden: the note's", 6, 0, 0, 0, {1, 3, 0, false, false}, {2, 3, 0, false, false}, true, true},
      {"floppy open: kept", 1, 0, 0, 0, {1, 4, 0, false, false}, {1, 4, 0, false, false}, true, true},
      {"floppy locked: the note's", 1, 4, 0, 0, {1, 4, 0, false, false}, {1, 3, 0, false, false}, true, true},
      // The note ticks the host box and enables only its button; the
      // candidate's boxes stay as they were, each button following its box.
      {"both boxes kept, each with its button", 1, 0, 2, 0, {1, 3, 0, true, false}, {1, 3, 0, true, false}, true,
       false},
      {"folder unticked against the note: its button goes with it", 1, 0, 1, 0, {1, 3, 0, false, false},
       {1, 3, 0, false, false}, false, false},
      {"host ticked, group locked: the note's", 1, 0, 3, 0, {1, 3, 0, false, true}, {1, 3, 0, false, false}, false,
       false},
      {"908 out of the table: the box kept, the button enabled", 1, 0, 9, 0, {1, 3, 0, true, false},
       {1, 3, 0, true, false}, true, true},
      {"voice speed shown: kept", 1, 0, 0, 1, {1, 3, 6, false, false}, {1, 3, 6, false, false}, true, true},
      {"voice speed hidden: none set", 1, 0, 0, 0, {1, 3, 6, false, false}, {1, 3, 0, false, false}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScreenSettings s = Shipped();
    s.s305 = c.s305;
    s.s904 = c.s904;
    s.s908 = c.s908;
    s.s706 = c.s706;
    ScreenState state;
    state.before = c.before;
    const ScreenPlan p = Plan(s, state);
    EXPECT_EQ(p.choices, c.after);
    EXPECT_EQ(p[Ctl::Command7].enabled, c.command7);
    EXPECT_EQ(p[Ctl::Command8].enabled, c.command8);
  }
  // At load there is nothing to keep: the settings' choice stands.
  ScreenSettings s = Shipped();
  s.s908 = 1;
  const ScreenPlan atLoad = Plan(s);
  EXPECT_TRUE(atLoad.choices.check1);
  EXPECT_TRUE(atLoad[Ctl::Command7].enabled);
}

TEST(ScreenPlan, ALateNoteRecomputesFromTheDesignNotFromTheLastPlan) {
  // What one note moved, hid or locked, the next one that says otherwise
  // puts back: a plan depends on the settings and the state only.
  ScreenSettings compact = Shipped();
  compact.s980 = 2;
  compact.s932 = 9;
  ScreenState state;
  state.before = Choices{2, 3, 0, false, false};
  const ScreenPlan first = Plan(compact, state);
  ASSERT_FALSE(first[Ctl::Text3].shown);
  ASSERT_FALSE(first[Ctl::Label6].shown);  // no paper line in the compact layout
  const ScreenPlan again = Plan(Shipped(), state);
  EXPECT_TRUE(again[Ctl::Text3].shown);
  EXPECT_TRUE(again[Ctl::Text4].enabled);
  EXPECT_TRUE(again[Ctl::Label6].shown);  // the candidate's choice, kept
  EXPECT_EQ(again.formHeight, 6420);
  ScreenPlan design = DesignPlan();
  EXPECT_EQ(again[Ctl::Label2].box, design[Ctl::Label2].box);
  EXPECT_EQ(again[Ctl::Command1].box, design[Ctl::Command1].box);
}

TEST(ScreenPlan, TheLauncherLockOpensOnlyWhatTheStartWouldRefuseForEver) {
  const LauncherParticulars full{true, "王小明", "A123456789", "1990", "05", "03"};
  struct Case {
    const char* what;
    LauncherParticulars launcher;
    int s197, s932;
    QString layout;
    std::array<bool, 4> locked, opened;
  } const cases[] = {
      {"typed by the candidate", {}, 1, 1, "12341110", {}, {}},
      {"no lock", full, 0, 1, "12341110", {}, {}},
      {"all given", full, 1, 1, "12341110", {false, true, true, true}, {}},
      // A check digit that fails is only asked about at Start.
      {"no birthday, a wrong check digit", {true, "李四", "B223456789", "", "", ""}, 1, 1, "12341110",
       {false, true, false, true}, {false, false, true, false}},
      {"no birthday, its row taken away", {true, "李四", "B223456789", "", "", ""}, 1, 9, "12341110",
       {false, true, true, true}, {}},
      {"too short an identity number", {true, "李四", "A12", "1990", "05", "03"}, 1, 1, "12341110",
       {false, true, true, false}, {false, false, false, true}},
      {"too short an identity number in a hidden row", {true, "李四", "A12", "1990", "05", "03"}, 1, 1, "12341100",
       {false, true, true, true}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScreenSettings s = Shipped();
    s.s197 = c.s197;
    s.s932 = c.s932;
    StartupSettings startup = Startup();
    startup.layout = c.layout;
    ScreenState state;
    state.launcher = c.launcher;
    const ScreenPlan p = ComputeScreenPlan(startup, s, state);
    EXPECT_EQ(p.locked, c.locked);
    EXPECT_EQ(p.opened, c.opened);
    EXPECT_EQ(p[Ctl::Text1].enabled, !c.locked[1]);
    for (Ctl b : {Ctl::Text6A, Ctl::Text6B, Ctl::Text6C}) EXPECT_EQ(p[b].enabled, !c.locked[2]);
    EXPECT_EQ(p[Ctl::Text2].enabled, !c.locked[3]);
    EXPECT_TRUE(p[Ctl::Text6].enabled);  // the class row is never locked
  }
}

TEST(ScreenPlan, TheButtonRow) {
  struct Case {
    const char* what;
    int s9151;
    QString digits;
    bool offered;
    bool shown, enabled;
  } const cases[] = {
      {"9151 = 1", 1, "4310000001010", false, true, true},
      {"9151 = 9 hides; its enabled state is the start-up digit's", 9, "4310000001110", false, false, true},
      {"9151 = 9, digit 11 off", 9, "4310000001010", false, false, false},
      {"9151 = 0 disables", 0, "4310000001110", false, true, false},
      {"offered after an empty first fetch", 0, "4310000001110", true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScreenSettings s = Shipped();
    s.s9151 = c.s9151;
    StartupSettings startup = Startup();
    startup.digits = c.digits;
    ScreenState state;
    state.scoresOffered = c.offered;
    const ScreenPlan p = ComputeScreenPlan(startup, s, state);
    EXPECT_EQ(p[Ctl::Command10].shown, c.shown);
    EXPECT_EQ(p[Ctl::Command10].enabled, c.enabled);
  }

  // The shown buttons close up from the left; the compact layout keeps the
  // design's places.
  ScreenSettings s = Shipped();
  s.s911 = 1;
  s.s978 = 1;
  s.contact = false;
  ScreenPlan p = Plan(s);
  EXPECT_FALSE(p[Ctl::Command6].shown);
  EXPECT_FALSE(p[Ctl::Command9].shown);
  EXPECT_EQ(p[Ctl::Command5].box.left, 240);
  EXPECT_EQ(p[Ctl::Command11].box.left, 240 + 1800 + 120);
  s.s980 = 2;
  p = Plan(s);
  EXPECT_EQ(p[Ctl::Command11].box.left, 7920);
}

TEST(ScreenPlan, TheLocksOfTheTestTimeAndTheTestChoiceHold) {
  StartupSettings startup = Startup();
  startup.s903 = 0;
  ScreenPlan p = ComputeScreenPlan(startup, Shipped(), {});
  for (Ctl c : {Ctl::Label4, Ctl::Text4, Ctl::UpDown1}) EXPECT_FALSE(p[c].enabled);
  EXPECT_TRUE(p[Ctl::Text5].enabled);

  // The fetch's lock of the test choice outlives any note.
  ScreenState state;
  state.testChoiceLocked = true;
  state.before = Choices{};
  p = Plan(Shipped(), state);
  for (Ctl c : {Ctl::Text3, Ctl::Command3, Ctl::Command4}) EXPECT_FALSE(p[c].enabled);
  EXPECT_TRUE(Plan(Shipped())[Ctl::Text3].enabled);
}

}  // namespace
