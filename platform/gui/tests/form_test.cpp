#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/twips.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fakes.h"

namespace {

using plat::Form;
using plat::ShowMode;
using plat::UnloadMode;

// Counts its handlers; the design's public variable Sw is read at load.
class CountForm : public Form {
 public:
  CountForm() : Form("CountForm"), Label2(new QLabel(this)) { Label2->setObjectName("Label2"); }
  int Sw = 0;
  QLabel* Label2;
  int loads = 0, activates = 0, deactivates = 0, queries = 0, unloads = 0;
  int cancelQuery = 0;

 protected:
  void Form_Load() override {
    ++loads;
    Label2->setText(QString::number(Sw));
  }
  void Form_Activate() override { ++activates; }
  void Form_Deactivate() override { ++deactivates; }
  void Form_QueryUnload(int& cancel, UnloadMode) override {
    ++queries;
    cancel = cancelQuery;
  }
  void Form_Unload(int&) override { ++unloads; }
};

class OtherForm : public Form {
 public:
  OtherForm() : Form("OtherForm") {}
};

class FormLayer : public ::testing::Test {
 protected:
  void SetUp() override { seams.Set(plat::SetAppControl, &appControl); }
  void TearDown() override {
    plat::SetModalDriver(nullptr);  // the clean-up shows nothing on a test's behalf
    plat::FormRegistry::DestroyAll();
  }
  plat::FakeAppControl appControl;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

TEST_F(FormLayer, BuiltOnFirstUseAndLoadedOnce) {
  EXPECT_FALSE(plat::forms::exists<CountForm>());
  CountForm& f = plat::forms::get<CountForm>();
  EXPECT_EQ(&f, &plat::forms::get<CountForm>());
  EXPECT_FALSE(f.IsLoaded());
  f.Sw = 60;  // written before the show, read by the load handler
  f.Show();
  f.Hide();
  f.Show();
  EXPECT_EQ(f.loads, 1);
  EXPECT_EQ(f.Label2->text(), "60");
  EXPECT_EQ(f.activates, 2);
  EXPECT_EQ(f.deactivates, 1);
  EXPECT_EQ(plat::forms::loaded<CountForm>().loads, 1);
}

TEST_F(FormLayer, ActivatesOncePerShowAndOnReturn) {
  CountForm& a = plat::forms::get<CountForm>();
  a.Show();
  a.Show();  // already the active form
  EXPECT_EQ(a.activates, 1);
  QApplication::processEvents();  // a late window-activate event changes nothing
  EXPECT_EQ(a.activates, 1);
  plat::forms::get<OtherForm>().Show();
  EXPECT_EQ(a.deactivates, 1);
  a.Show();
  EXPECT_EQ(a.activates, 2);
}

TEST_F(FormLayer, UnloadDropsTheInstanceAndCanBeCancelled) {
  CountForm& f = plat::forms::loaded<CountForm>();
  f.cancelQuery = 1;
  EXPECT_FALSE(f.Unload());
  EXPECT_TRUE(f.IsLoaded());
  EXPECT_EQ(&f, &plat::forms::get<CountForm>());
  f.cancelQuery = 0;
  f.Sw = 7;
  EXPECT_TRUE(plat::forms::unload<CountForm>());
  EXPECT_EQ(f.unloads, 1);
  EXPECT_FALSE(plat::forms::exists<CountForm>());
  CountForm& fresh = plat::forms::get<CountForm>();
  EXPECT_EQ(fresh.Sw, 0);  // design defaults again
  EXPECT_FALSE(fresh.IsLoaded());
}

TEST_F(FormLayer, UserCloseAsksQueryUnloadWithControlMenu) {
  CountForm& f = plat::forms::get<CountForm>();
  f.Show();
  f.cancelQuery = 1;
  f.close();
  EXPECT_EQ(f.queries, 1);
  EXPECT_TRUE(f.isVisible());
  f.cancelQuery = 0;
  f.close();
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(plat::forms::exists<CountForm>());
}

TEST_F(FormLayer, ModalShowReturnsWhenTheFormHides) {
  CountForm& f = plat::forms::get<CountForm>();
  int ticksDuringModal = 0;
  QTimer other;  // other timers keep firing during the modal show
  QObject::connect(&other, &QTimer::timeout, [&] { ++ticksDuringModal; });
  other.start(1);
  QTimer::singleShot(30, &f, [&] {
    EXPECT_TRUE(f.InModalShow());
    f.Hide();
  });
  f.Show(ShowMode::Modal);
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(f.InModalShow());
  EXPECT_EQ(f.activates, 1);
  EXPECT_GT(ticksDuringModal, 0);
  EXPECT_FALSE(f.isModal());
}

TEST_F(FormLayer, ModalShowReturnsWhenTheFormUnloads) {
  CountForm& f = plat::forms::get<CountForm>();
  QPointer<CountForm> guard(&f);
  QTimer::singleShot(0, &f, [&] { f.Unload(); });
  f.Show(ShowMode::Modal);
  EXPECT_FALSE(plat::forms::exists<CountForm>());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(guard.isNull());
}

TEST_F(FormLayer, ModalDriverStandsInForTheUser) {
  int driven = 0;
  seams.Set(plat::SetModalDriver, [&](Form& f) {
    ++driven;
    EXPECT_EQ(f.objectName(), "CountForm");
    f.Hide();
  });
  plat::forms::get<CountForm>().Show(ShowMode::Modal);
  EXPECT_EQ(driven, 1);
}

class ThirdForm : public Form {
 public:
  ThirdForm() : Form("ThirdForm") {}
};

class RootForm : public Form {
 public:
  RootForm() : Form("RootForm") {}
};

// The window manager keeps an owned window above its owner: a form shown
// without an owner, or with one off screen, goes over the default owner.
TEST_F(FormLayer, FormsWithoutAShownOwnerGoOverTheDefaultOwner) {
  OtherForm& backdrop = plat::forms::get<OtherForm>();
  seams.Set(plat::SetDefaultOwner, [&backdrop]() -> QWidget* { return &backdrop; });
  CountForm& screen = plat::forms::get<CountForm>();
  screen.Show();
  EXPECT_EQ(screen.windowHandle()->transientParent(), nullptr) << "no default owner while it is hidden";
  screen.Hide();

  backdrop.Show();
  EXPECT_EQ(backdrop.windowHandle()->transientParent(), nullptr) << "never its own owner";
  screen.Show();
  EXPECT_EQ(screen.windowHandle()->transientParent(), backdrop.windowHandle());

  // Owned by a hidden screen: over that screen's own owner.
  ThirdForm& dialog = plat::forms::get<ThirdForm>();
  screen.Hide();
  dialog.Show(ShowMode::Modeless, &screen);
  EXPECT_EQ(dialog.windowHandle()->transientParent(), backdrop.windowHandle());
  dialog.Hide();
  // The default owner's own owner, shown again, does not go over it.
  RootForm& root = plat::forms::get<RootForm>();
  backdrop.Hide();
  root.Show();
  backdrop.Show(ShowMode::Modeless, &root);
  EXPECT_EQ(backdrop.windowHandle()->transientParent(), root.windowHandle());
  root.Hide();
  root.Show();
  EXPECT_EQ(root.windowHandle()->transientParent(), nullptr);
  plat::SetDefaultOwner(nullptr);
}

// A window manager may minimise any window: a form without a minimise
// button comes straight back; one with the button, or a frameless one,
// stays minimised.
TEST_F(FormLayer, OnlyAFormWithAMinimiseButtonStaysMinimised) {
  struct Case {
    Qt::WindowFlags flags;
    bool staysMinimised;
  };
  const Case cases[] = {
      {Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint, false},
      {Qt::Dialog, false},
      {Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint, false},
      {Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint, true},
      {Qt::Window, true},
      {Qt::Dialog | Qt::FramelessWindowHint, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.flags));
    CountForm& f = plat::forms::get<CountForm>();
    f.setWindowFlags(c.flags);
    f.Show();
    f.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.isMinimized(), c.staysMinimised);
    EXPECT_TRUE(f.isVisible());
    plat::FormRegistry::DestroyAll();
  }
}

