// Closes from outside the program (the window manager's close button,
// Alt+F4) while the scorer works, against a scoring server on 127.0.0.1
// that counts connections: the scoring window and the notices refuse them,
// the sheet waits for its notice and comes back enabled, and one run is
// delivered once.
#include "scorer_fixture.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWindow>
#include <stdexcept>

#include "scoring/forms/frmclient.h"
#include "testsupport/core/fakeservers.h"
#include "testsupport/core/seams.h"

namespace {

using namespace scorertest;
using scorer::Form3;
using scorer::成績單;
using scorer::處理列印中;
using scorer::處理存檔;
using testing_net::ScoringServer;

// What the window manager sends: a close event to the window itself.
void CloseFromOutside(QWidget* w) {
  QCloseEvent e;
  if (QWindow* h = w->windowHandle())
    QCoreApplication::sendEvent(h, &e);
  else
    QCoreApplication::sendEvent(w, &e);
}

class Closing : public ScorerFixture {
 protected:
  void SetUp() override {
    ScorerFixture::SetUp();
    scorer::InstallUploadWindow();
    // Deliver by upload on the first showing; what the shipped file says
    // about saving and writing does not matter here.
    IniLines({{7999, "1"}, {904, "0"}, {908, "2"}, {5999, "0"}, {5951, "0"}, {7910, "111111"},
              {5902, QString::number(server.Port())}});
    server.onData = [](QTcpSocket* s, const QByteArray& all) {
      if (plat::fromCp950(all).count(u'|') == 24) s->write("Complete");
    };
  }
  void TearDown() override {
    ScorerFixture::TearDown();
  }

  QString Record() { return WriteRecord(QStringLiteral("~T032400.txt"), 1, {QStringLiteral("[指定主機]=127.0.0.1")}); }

  // The scorer up to its scoring window, which has scored and now waits.
  Form3& ScoringWindow() {
    scorer::SetCommandLine(Record() + u',' + ProgramFile("Tavrel"));
    plat::forms::get<scorer::輸入資料>().Show();
    return plat::forms::get<Form3>();
  }
  // Ticks on virtual time and socket events on the real loop, until done.
  bool Run(const std::function<bool()>& done, int seconds = 40) {
    for (int i = 0; i < seconds * 4; ++i) {
      if (done()) return true;
      scheduler->Advance(250);
      testing_net::Spin(5);
    }
    return done();
  }
  // The run delivered: recorded by the server and the window gone.
  bool Delivered() const { return scorer::Uploaded() && !scorer::UploadInFlight(); }
  static bool Usable(const 成績單& s) { return s.isVisible() && s.isEnabled(); }

