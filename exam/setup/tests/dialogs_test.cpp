// The set-up screen's dialogs: advanced settings, input-method chooser,
// contact, About and reminder windows, and the save-path and host dialog.
#include <QComboBox>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QEventLoop>
#include <QGroupBox>
#include <QHash>
#include <QHostAddress>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTcpServer>

#include "common/settings.h"
#include "platform/gui/twips.h"
#include "exam/setup/advanced.h"
#include "exam/setup/digpath.h"
#include "exam/setup/imechooser.h"
#include "exam/setup/smallwindows.h"
#include "exam/setup/tests/setup_fixture.h"
#include "exam/setup/updown.h"
#include "testsupport/core/netfakes.h"
#include "testsupport/core/seams.h"

namespace setuptest {
namespace {

using setup::進階修定;

// Settings as the shipped file gives them, without the set-up screen.
class DialogTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    WriteSettings();
    common::SettingsBase.set(root + "Tavrel");
    ASSERT_EQ(common::LoadSettings(), common::LoadResult::Ok);
  }
  進階修定& Advanced() {
    auto& a = plat::forms::get<進階修定>();
    a.Show();
    return a;
  }
};

// ---- advanced settings ----

TEST_F(DialogTest, AdvancedOpensOnTheStoredSettings) {
  common::Setting208.set(3);
  common::Setting281.set(1);
  common::Setting701.set(2);
  common::Setting705.set(1);
  common::Setting704.set(7);
  common::Setting211.set(5);
  common::Setting212.set(20);
  auto& a = Advanced();
  EXPECT_TRUE(a.Option1[3]->isChecked());
  EXPECT_TRUE(a.Option2[1]->isChecked());
  EXPECT_TRUE(a.Option3[2]->isChecked());
  EXPECT_TRUE(a.Option4[1]->isChecked());
  EXPECT_TRUE(a.Frame5->isEnabled());
  EXPECT_EQ(a.Text1->text(), "7");
  EXPECT_EQ(a.Text3->text(), "5");
  EXPECT_EQ(a.Text4->text(), "20");
  EXPECT_EQ(a.Text2->text(), common::DataPath.get());
  EXPECT_EQ(a.windowTitle(), T(10300));
  EXPECT_EQ(a.Option3[1]->text(), T(10325));
}

TEST_F(DialogTest, NoPlaybackDisablesTheWaitAndTheDelay) {
  common::Setting701.set(0);
  common::Setting705.set(1);
  auto& a = Advanced();
  EXPECT_TRUE(a.Option4[0]->isChecked());
  EXPECT_EQ(common::Setting705.get(), 0);
  for (QWidget* w : std::initializer_list<QWidget*>{a.Frame4, a.Frame5, a.Text1, a.UpDown1, a.Option4[0], a.Option4[1]})
    EXPECT_FALSE(w->isEnabled());
  a.Option3[1]->click();  // continuous
  EXPECT_EQ(common::Setting701.get(), 1);
  EXPECT_TRUE(a.Frame5->isEnabled());
  EXPECT_TRUE(a.Option4[1]->isEnabled());
  EXPECT_TRUE(a.Option4[0]->isChecked());  // "不是" stays
}

TEST_F(DialogTest, StoredValuesWithoutAButtonSetNone) {
  common::Setting208.set(7);
  common::Setting281.set(5);
  common::Setting701.set(3);
  common::Setting705.set(2);
  auto& a = Advanced();
  for (int i = 2; i <= 6; ++i) EXPECT_FALSE(a.Option1[i]->isChecked());
  EXPECT_FALSE(a.Option3[0]->isChecked() || a.Option3[1]->isChecked() || a.Option3[2]->isChecked());
  EXPECT_EQ(common::Setting208.get(), 7);
  EXPECT_EQ(common::Setting701.get(), 3);
  EXPECT_EQ(common::Setting705.get(), 2);
}