TEST_F(FormLayer, ProgramEndStopsTimersHidesWindowsAndRunsNoUnloadHandler) {
  CountForm& f = plat::forms::get<CountForm>();
  plat::FormTimer t1(&f, "Timer1"), t2(nullptr, "Timer2");
  t1.SetInterval(100);
  t2.SetInterval(250);
  f.Show();
  plat::forms::get<OtherForm>().Show();
  EXPECT_EQ(plat::FormTimer::RunningCount(), 2);
  plat::app().EndProgram(3);
  EXPECT_TRUE(plat::app().Ending());
  EXPECT_EQ(appControl.ends, 1);
  EXPECT_EQ(appControl.code, 3);
  EXPECT_EQ(plat::FormTimer::RunningCount(), 0);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
  EXPECT_EQ(f.queries + f.unloads, 0);
  f.Show();  // nothing shows after the end
  EXPECT_FALSE(f.isVisible());
}

}  // namespace

namespace {

// A form the design never lets a person close: the window manager's close
// asks no handler and leaves it; the program's own unload still works.
TEST_F(FormLayer, AFormThatRefusesTheWindowManagersCloseStaysAndAsksNoHandler) {
  struct Case {
    UnloadMode mode;
    bool unloads;
  };
  for (const Case& c : {Case{UnloadMode::ControlMenu, false}, Case{UnloadMode::Code, true},
                        Case{UnloadMode::AppWindows, true}}) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    CountForm& f = plat::forms::get<CountForm>();
    f.SetRefusesWindowManagerClose(true);
    f.Show();
    EXPECT_EQ(f.Unload(c.mode), c.unloads);
    EXPECT_EQ(f.queries, c.unloads ? 1 : 0);
    EXPECT_EQ(plat::forms::exists<CountForm>(), !c.unloads);
    if (!c.unloads) {
      f.close();  // the close button's event
      EXPECT_TRUE(f.isVisible());
      EXPECT_EQ(f.queries, 0);
      plat::forms::unload<CountForm>();
    }
  }
}