  ScoringServer server;
};

TEST_F(Closing, TheScoringWindowRefusesACloseFromOutsideAndTheSheetStillComes) {
  Form3& f3 = ScoringWindow();
  ASSERT_TRUE(f3.isVisible());
  for (int tick = 0; tick < 4; ++tick) {
    CloseFromOutside(&f3);
    EXPECT_TRUE(plat::forms::exists<Form3>());
    EXPECT_TRUE(f3.isVisible());
    scheduler->Advance(250);
  }
  ASSERT_TRUE(Run([] { return plat::forms::exists<成績單>() && plat::forms::get<成績單>().isVisible(); }));
  EXPECT_FALSE(plat::forms::exists<Form3>());
  ASSERT_TRUE(Run([this] { return Delivered(); }));
  EXPECT_EQ(server.connections, 1);
  EXPECT_TRUE(Usable(plat::forms::get<成績單>()));
}

// Each notice, closed from outside while it works, stays; so does the
// sheet behind it. The notice then ends on its own and the same sheet comes
// back enabled; the server has seen the run once.
TEST_F(Closing, NoticesAndTheSheetBehindThemRefuseACloseAndTheSheetComesBack) {
  QDir(work.path()).mkdir("drive");
  const QString drive = work.filePath("drive");
  seams.Set(scoring::SetDriveSource, [drive] { return QStringList{drive}; });
  Form3& f3 = ScoringWindow();
  (void)f3;
  ASSERT_TRUE(Run([] { return plat::forms::exists<成績單>() && plat::forms::get<成績單>().isVisible(); }));
  ASSERT_TRUE(Run([this] { return Delivered(); }));
  成績單* sheet = &plat::forms::get<成績單>();

  struct Case {
    const char* what;
    std::function<void()> open;
    std::function<plat::Form*()> notice;
  };
  const Case cases[] = {
      {"save", [sheet] { sheet->Command5->click(); },
       []() -> plat::Form* { return plat::forms::exists<處理存檔>() ? &plat::forms::get<處理存檔>() : nullptr; }},
      {"print", [sheet] { sheet->Command2->click(); },
       []() -> plat::Form* { return plat::forms::exists<處理列印中>() ? &plat::forms::get<處理列印中>() : nullptr; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.open();
    plat::Form* notice = c.notice();
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(sheet->isEnabled());
    CloseFromOutside(notice);
    EXPECT_EQ(c.notice(), notice);
    EXPECT_TRUE(notice->isVisible());
    CloseFromOutside(sheet);
    ASSERT_TRUE(plat::forms::exists<成績單>());
    EXPECT_EQ(&plat::forms::get<成績單>(), sheet);
    EXPECT_FALSE(plat::forms::exists<scorer::是否結束>());
    ASSERT_TRUE(Run([&] { return c.notice() == nullptr; }, 10));
    EXPECT_EQ(&plat::forms::get<成績單>(), sheet);
    EXPECT_TRUE(Usable(*sheet));
  }
  EXPECT_TRUE(QFileInfo::exists(drive + "/A123456789.R01"));  // the save ran
  Run([] { return false; }, 5);
  EXPECT_EQ(server.connections, 1);
  EXPECT_EQ(app.ends, 0);
}

// The first showing of a run delivers, not of a sheet: a sheet built again
// for the same run (it cannot be closed during a notice any more, but any
// other way) sends nothing a second time. A new run delivers again.
TEST_F(Closing, ARunDeliversOnceOnItsOwnHoweverOftenItsSheetIsBuilt) {
  ScoringWindow();
  ASSERT_TRUE(Run([this] { return Delivered(); }));
  ASSERT_TRUE(plat::forms::unload<成績單>());
  ASSERT_TRUE(plat::forms::exists<scorer::是否結束>());
  scorer::ShowSheet();
  ASSERT_TRUE(plat::forms::exists<成績單>());
  Run([] { return false; }, 5);
  EXPECT_EQ(server.connections, 1);
  // A notice ending after its sheet went builds no sheet at all.
  ASSERT_TRUE(plat::forms::unload<成績單>());
  plat::forms::get<處理列印中>().Show();
  Run([] { return !plat::forms::exists<處理列印中>(); }, 10);
  EXPECT_FALSE(plat::forms::exists<成績單>());
  EXPECT_EQ(server.connections, 1);
}

TEST_F(Closing, ASaveThatFailsStillClosesItsNoticeAndGivesTheSheetBack) {
  seams.Set(scoring::SetDriveSource, []() -> QStringList { throw std::runtime_error("drive list"); });
  ScoringWindow();
  ASSERT_TRUE(Run([this] { return Delivered(); }));
  成績單& sheet = plat::forms::get<成績單>();
  sheet.Command5->click();
  ASSERT_TRUE(plat::forms::exists<處理存檔>());
  ASSERT_TRUE(Run([] { return !plat::forms::exists<處理存檔>(); }, 10));
  EXPECT_TRUE(Usable(sheet));
  QStringList report;
  plat::readTextLines(common::ErrorReportPath(), report);
  EXPECT_TRUE(report.join(u'\n').contains("CopyTestRecordFiles"));
}

}  // namespace