TEST_F(DialogTest, EveryControlWritesItsSettingAtOnce) {
  auto& a = Advanced();
  a.Option1[5]->click();
  EXPECT_EQ(common::Setting208.get(), 5);
  a.Option2[0]->click();
  EXPECT_EQ(common::Setting281.get(), 0);
  a.UpDown1->StepUp();
  EXPECT_EQ(common::Setting704.get(), 4);
  EXPECT_EQ(a.Text1->text(), "4");
  a.UpDown2->StepDown();
  EXPECT_EQ(common::Setting211.get(), 2);
  a.UpDown3->StepUp();
  EXPECT_EQ(common::Setting212.get(), 11);
  // What is typed is what is used; a value out of range goes back.
  a.Text4->setText("45");
  emit a.Text4->editingFinished();
  EXPECT_EQ(common::Setting212.get(), 45);
  a.Text4->setText("61");
  emit a.Text4->editingFinished();
  EXPECT_EQ(common::Setting212.get(), 45);
  EXPECT_EQ(a.Text4->text(), "45");
  // The pause's up-down stops below what the setting still stores.
  EXPECT_EQ(a.UpDown1->Max(), 32699);
  a.Text1->setText("32700");
  emit a.Text1->editingFinished();
  EXPECT_EQ(common::Setting704.get(), 4);
}

TEST_F(DialogTest, LayoutButtonsFollowTheManuscriptChoice) {
  auto& s = plat::forms::get<setup::輸入資料表面>();
  s.Option2->setChecked(true);
  auto& a = Advanced();
  EXPECT_FALSE(a.Frame1->isEnabled());
  for (int i = 1; i <= 6; ++i) EXPECT_FALSE(a.Option1[i]->isEnabled());
}

TEST_F(DialogTest, ScoreFolder) {
  auto& a = Advanced();
  // An existing folder: stored without a question.
  QDir().mkpath(root + "exist");
  a.Text2->setText(root + "exist");
  a.Text2_LostFocus();
  EXPECT_TRUE(prompt.calls.isEmpty());
  EXPECT_EQ(common::DataPath.get(), root + "exist/");
  // A new folder, No: the stored folder comes back.
  a.Text2->setText(root + "new");
  prompt.answers = {plat::Answer::No};
  a.Text2_LostFocus();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].text, "你是否建立 " + root + "new 目錄?");
  EXPECT_EQ(a.Text2->text(), root + "exist/");
  EXPECT_FALSE(QFileInfo::exists(root + "new"));
  // Yes: made and stored.
  a.Text2->setText("new");  // relative to the installation folder
  prompt.answers = {plat::Answer::Yes};
  a.Text2_LostFocus();
  EXPECT_TRUE(QFileInfo(root + "new").isDir());
  EXPECT_EQ(common::DataPath.get(), root + "new/");
  // Yes, but it cannot be made: refused, nothing stored.
  ASSERT_TRUE(plat::writeBytesAtomic(root + "afile", "x"));
  a.Text2->setText(root + "afile/sub");
  prompt.calls.clear();
  prompt.answers = {plat::Answer::Yes};
  a.Text2_LostFocus();
  ASSERT_EQ(prompt.calls.size(), 2);
  EXPECT_TRUE(prompt.calls[1].text.startsWith(T(10329)));
  EXPECT_EQ(common::DataPath.get(), root + "new/");
  EXPECT_EQ(a.Text2->text(), root + "new/");
}

TEST_F(DialogTest, Colours) {
  common::ScreenColor.set(1, 255);
  auto& a = Advanced();
  prompt.colours = {0xFF0000};
  a.Command5->click();  // entry 1
  EXPECT_EQ(common::ScreenColor.get(1), float(0xFF0000));
  prompt.colours = {0};  // black is not stored
  a.Command5->click();
  EXPECT_EQ(common::ScreenColor.get(1), float(0xFF0000));
  const float second = common::ScreenColor.get(2);
  a.Command6->click();  // cancelled: the entry's own colour again
  EXPECT_EQ(common::ScreenColor.get(2), second);
  prompt.colours = {0x00FF00, 0x0000FF};
  a.Command2->click();
  a.Command3->click();
  EXPECT_EQ(common::ScreenColor.get(3), float(0x00FF00));
  EXPECT_EQ(common::ScreenColor.get(4), float(0x0000FF));
  EXPECT_FALSE(a.Command4->isEnabled());
}