// A backdrop is never activated (it takes no focus), never owns another
// window, and stays at the window manager's close.
TEST_F(FormLayer, ABackdropIsNeverActivatedNorAnOwner) {
  OtherForm& backdrop = plat::forms::get<OtherForm>();
  backdrop.MakeBackdrop();
  CountForm& screen = plat::forms::get<CountForm>();
  screen.Show();
  backdrop.Show();
  EXPECT_EQ(plat::forms::active(), &screen) << "the screen is still the active form";
  EXPECT_TRUE(backdrop.windowFlags() & Qt::WindowDoesNotAcceptFocus);
  EXPECT_FALSE(backdrop.isEnabled());
  screen.Hide();
  screen.Show(ShowMode::Modeless, &backdrop);
  EXPECT_EQ(screen.windowHandle()->transientParent(), nullptr);
  screen.Hide();
  seams.Set(plat::SetDefaultOwner, [&backdrop]() -> QWidget* { return &backdrop; });
  screen.Show();
  EXPECT_EQ(screen.windowHandle()->transientParent(), nullptr);
  plat::SetDefaultOwner(nullptr);
  EXPECT_FALSE(backdrop.Unload(UnloadMode::ControlMenu));
  EXPECT_TRUE(backdrop.isVisible());
}

// The window manager hands the focus to a disabled form (Alt+Tab, a click):
// the window that waits over it gets it.
TEST_F(FormLayer, ADisabledFormPassesTheFocusToTheWindowWaitingOverIt) {
  CountForm& sheet = plat::forms::get<CountForm>();
  OtherForm& question = plat::forms::get<OtherForm>();
  sheet.Show();
  sheet.setEnabled(false);
  question.Show(ShowMode::Modeless, &sheet);
  ASSERT_EQ(question.windowHandle()->transientParent(), sheet.windowHandle());
  sheet.activateWindow();
  QApplication::processEvents();
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(&sheet, &activate);
  QApplication::processEvents();
  EXPECT_TRUE(question.isActiveWindow());
  EXPECT_EQ(plat::forms::active(), &question);
}


