// The contact window as the test program and the scorer show it (the batch
// scorer's design is tested with its windows).
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include "common/accessors.h"
#include "common/gui/contactwindow.h"
#include "common/settings.h"
#include "common/store.h"
#include "common/utilities.h"
#include "platform/core/paths.h"
#include "platform/gui/desktop.h"
#include "platform/media/sound.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fakes.h"
#include "testsupport/gui/soundfakes.h"

namespace {

class ContactWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    plat::SetProgramFolder(dir.path() + "/");  // the error report goes here
    common::ProgramFolder.set(dir.path() + "/");
    seams.Set(plat::SetBeeper, &beeper);
    seams.Set(plat::SetDesktop, &urls);
    common::ApplySetting(994, "service@example.org");
    common::ApplySetting(995, "http://www.example.org/");
  }
  void TearDown() override {
    plat::FormRegistry::DestroyAll();
    plat::SetProgramFolder(QString());
    common::ResetCommonState();
  }
  QTemporaryDir dir;
  plat::FakeBeeper beeper;
  plat::FakeDesktop urls;  // pages and mail forms opened
  testsupport::Seams seams;
};

TEST_F(ContactWindow, OpensMailAndWebWithoutAShell) {
  common::ProductTitle.set("Tavrel 聽打 測驗");
  auto& f = plat::forms::get<common::frmLiaison>();
  f.Show();
  EXPECT_EQ(f.Label2->text(), "mail:service@example.org");
  EXPECT_EQ(f.Label3->text(), "http://www.example.org/");
  EXPECT_EQ(f.windowTitle(), "Tavrel 聽打 測驗");
  f.Label2_Click();
  ASSERT_EQ(urls.opened.size(), 1);
  EXPECT_EQ(urls.opened[0].scheme(), "mailto");
  EXPECT_EQ(urls.opened[0].query(QUrl::FullyDecoded), "subject=Tavrel聽打測驗[" + common::ProgramVersion() + "]");
  f.Label3_Click();
  ASSERT_EQ(urls.opened.size(), 2);
  EXPECT_EQ(urls.opened[1].toString(), "http://www.example.org/");
  EXPECT_EQ(beeper.beeps, 2);
  f.Command1_Click();
  EXPECT_FALSE(f.isVisible());
}

TEST_F(ContactWindow, EmptyOrForeignAddressesOpenNothingButStillBeep) {
  common::ApplySetting(995, "");
  common::ApplySetting(994, "a@b.org&x");
  auto& f = plat::forms::get<common::frmLiaison>();
  f.Show();
  f.Label3_Click();
  f.Label2_Click();
  EXPECT_TRUE(urls.opened.isEmpty());
  EXPECT_EQ(beeper.beeps, 2);
}

}  // namespace