TEST_F(DialogTest, OkUnloadsAndTheNextOpeningReadsTheSettingsAfresh) {
  auto& a = Advanced();
  a.Option1[6]->click();
  a.Command1_Click();
  EXPECT_FALSE(plat::forms::exists<進階修定>());
  common::Setting208.set(2);
  auto& b = Advanced();
  EXPECT_TRUE(b.Option1[2]->isChecked());
}

// ---- input-method chooser ----

TEST_F(DialogTest, ChooserWithOnlyThePlainKeyboardShowsWhenConfigured) {
  common::SystemIniValue(1147, "1");
  auto& f = plat::forms::loaded<setup::frmIME>();
  EXPECT_EQ(f.Combo1->count(), 1);
  EXPECT_EQ(f.Combo1->currentText(), "English (American)");
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(run::SetupScreenValues().imeName, "English (American)");
  EXPECT_EQ(f.windowTitle(), T(10700));
  // The pick is what the record gets.
  ime.layouts << "fcitx";
  plat::FormRegistry::DestroyAll();
  auto& g = plat::forms::loaded<setup::frmIME>();
  g.Combo1->setCurrentIndex(1);
  g.Combo1_Click();
  EXPECT_FALSE(g.isVisible());
  EXPECT_EQ(run::SetupScreenValues().imeName, "fcitx");
}