// A form sized to fit itself to its design again when it is resized.
class DesignSizeForm : public Form {
 public:
  DesignSizeForm() : Form("DesignSizeForm") {}
  int resizes = 0;

 protected:
  void Form_Resize() override {
    ++resizes;
    plat::SetTwipsSize(this, 30000, 20000);
  }
};

TEST_F(FormLayer, EveryShownWindowStaysOnTheScreenFrameAndAll) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  struct Case {
    const char* what;
    QSize size;
    QPoint at;
    bool fixed;
  } cases[] = {
      {"larger than the screen", area.size() * 2, {0, 0}, false},
      {"larger, of a fixed size", area.size() + QSize(300, 200), {0, 0}, true},
      {"over the left and top edges", {200, 100}, {-150, -80}, false},
      {"over the right and bottom edges", {200, 100}, {area.right() - 20, area.bottom() - 10}, false},
      {"taller only", {200, area.height() + 50}, {10, 10}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OtherForm& f = plat::forms::get<OtherForm>();
    if (c.fixed) f.setFixedSize(c.size);
    f.resize(c.size);
    f.move(c.at);
    f.Show();
    EXPECT_TRUE(area.contains(f.frameGeometry())) << f.frameGeometry().x() << "," << f.frameGeometry().y() << " "
                                                 << f.frameGeometry().width() << "x" << f.frameGeometry().height();
    // Moved or sized off the screen later, it comes back.
    f.move(area.right() + 100, area.bottom() + 100);
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.contains(f.frameGeometry()));
    f.resize(area.size() * 3);
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.contains(f.frameGeometry()));
    // A window that fits keeps its size.
    if (!c.fixed) {
      f.resize(120, 80);
      EXPECT_EQ(f.size(), QSize(120, 80));
    }
    plat::FormRegistry::DestroyAll();
  }
  // A form that goes back to its design size in its resize handler stops at
  // the screen's edge instead of fighting the fit.
  DesignSizeForm& d = plat::forms::get<DesignSizeForm>();
  d.Show();
  d.resize(100, 100);
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  EXPECT_TRUE(area.contains(d.frameGeometry()));
  EXPECT_LT(d.resizes, 10);
}

// Keys that reach a backdrop given the focus are typed into the box of the
// window in front, at its caret.
TEST_F(FormLayer, KeysThatReachABackdropAreTypedInTheWindowInFront) {
  OtherForm& backdrop = plat::forms::get<OtherForm>();
  backdrop.MakeBackdrop();
  CountForm& screen = plat::forms::get<CountForm>();
  auto* box = new QLineEdit(&screen);
  backdrop.Show();
  screen.Show();
  box->setFocus();
  box->setText("abcd");
  box->setCursorPosition(2);
  QApplication::processEvents();
  ASSERT_TRUE(screen.isActiveWindow());

  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(&backdrop, &activate);
  for (const char c : {'x', 'y'}) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X + (c - 'x'), Qt::NoModifier, QString(QChar(c)));
    QApplication::sendEvent(&backdrop, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X + (c - 'x'), Qt::NoModifier, QString(QChar(c)));
    QApplication::sendEvent(&backdrop, &release);
  }
  EXPECT_EQ(box->text(), "abxycd");
  EXPECT_EQ(box->cursorPosition(), 4);
  // Offscreen never lets the backdrop take the focus; the desktop tests
  // show the window manager's side. The hand-off leaves the box as it was.
  QApplication::processEvents();
  EXPECT_TRUE(screen.isActiveWindow());
  EXPECT_EQ(QApplication::focusWidget(), box);
  EXPECT_EQ(box->cursorPosition(), 4);
  EXPECT_FALSE(box->hasSelectedText());
}

}  // namespace
