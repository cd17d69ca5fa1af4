// The start button of the set-up screen: settings from the screen's choices,
// the checks of every field, the optional download, the record and result
// names, the test text, and the hand-over to the test run.
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/filenames.h"
#include "common/nationalid.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/workfolders.h"
#include "platform/core/clock.h"
#include "platform/core/compat.h"
#include "platform/gui/formtimer.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "exam/record/recordmodule.h"
#include "exam/record/setupvalues.h"
#include "common/gui/backdrop.h"
#include "exam/run/forms/countdown.h"
#include "exam/run/forms/processing.h"
#include "exam/run/core/run_services.h"
#include "exam/run/forms/testscreen.h"
#include "exam/setup/advanced.h"
#include "exam/setup/downloadlink.h"
#include "exam/setup/core/setuplogic.h"
#include "exam/setup/setupscreen.h"
#include "exam/setup/smallwindows.h"

namespace setup {

namespace {

// Text of the refusal when no result file can be named (a folder that cannot
// be made, or all 99 numbers taken and no overwrite).
constexpr int kNoResultNameText = 10171;
// Seconds the countdown waits before the test screen.
constexpr int kCountdownSeconds = 60;

plat::Answer Ask(const QString& text, const QString& title) {
  return plat::prompt().Ask(text, title, plat::Buttons::OkCancel, plat::Icon::Question);
}

// A test file named in the box: either separator, any letter case of the
// name, relative to the installation folder.
QString ResolveTestFile(const QString& text) {
  QString p = plat::ToSlashes(text.trimmed());
  if (p.isEmpty()) return p;
  if (QFileInfo(p).isRelative()) p = common::ProgramFolder.get() + p;
  return plat::ResolvePath(p);
}

}  // namespace

void 輸入資料表面::Refuse(int textId) { RefuseText(common::StoreText(textId)); }

QString 輸入資料表面::ParticularLead(Particular p) const {
  return ParticularOpened(p) ? NotGivenLead(p) + u'\n' : QString();
}

void 輸入資料表面::RefuseParticular(Particular p, int textId) { RefuseText(ParticularLead(p) + common::StoreText(textId)); }

void 輸入資料表面::RefuseText(const QString& text) {
  plat::prompt().Ask(text, common::StoreText(14001), plat::Buttons::Ok, plat::Icon::None);
}

void 輸入資料表面::Command1_Click() {
  using namespace common;
  // From here on a note that comes waits for the next start: the checks and
  // the run go by the settings the candidate saw.
  startPressed_ = true;
  try {
    if (!StartChecks()) return;
    const int downloadMode = static_cast<int>(plat::ValNumber(FeatureDigits.get().mid(3, 1)));
    if (downloadMode == 2 && !StartDownload(downloadMode)) return;
    StartHandOff(downloadMode);
  } catch (...) {
    // Whatever failed, the screen stays usable and the candidate may retry.
    const AppError e = CurrentAppError(QStringLiteral("Command1_Click"));
    LogTrappedError(QStringLiteral("輸入資料表面"), e);
    ShowErrorMessage(e);
    setEnabled(true);
    if (!isVisible()) Show();
  }
}

bool 輸入資料表面::StartChecks() {
  using namespace common;

  // The folders the run writes into (the data folder may have changed
  // since the start-up).
  if (!WarnOfWindowSystem()) return false;
  if (!WarnOfFolderProblems(TestFolderLead(), CheckRunFolders())) return false;

  // 1. The display layout.
  if (!Option1->isChecked()) {
    Setting208.set(0);
  } else {
    進階修定& adv = plat::forms::loaded<進階修定>();
    int layout = 1;
    for (int i = 2; i <= 6; ++i)
      if (adv.Option1[i]->isChecked()) {
        layout = i;
        break;
      }
    Setting208.set(layout);
  }

  // 2. The assigned score folder must take a file.
  if (Check1->isChecked()) {
    if (AssignedPath.get().trimmed().isEmpty()) {
      Refuse(10150);
      return false;
    }
    QString folder = plat::ToSlashes(AssignedPath.get());
    if (!folder.endsWith(u'/')) folder += u'/';
    const QString probe = folder + QStringLiteral("TESTSCORE.TXT");
    // A probe left by an earlier run proves nothing: only a fresh write counts.
    if (QFileInfo::exists(probe)) QFile::remove(probe);
    const bool written = !NumberedFileName(probe, 0).isEmpty() && Crs_FileTestScore(probe) &&
                         QFileInfo(probe).isFile();
    if (!written) {
      WriteErrorLog(QStringLiteral("指定路徑無法寫入>") + probe);
      plat::forms::get<Dialog>().Show(plat::ShowMode::Modeless, this);
      return false;
    }
  }

  // 3. The assigned score host.
  if (Check2->isChecked() && AssignedHost.get().trimmed().isEmpty()) {
    Refuse(10151);
    return false;
  }

  // 4. Birthday boxes, each when filled.
  if (const int fault = BirthdayFault(Text6A->text(), Text6B->text(), Text6C->text())) {
    RefuseParticular(Particular::Birthday, fault);
    return false;
  }

  // 5. Identity number.
  if (!Text2->text().isEmpty()) Text2->setText(IdentityAsChecked(Text2->text(), Setting902.get(), Setting917.get()));
  if (Setting917.get() == 1) {
    QString why;
    if (!CheckNationalId(Text2->text(), why) &&
        Ask(ParticularLead(Particular::Identity) + why + u'\n' + StoreText(10155) + u'\n' + StoreText(10156),
            StoreText(14001)) != plat::Answer::Ok)
      return false;
  }

  // 6.-8. Lengths and the required birthday; a row the layout hides is not
  // asked for.
  if (!RowHidden(1) && NameTooShort(Text1->text(), Setting901.get())) {
    RefuseParticular(Particular::Name, 10157);
    return false;
  }
  if (!RowHidden(3) && IdentityTooShort(Text2->text(), Setting902.get())) {
    RefuseParticular(Particular::Identity, 10158);
    return false;
  }
  if (!RowHidden(2) && Setting932.get() == 1 && BirthdayIncomplete(Text6A->text(), Text6B->text(), Text6C->text())) {
    RefuseParticular(Particular::Birthday, 10159);
    return false;
  }

  // 9. The test time, and midnight.
  const std::optional<int> minutes = rec::TestMinutes(Text4->text());
  if (!minutes) {
    RefuseText(Text4->toolTip().isEmpty() ? Label4->text() : Text4->toolTip());
    Text4->setFocus();
    return false;
  }
  if (RunsPastMidnight(plat::clock().SecondsSinceMidnight(), *minutes)) {
    RefuseText(StoreText(10160) + plat::NumberText(*minutes * 60) + StoreText(10161));
    return false;
  }

  // 10. A test must be named unless it comes with the start.
  const int downloadMode = static_cast<int>(plat::ValNumber(FeatureDigits.get().mid(3, 1)));
  if (Text3->text().isEmpty() && downloadMode != 2) {
    Refuse(10169);
    return false;
  }

  // 11. The candidate confirms the particulars.
  if (Setting933.get() == 1) {
    const QString idLabel = Setting918.get().isEmpty() ? StoreText(10165) : SplitAtBar(Setting918.get(), 1);
    QStringList lines{StoreText(10162), StoreText(10163) + Text1->text(),
                      StoreText(10164) + Text6A->text() + u'/' + Text6B->text() + u'/' + Text6C->text(),
                      idLabel + Text2->text()};
    if (!Text6->text().isEmpty())
      lines << (Setting916.get().isEmpty() ? StoreText(10166) : SplitAtBar(Setting916.get(), 1)) + Text6->text();
    lines << StoreText(10167) + Label7->text();
    if (Ask(lines.join(u'\n'), StoreText(10168)) != plat::Answer::Ok) return false;
  }
  return true;
}

bool 輸入資料表面::StartDownload(int) {
  using namespace common;
  // The parts of an earlier fetch are still coming: a second fetch now would
  // tangle the two.
  if (DownloadBusy()) {
    RefuseText(StoreText(10609));
    return false;
  }
  if (FeatureDigits.get().mid(8, 1) == u"1") LockTestChoice();
  DownloadFieldValues& d = DownloadFields();
  if (Setting701.get() > 0) d.check1 = 1;
  d.text5 = Text5->text();
  d.t5 = AssignedHost.get();
  d.t6 = SystemIniValue(5902).asText();
  d.text4.clear();
  ShowDownload(kDownloadTest, true, this);
  if (plat::app().Ending()) return false;
  Text3->setText(DownloadedTestPath());
  // The audio parts follow in the background whenever the test is here,
  // also when its first part failed: the background fetch tries it again.
  if (Setting701.get() > 0 && QFileInfo(ResolveTestFile(Text3->text())).isFile())
    ShowDownload(kDownloadParts, false, this);
  return true;
}

bool 輸入資料表面::StartHandOff(int downloadMode) {
  using namespace common;
  rec::TestRecordModule& module = rec::testRecordModule();

  // 13. The test file must be there: a file, named as it is, no pattern.
  const QString typed = Text3->text();
  const QString testFile = ResolveTestFile(typed);
  if (typed.isEmpty()) {
    Refuse(10169);
    setEnabled(true);
    return false;
  }
  if (!QFileInfo(testFile).isFile() || FileNameOf(typed).isEmpty()) {
    Refuse(10170);
    setEnabled(true);
    return false;
  }

  // 14. The test record's path.
  run::處理下& processing = plat::forms::loaded<run::處理下>();
  processing.Timer1->SetEnabled(false);
  processing.Text1->setText(rec::NewTestRecordPath(plat::clock().SecondsSinceMidnight()));

  // 15. The result file; without one the run's result would be lost.
  SyncSetupValues();
  const ResultBaseChoice base = ChooseResultBase(Setting905.get(), Text1->text(), Text2->text(), Label7->text());
  QString name = base.base;
  const QString result = NextResultFileName(name, base.kind);
  if (result.isEmpty()) {
    WriteErrorLog(QStringLiteral("無法取得成績檔名>") + name);
    Refuse(kNoResultNameText);
    setEnabled(true);
    return false;
  }
  processing.Text2->setText(result);
  WriteErrorLog(QStringLiteral(">") + result);

  // 16. The run state and the test text.
  TestRunState.set(0);
  WriteErrorLog(QStringLiteral(">") + typed);
  module.LoadTestText(testFile, run::SetupScreenValues());

  // 17. Hand-off, after the midnight rule once more: a download or the
  // countdown may have taken time since the first check.
  const bool countdown = Setting701.get() > 0 && downloadMode == 1;
  const std::optional<int> minutes = rec::TestMinutes(Text4->text());
  if (!minutes || RunsPastMidnight(plat::clock().SecondsSinceMidnight(), *minutes, countdown ? kCountdownSeconds : 0)) {
    RefuseText(StoreText(10160) + plat::NumberText(minutes.value_or(0) * 60) + StoreText(10161));
    setEnabled(true);
    return false;
  }
  if (plat::forms::exists<進階修定>()) plat::forms::get<進階修定>().Hide();
  SyncSetupValues();
  // A test the download window brought by hand (online scores) has its parts
  // come behind it too, as one fetched at Start or at the first activation.
  if (Setting701.get() > 0) FetchPartsOf(testFile, this);
  setEnabled(false);
  Hide();
  MarkTestUnderWay();
  if (countdown) {
    run::FrmToWait& wait = plat::forms::get<run::FrmToWait>();
    wait.Sw = kCountdownSeconds;
    wait.Show(plat::ShowMode::Modeless);
  } else {
    run::正式測驗& screen = plat::forms::get<run::正式測驗>();
    screen.setEnabled(true);
    screen.Show(plat::ShowMode::Modeless, &plat::forms::get<common::背景>());
  }
  return true;
}

}  // namespace setup