TEST_F(DialogTest, ChooserStaysHidden) {
  struct Case {
    QStringList layouts;
    int active;
    int s1147;
    QString text;
  } const cases[] = {
      {{"English (American)", "倉頡"}, 1, 1, "倉頡"},
      {{"English (American)"}, -1, 1, ""},
      {{"English (American)"}, 0, 0, "English (American)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    ime.layouts = c.layouts;
    ime.active = c.active;
    common::SystemIniValue(1147, QString::number(c.s1147));
    auto& f = plat::forms::loaded<setup::frmIME>();
    EXPECT_EQ(f.Combo1->currentText(), c.text);
    EXPECT_FALSE(f.isVisible());
    plat::FormRegistry::DestroyAll();
  }
  QStringList many;
  for (int i = 0; i < 30; ++i) many << QString("Layout %1").arg(i);
  ime.layouts = many;
  EXPECT_EQ(plat::forms::loaded<setup::frmIME>().Combo1->count(), 25);
}

TEST_F(DialogTest, ChooserActivationOpensTheListBelowTheLabelOrHides) {
  common::SystemIniValue(1147, "1");
  auto& f = plat::forms::loaded<setup::frmIME>();
  ASSERT_TRUE(f.isVisible());
  f.OnActivated();
  EXPECT_EQ(plat::TwipsGeometry(f.Combo1).top, 300);
  EXPECT_TRUE(f.isVisible());
  // Another method became the text: the next activation hides the window.
  ime.layouts << "倉頡";
  f.Combo1->addItem("倉頡");
  f.Combo1->setCurrentIndex(1);
  f.OnActivated();
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(f.Combo1->currentText(), "倉頡");
}

// Loaded by the set-up screen's load, the chooser asks once that screen is
// up: over it and with the focus, so the keys go to the question and not to
// the name box behind it; also when a box held the screen first.
TEST_F(DialogTest, ChooserAsksOverTheSetUpScreenWithTheFocus) {
  for (const bool boxFirst : {false, true}) {
    SCOPED_TRACE(boxFirst ? "after a box" : "at once");
    Set(1147, "1");
    setup::SetProgramArguments({"王小明,A123456789,1990/5/3"});
    QDialog box;  // a box that waits for an answer when the screen comes up
    if (boxFirst) {
      box.setModal(true);
      box.show();
    }
    auto& s = Screen();
    ASSERT_TRUE(plat::forms::exists<setup::frmIME>());
    auto& f = plat::forms::get<setup::frmIME>();
    if (boxFirst) {
      QElapsedTimer held;
      held.start();
      while (held.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      EXPECT_FALSE(f.isVisible());  // never over a box that waits
      box.hide();
    }
    QElapsedTimer t;
    t.start();
    while (!f.isVisible() && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(f.isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &f);
    EXPECT_EQ(f.focusWidget(), f.Combo1);
    ASSERT_NE(f.windowHandle(), nullptr);
    EXPECT_EQ(f.windowHandle()->transientParent(), s.windowHandle());
    plat::FormRegistry::DestroyAll();
    settings.clear();
  }
}

TEST_F(DialogTest, TheRecordTakesTheChoosersText) {
  Set(1147, "1");
  setup::SetProgramArguments({"王小明,A123456789,1990/5/3"});
  Screen();
  ASSERT_TRUE(plat::forms::exists<setup::frmIME>());
  rec::SetupValues v;
  ASSERT_TRUE(rec::testRecordModule().PrepareImeName);
  rec::testRecordModule().PrepareImeName(v);
  EXPECT_EQ(v.imeName, "English (American)");
}

// The record names the method the candidate committed text with, as the
// framework names it, though the window in front at the end has it off;
// whether the chooser was loaded at set-up or only at the end.
TEST_F(DialogTest, TheRecordNamesTheMethodTypedWithThoughTheLastWindowHasItOff) {
  const plat::ImEngine keyboard{"keyboard-us", "Keyboard - English (US)", true};
  const plat::ImEngine chewing{"chewing", "新酷音", false};
  for (const char* s1147 : {"1", "0"}) {
    SCOPED_TRACE(s1147);
    setup::SetInputMethodProvider(nullptr);  // the Linux provider, on the fake framework
    imf.state = plat::ImState{{keyboard, chewing}, keyboard};
    Set(1147, s1147);
    Screen();
    if (QString(s1147) == "1") EXPECT_EQ(plat::forms::get<setup::frmIME>().Combo1->currentText(), "English (American)");
    // Typed at the test screen with Chewing on.
    imf.state->current = chewing;
    QLineEdit box;
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("你好"));
    QCoreApplication::sendEvent(&box, &commit);
    QCoreApplication::sendEvent(&box, &commit);
    imf.Settle();  // the answers come on the event loop
    // The processing screen in front: its new input context has it off.
    imf.state->current = keyboard;
    rec::SetupValues v;
    ASSERT_TRUE(rec::testRecordModule().PrepareImeName);
    rec::testRecordModule().PrepareImeName(v);
    EXPECT_EQ(v.imeName, "新酷音");
    EXPECT_EQ(plat::forms::get<setup::frmIME>().Combo1->count(), 2);
    plat::FormRegistry::DestroyAll();
    plat::TypedEngine::Forget();
    settings.clear();
  }
  // Nothing typed through it: the plain keyboard, as before.
  imf.state->current = keyboard;
  Screen();
  rec::SetupValues v;
  rec::testRecordModule().PrepareImeName(v);
  EXPECT_EQ(v.imeName, "English (American)");
}

// ---- About, reminder (the contact window is common/gui's) ----

TEST_F(DialogTest, AboutWindow) {
  auto& a = plat::forms::get<setup::frmAbout>();
  a.Show();
  EXPECT_EQ(a.windowTitle(), "關於 " + common::ProductTitle.get());
  EXPECT_EQ(a.lblVersion->text(), "版本 " + common::ProgramVersion());
  EXPECT_EQ(common::ProgramVersion().count(u'.'), 2);
  a.cmdSysInfo_Click();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].text, "無法取得系統資訊!");
  EXPECT_TRUE(launcher.calls.isEmpty());
  a.cmdOK_Click();
  EXPECT_FALSE(plat::forms::exists<setup::frmAbout>());
}

