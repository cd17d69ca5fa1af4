#include "exam/setup/core/screenplan.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "common/accessors.h"
#include "common/store.h"
#include "common/utilities.h"
#include "exam/setup/core/setuplogic.h"

namespace setup {

namespace {

using Group = std::vector<Ctl>;

void SetTop(ScreenPlan& p, Ctl c, int top) { p[c].box.top = top; }

void Show(ScreenPlan& p, const Group& group, bool shown) {
  for (Ctl c : group) p[c].shown = shown;
}

void Enable(ScreenPlan& p, const Group& group, bool enabled) {
  for (Ctl c : group) p[c].enabled = enabled;
}

// An option group's state by the settings: 1 usable, 2 locked, 3 hidden.
void GroupState(ScreenPlan& p, const Group& group, int state) {
  Show(p, group, state != 3);
  Enable(p, group, state == 1);
}

// The candidate can set a button of the group: it and its frame show and
// take input.
bool Changeable(const ScreenPlan& p, Ctl button, Ctl frame) {
  return p[button].shown && p[button].enabled && p[frame].shown && p[frame].enabled;
}

Group RowControls(int row) {
  switch (row) {
    case 1: return {Ctl::Label1, Ctl::Text1};
    case 2: return {Ctl::Label8, Ctl::Label9, Ctl::Text6A, Ctl::Text6B, Ctl::Text6C};
    case 3: return {Ctl::Label2, Ctl::Text2};
    case 4: return {Ctl::Label10, Ctl::Text6};
    default: return {};
  }
}

void MoveRow(ScreenPlan& p, int row, int top) {
  switch (row) {
    case 1: SetTop(p, Ctl::Text1, top); SetTop(p, Ctl::Label1, top + 50); break;
    case 2:
      for (Ctl c : {Ctl::Text6A, Ctl::Text6B, Ctl::Text6C}) SetTop(p, c, top);
      SetTop(p, Ctl::Label8, top + 50);
      SetTop(p, Ctl::Label9, top + 150);
      break;
    case 3: SetTop(p, Ctl::Text2, top); SetTop(p, Ctl::Label2, top + 50); break;
    case 4: SetTop(p, Ctl::Text6, top); SetTop(p, Ctl::Label10, top + 50); break;
    default: break;
  }
}

// What the settings read at load make of the design.
void ApplyStartupSettings(ScreenPlan& p, const StartupSettings& startup) {
  if (!startup.identityCaption.isEmpty()) p.identityCaption = common::SplitAtBar(startup.identityCaption, 0);
  if (!startup.classCaption.isEmpty()) p.classCaption = common::SplitAtBar(startup.classCaption, 0);
  const ParticularsLayout layout = ComputeParticularsLayout(startup.layout);
  if (layout.valid) {
    for (const RowSlot& slot : layout.rows) {
      if (slot.row < 1 || slot.row > 4) continue;
      MoveRow(p, slot.row, slot.top);
      if (slot.visibility == 0) {
        Show(p, RowControls(slot.row), false);
        p.rowHidden[static_cast<std::size_t>(slot.row)] = true;
      }
    }
  }
  Enable(p, {Ctl::Label4, Ctl::Text4, Ctl::UpDown1}, startup.s903 != 0);
  p[Ctl::Command10].enabled = startup.digits.mid(10, 1) == u"1";
}

void ApplyWebPanel(ScreenPlan& p, const ScreenSettings& s) {
  switch (s.s980) {
    case 1:
    case 3:
      // 3 keeps the layout too; the window grows to show the panel under it.
      p.formHeight = 7750;
      p[Ctl::WebBrowser2].shown = true;
      p.panelPage = s.s981;
      break;
    case 2:
      p[Ctl::WebBrowser2] = {{240, 2750, 4900, 1200}, true, p[Ctl::WebBrowser2].enabled};
      p.panelPage = s.s981;
      SetTop(p, Ctl::Command1, 1780);
      SetTop(p, Ctl::Command2, 1780);
      for (Ctl c : {Ctl::Command6, Ctl::Command9, Ctl::Command11}) SetTop(p, c, 4050);
      Show(p, {Ctl::Command3, Ctl::Command4, Ctl::Command10, Ctl::Label6, Ctl::Label7, Ctl::Label3, Ctl::Text3}, false);
      Enable(p, {Ctl::Label4, Ctl::Text4, Ctl::UpDown1, Ctl::Label5, Ctl::Text5, Ctl::UpDown2}, false);
      SetTop(p, Ctl::Label4, 1650);
      for (Ctl c : {Ctl::Text4, Ctl::UpDown1}) SetTop(p, c, 1600);
      SetTop(p, Ctl::Label5, 2100);
      for (Ctl c : {Ctl::Text5, Ctl::UpDown2}) SetTop(p, c, 2050);
      p.formHeight = 4850;
      break;
    default:
      p.formHeight = 6420;
      break;
  }
}

// A particular the launcher gave stays locked unless the start would refuse
// it for ever; a hidden one stays locked anyway.
void ApplyLock(ScreenPlan& p, const ScreenSettings& s, const LauncherParticulars& l) {
  if (!l.given || s.s197 != 1) return;
  const struct {
    Particular particular;
    Group boxes;
    bool given;
  } particulars[] = {
      {Particular::Name, {Ctl::Text1}, NameGiven(l.name, s.s901)},
      {Particular::Birthday, {Ctl::Text6A, Ctl::Text6B, Ctl::Text6C}, BirthdayGiven(l.year, l.month, l.day)},
      {Particular::Identity, {Ctl::Text2}, IdentityGiven(l.identity, s.s902, s.s917)},
  };
  for (const auto& c : particulars) {
    const auto row = static_cast<std::size_t>(c.particular);
    const bool shown = !p.rowHidden[row] && !(c.particular == Particular::Birthday && s.s932 == 9);
    if (c.given || !shown) {
      p.locked[row] = true;
      Enable(p, c.boxes, false);
    } else {
      p.opened[row] = true;
    }
  }
}

// The settings' choices over the design's, then the candidate's kept where
// the group can still be changed.
void ApplyChoices(ScreenPlan& p, const ScreenSettings& s, const ScoreDestination& d,
                  const std::optional<Choices>& before) {
  Choices& c = p.choices;
  if (d.check1 >= 0) c.check1 = d.check1 == 1;
  if (d.check2 >= 0) c.check2 = d.check2 == 1;
  if (s.s305 >= 1 && s.s305 <= 6) c.manuscript = s.s305 % 2 == 1 ? 1 : 2;
  static constexpr int floppy[] = {3, 4, 3, 4, 3, 4, 3};
  if (s.s904 >= 0 && s.s904 <= 6) c.floppy = floppy[s.s904];

  // A box the candidate's choice ticks or unticks runs its click, which
  // sets its button by it.
  const bool command7Set = d.command7 >= 0, command8Set = d.command8 >= 0;
  bool command7 = !command7Set || d.command7 == 1, command8 = !command8Set || d.command8 == 1;
  if (before) {
    auto option = [](int n) { return static_cast<Ctl>(static_cast<int>(Ctl::Option1) + n - 1); };
    if (before->manuscript != c.manuscript && Changeable(p, option(before->manuscript), Ctl::Frame1))
      c.manuscript = before->manuscript;
    if (before->floppy != c.floppy && Changeable(p, option(before->floppy), Ctl::Frame2)) c.floppy = before->floppy;
    // No setting chooses a speed, and none can be taken back.
    if (before->speed >= 5 && before->speed <= 7 && Changeable(p, option(before->speed), Ctl::Frame3))
      c.speed = before->speed;
    if (before->check1 != c.check1 && Changeable(p, Ctl::Check1, Ctl::Frame4)) {
      c.check1 = before->check1;
      command7 = c.check1;
    }
    if (before->check2 != c.check2 && Changeable(p, Ctl::Check2, Ctl::Frame4)) {
      c.check2 = before->check2;
      command8 = c.check2;
    }
  }
  p[Ctl::Command7].enabled = command7;
  p[Ctl::Command8].enabled = command8;
}

void ArrangeButtonRow(ScreenPlan& p, const ScreenSettings& s) {
  if (s.s980 == 2) return;
  int left = 240;
  for (Ctl b : {Ctl::Command5, Ctl::Command6, Ctl::Command9, Ctl::Command10, Ctl::Command11}) {
    if (!p[b].shown) continue;
    p[b].box.left = left;
    left += p[b].box.width + 120;
  }
}

// Start and Exit move down past any option group they would cover (the
// compact layout puts them among the groups); the button row and the window
// make room below them.
void KeepStartClearOfGroups(ScreenPlan& p) {
  const int gap = 100;
  const int height = std::max(p[Ctl::Command1].box.height, p[Ctl::Command2].box.height);
  int top = p[Ctl::Command1].box.top;
  for (bool moved = true; moved;) {
    moved = false;
    for (Ctl g : {Ctl::Frame1, Ctl::Frame2, Ctl::Frame3, Ctl::Frame4}) {
      if (!p[g].shown) continue;
      const Box f = p[g].box;
      if (top < f.top + f.height && top + height > f.top) {
        top = f.top + f.height + gap;
        moved = true;
      }
    }
  }
  SetTop(p, Ctl::Command1, top);
  SetTop(p, Ctl::Command2, top);
  const int bottom = top + height + gap;
  const Group row = {Ctl::Command5, Ctl::Command6, Ctl::Command9, Ctl::Command10, Ctl::Command11};
  int shift = 0;
  for (Ctl b : row)
    if (p[b].shown) shift = std::max(shift, bottom - p[b].box.top);
  if (shift <= 0) return;
  for (Ctl b : row) p[b].box.top += shift;
  p.formHeight += shift;
}

}  // namespace

ScoreDestination ScoreDestinationFor(int setting908) {
  static constexpr ScoreDestination table[] = {
      {0, 0, 1, 1, 1, 1},  {1, -1, 1, 0, 1, 1}, {-1, 1, 0, 1, 1, 1}, {0, 0, 0, 0, 0, 0},
      {1, -1, 0, 0, 0, 0}, {-1, 1, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1},  {1, 1, 0, 0, 0, 0},
  };
  return setting908 >= 0 && setting908 <= 7 ? table[setting908] : ScoreDestination{0, 0, -1, -1, -1, 1};
}

bool PaperLineShown(int manuscript, int setting980) { return manuscript == 2 && setting980 != 2; }

ScreenPlan DesignPlan() {
  ScreenPlan p;
  const struct {
    Ctl c;
    Box box;
  } boxes[] = {
      // The particulars (rows moved by the layout string).
      {Ctl::Label1, {240, 200, 1950, 300}},   {Ctl::Text1, {2200, 150, 2800, 360}},
      {Ctl::Label8, {240, 700, 4800, 300}},   {Ctl::Text6A, {2200, 650, 640, 360}},
      {Ctl::Text6B, {3200, 650, 440, 360}},   {Ctl::Text6C, {4000, 650, 440, 360}},
      {Ctl::Label9, {4600, 800, 700, 300}},   {Ctl::Label2, {240, 1200, 1950, 300}},
      {Ctl::Text2, {2200, 1150, 2800, 360}},  {Ctl::Label10, {240, 1700, 1950, 300}},
      {Ctl::Text6, {2200, 1650, 2800, 360}},
      // The test.
      {Ctl::Label3, {240, 2330, 1950, 300}},  {Ctl::Text3, {2200, 2280, 2800, 360}},
      {Ctl::Command3, {2200, 2730, 1350, 420}}, {Ctl::Command4, {3650, 2730, 1350, 420}},
      {Ctl::Label6, {240, 3330, 4800, 300}},  {Ctl::Label7, {1600, 3330, 2000, 300}},
      {Ctl::Label4, {240, 3830, 4800, 300}},  {Ctl::Text4, {2200, 3780, 520, 360}},
      {Ctl::UpDown1, {2720, 3780, 240, 360}}, {Ctl::Label5, {240, 4330, 4800, 300}},
      {Ctl::Text5, {2050, 4280, 520, 360}},   {Ctl::UpDown2, {2570, 4280, 240, 360}},
      // The option groups; their buttons stand in them.
      {Ctl::Frame1, {5300, 100, 4400, 1050}}, {Ctl::Option1, {240, 340, 3900, 300}},
      {Ctl::Option2, {240, 680, 3900, 300}},  {Ctl::Frame2, {5300, 1250, 4400, 700}},
      {Ctl::Option3, {240, 330, 1800, 300}},  {Ctl::Option4, {2200, 330, 1800, 300}},
      {Ctl::Frame3, {5300, 2050, 4400, 700}}, {Ctl::Option5, {240, 330, 1200, 300}},
      {Ctl::Option6, {1500, 330, 1200, 300}}, {Ctl::Option7, {2760, 330, 1500, 300}},
      {Ctl::Frame4, {5300, 2850, 4400, 1050}}, {Ctl::Check1, {240, 340, 3100, 300}},
      {Ctl::Command7, {3550, 310, 600, 340}}, {Ctl::Check2, {240, 680, 3100, 300}},
      {Ctl::Command8, {3550, 650, 600, 340}},
      // Start and leave, and the row of further buttons.
      {Ctl::Command1, {5300, 4150, 2100, 560}}, {Ctl::Command2, {7600, 4150, 2100, 560}},
      {Ctl::Command5, {240, 5350, 1800, 450}}, {Ctl::Command6, {2160, 5350, 1800, 450}},
      {Ctl::Command9, {4080, 5350, 1800, 450}}, {Ctl::Command10, {6000, 5350, 1800, 450}},
      {Ctl::Command11, {7920, 5350, 1800, 450}},
      {Ctl::WebBrowser2, {240, 6000, 9480, 1550}},
  };
  static_assert(std::size(boxes) == kControlCount);
  for (const auto& b : boxes) p[b.c].box = b.box;
  // With the manuscript shown (the design's choice) the paper is not needed.
  Show(p, {Ctl::Label6, Ctl::Label7, Ctl::Command5, Ctl::Command6, Ctl::WebBrowser2}, false);
  return p;
}

std::array<bool, 5> HiddenRows(const QString& layout) {
  ScreenPlan p;
  ApplyStartupSettings(p, {layout, {}, {}, 1, {}});
  return p.rowHidden;
}

ScreenPlan ComputeScreenPlan(const StartupSettings& startup, const ScreenSettings& s, const ScreenState& state) {
  ScreenPlan p = DesignPlan();
  ApplyStartupSettings(p, startup);
  ApplyWebPanel(p, s);
  ApplyLock(p, s, state.launcher);

  const ScoreDestination d = ScoreDestinationFor(s.s908);
  if (d.checks >= 0) Enable(p, {Ctl::Check1, Ctl::Check2}, d.checks == 1);
  if (d.frame >= 0) p[Ctl::Frame4].enabled = d.frame == 1;
  if (s.s305 >= 1 && s.s305 <= 6) GroupState(p, {Ctl::Option1, Ctl::Option2, Ctl::Frame1}, (s.s305 + 1) / 2);
  static constexpr int floppyState[] = {1, 1, 1, 2, 2, 3, 3};
  if (s.s904 >= 0 && s.s904 <= 6) GroupState(p, {Ctl::Option3, Ctl::Option4, Ctl::Frame2}, floppyState[s.s904]);
  const bool speed = s.s701 > 0 && s.s706 > 0;
  GroupState(p, {Ctl::Frame3}, speed ? 1 : 3);
  p[Ctl::Command11].shown = s.s978 == 1;
  if (s.s9151 == 1) {
    p[Ctl::Command10] = {p[Ctl::Command10].box, true, true};
  } else if (s.s9151 == 9) {
    p[Ctl::Command10].shown = false;
  } else {
    p[Ctl::Command10].enabled = false;
  }
  if (state.scoresOffered) p[Ctl::Command10].enabled = true;
  if (s.s911 > 0) p[Ctl::Command5].shown = true;
  if (s.s912 > 0) p[Ctl::Command6].shown = true;
  p[Ctl::Command9].shown = s.contact;
  if (s.s932 == 9) {
    Show(p, RowControls(2), false);
    SetTop(p, Ctl::Label2, 650);
    SetTop(p, Ctl::Text2, 600);
  }
  if (state.testChoiceLocked) Enable(p, {Ctl::Text3, Ctl::Command3, Ctl::Command4}, false);

  ApplyChoices(p, s, d, state.before);
  // The paper line follows the manuscript choice, whoever made it.
  Show(p, {Ctl::Label6, Ctl::Label7}, PaperLineShown(p.choices.manuscript, s.s980));

  ArrangeButtonRow(p, s);
  KeepStartClearOfGroups(p);
  return p;
}

StartupSettings ReadStartupSettings() {
  using namespace common;
  return {FieldOrderFlags.get(), Setting918.get(), Setting916.get(), Setting903.get(), FeatureDigits.get()};
}

ScreenSettings ReadScreenSettings() {
  using namespace common;
  ScreenSettings s;
  s.s980 = Setting980.get();
  s.s981 = Setting981.get();
  s.s305 = Setting305.get();
  s.s904 = Setting904.get();
  s.s908 = Setting908.get();
  s.s701 = Setting701.get();
  s.s706 = Setting706.get();
  s.s978 = Setting978.get();
  s.s9151 = SystemIniValue(9151).asInt();
  s.s911 = Setting911.get();
  s.s912 = Setting912.get();
  s.contact = ContactInfo(99).asInt() == 1;
  s.s932 = Setting932.get();
  s.s197 = SystemIniValue(197).asInt();
  s.s901 = Setting901.get();
  s.s902 = Setting902.get();
  s.s917 = Setting917.get();
  return s;
}

}  // namespace setup