// Where the system-information tool is registered, the About window starts it.
class RegisteredTool : public setup::SystemValueStore {
 public:
  bool GetKeyValue(const QString&, const QString& key, const QString& name, QString& value) override {
    value = values.value(key + u'|' + name);
    return values.contains(key + u'|' + name);
  }
  QHash<QString, QString> values;
};

TEST_F(DialogTest, AboutWindowStartsTheRegisteredSystemInformationTool) {
  RegisteredTool store;
  seams.Set(setup::SetSystemValueStore, &store);
  const QString path = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH";
  const QString location = "SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";
  auto& a = plat::forms::get<setup::frmAbout>();
  a.Show();

  auto tool = [this](const QString& name) {
    EXPECT_TRUE(plat::writeBytesAtomic(root + name, "#!/bin/sh\n"));
    QFile(root + name).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return root + name;
  };
  QDir().mkpath(root + "tools");
  store.values = {{path, tool("tools/sysinfo")}};
  a.cmdSysInfo_Click();
  ASSERT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(launcher.calls[0].program, root + "tools/sysinfo");
  EXPECT_EQ(launcher.calls[0].style, plat::WindowStyle::NormalFocus);

  // Only the tools' folder: used when the tool is in it.
  store.values = {{location, root + "tools"}};
  a.cmdSysInfo_Click();
  EXPECT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(LastMessage(), "無法取得系統資訊!");
  tool("tools/MSINFO32.EXE");
  a.cmdSysInfo_Click();
  ASSERT_EQ(launcher.calls.size(), 2);
  EXPECT_EQ(launcher.calls[1].program, root + "tools/MSINFO32.EXE");

  // A tool that cannot be started: the message.
  prompt.calls.clear();
  launcher.result = false;
  a.cmdSysInfo_Click();
  EXPECT_EQ(LastMessage(), "無法取得系統資訊!");
  setup::SetSystemValueStore(nullptr);
}

TEST_F(DialogTest, ReminderDialog) {
  auto& d = plat::forms::get<setup::Dialog>();
  d.Show();
  EXPECT_EQ(d.Label1->text(), T(10401));
  d.OKButton_Click();
  EXPECT_FALSE(d.isVisible());
}

// ---- save path and host ----

class PathDialogTest : public DialogTest {
 protected:
  setup::digPath& Dialog(int mode, const QString& text) {
    auto& d = plat::forms::loaded<setup::digPath>();
    d.chkPathOrServer = static_cast<std::int16_t>(mode);
    d.Text1->setText(text);
    d.Show();
    return d;
  }
};

TEST_F(PathDialogTest, FolderEntries) {
  auto& d = Dialog(1, root + "Data");
  EXPECT_EQ(d.windowTitle(), T(10500));
  d.OKButton_Click();
  EXPECT_EQ(d.Text1->text(), root + "Data/");
  EXPECT_EQ(d.chkSure, -1);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(common::RunModeFlag.get(), 2);
  EXPECT_TRUE(plat::forms::get<setup::Dialog>().isVisible());

  // A folder that does not exist: refused, the separator stays appended.
  d.chkSure = 0;
  d.Text1->setText(root + "nowhere");
  d.Show();
  d.OKButton_Click();
  EXPECT_EQ(d.chkSure, 0);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.Text1->text(), root + "nowhere/");
  EXPECT_EQ(LastMessage(), T(10501) + "\n" + T(10502));

  // A short folder relative to the installation; the short and the blank entries.
  d.Text1->setText(".");
  d.Auto();
  EXPECT_EQ(d.chkSure, 0);  // one character
  d.Text1->setText("./");
  d.Auto();
  EXPECT_EQ(d.chkSure, -1);
  for (const char* bad : {"/", "C", "  ", "\t "}) {
    d.chkSure = 0;
    prompt.calls.clear();
    d.Text1->setText(bad);
    d.Show();
    d.OKButton_Click();
    EXPECT_EQ(d.chkSure, 0) << bad;
    EXPECT_EQ(LastMessage(), T(10503));
  }
  d.CancelButton_Click();
  EXPECT_EQ(d.chkSure, 0);
  EXPECT_FALSE(d.isVisible());
}

TEST_F(PathDialogTest, AServerEntryOfBlanksIsTakenWithoutATest) {
  int made = 0;
  seams.Set(plat::SetTcpClientMaker, [&made] {
    ++made;
    return std::unique_ptr<plat::TcpClient>(std::make_unique<plat::FakeTcpClient>());
  });
  auto& d = Dialog(2, " ");
  d.OKButton_Click();
  EXPECT_EQ(d.chkSure, 0);
  EXPECT_EQ(LastMessage(), T(10503));
  d.Text1->setText("   ");
  d.OKButton_Click();
  EXPECT_EQ(d.chkSure, -1);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(made, 0);
  EXPECT_EQ(d.LinkStatus, 0);
  EXPECT_EQ(common::RunModeFlag.get(), 2);
  EXPECT_TRUE(plat::forms::get<setup::Dialog>().isVisible());
}

TEST_F(PathDialogTest, AServerThatNeverAnswersGivesUpAfterTenRetries) {
  QList<plat::FakeTcpClient*> made;
  seams.Set(plat::SetTcpClientMaker, [&made] {
    auto c = std::make_unique<plat::FakeTcpClient>();
    made << c.get();
    return std::unique_ptr<plat::TcpClient>(std::move(c));
  });
  auto& d = Dialog(2, "192.0.2.1");
  d.OKButton_Click();
  ASSERT_EQ(made.size(), 1);
  EXPECT_FALSE(d.OKButton->isEnabled());
  EXPECT_EQ(d.lblMessage->text(), T(10505));
  EXPECT_EQ(made[0]->connects, QStringList{"192.0.2.1:5568"});
  sched.Advance(1000);
  EXPECT_EQ(d.LinkStatus, 2);
  EXPECT_EQ(d.lblMessage->text(), T(10505) + ">");
  sched.Advance(10000);
  EXPECT_EQ(d.LinkStatus, 3);
  EXPECT_EQ(made[0]->connects.size(), 11);  // the first and ten retries
  EXPECT_EQ(d.lblMessage->text(), T(10504) + ">");
  EXPECT_TRUE(d.OKButton->isEnabled());
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.chkSure, 0);
  sched.Advance(5000);
  EXPECT_EQ(made[0]->connects.size(), 11);  // it has stopped

  // A second try is answered.
  d.OKButton_Click();
  made[0]->AcceptConnect();
  EXPECT_EQ(d.LinkStatus, 1);
  EXPECT_EQ(d.chkSure, -1);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(made[0]->State(), plat::SockState::Closed);
  EXPECT_TRUE(made[0]->sent.isEmpty());
}

TEST_F(PathDialogTest, CancelEndsARunningTest) {
  plat::FakeTcpClient* sock = nullptr;
  seams.Set(plat::SetTcpClientMaker, [&sock] {
    auto c = std::make_unique<plat::FakeTcpClient>();
    sock = c.get();
    return std::unique_ptr<plat::TcpClient>(std::move(c));
  });
  auto& d = Dialog(2, "192.0.2.1");
  d.OKButton_Click();
  d.CancelButton_Click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.chkSure, 0);
  EXPECT_FALSE(d.Testing());
  const int connects = static_cast<int>(sock->connects.size());
  sched.Advance(20000);
  EXPECT_EQ(sock->connects.size(), connects);
  sock->AcceptConnect();  // late: accepted nothing
  EXPECT_EQ(d.chkSure, 0);
}

TEST_F(PathDialogTest, ARealServerOnLoopbackIsAccepted) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  common::SystemIniValue(5902, QString::number(server.serverPort()));
  auto& d = Dialog(2, " 127.0.0.1 ");
  d.OKButton_Click();
  for (int i = 0; i < 200 && d.chkSure != -1; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    server.waitForNewConnection(10);
  }
  EXPECT_EQ(d.chkSure, -1);
  EXPECT_EQ(d.LinkStatus, 1);
}

}  // namespace
}  // namespace setuptest
