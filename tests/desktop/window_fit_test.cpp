// Every window of the three programs fits: on a small screen and on a large
// one scaled twice, each window the window manager shows lies on the screen,
// frame and all (read from the X server), and each control a window shows
// lies inside the window and inside the control that holds it (read from
// the program's own report).
#include <QRegularExpression>
#include <ostream>
#include <utility>

#include "tests/desktop/testprogram.h"

namespace desktop {
namespace {

struct Screen {
  const char* name;
  const char* size;  // Xvfb's screen
  int width, height;
  int scale;  // QT_SCALE_FACTOR
};

// Test names read as the screen, not as the struct's bytes.
void PrintTo(const Screen& s, std::ostream* os) { *os << s.size << " scale " << s.scale; }

const Screen kScreens[] = {{"Small", "1024x768x24", 1024, 768, 1}, {"Scaled", "1920x1080x24", 1920, 1080, 2}};

// A port on 127.0.0.1 that nobody listens on: every connection is refused at once.
const QString kClosedPort = QStringLiteral("1");

class WindowFitTest : public TestProgramTest, public ::testing::WithParamInterface<Screen> {
 protected:
  QString ScreenSize() const override { return QString::fromLatin1(GetParam().size); }

  void SetUp() override {
    TestProgramTest::SetUp();
    if (HasFatalFailure()) return;
    inst.SetEnvironment(QStringLiteral("QT_SCALE_FACTOR"), QString::number(GetParam().scale));
    // The receiver and the scoring server refuse at once; nothing is sent anywhere.
    ASSERT_TRUE(Settings({{293, QStringLiteral("127.0.0.1")}, {5902, kClosedPort}}));
  }

  // The frame of a window as the X server has it, in its pixels.
  QRect Frame(quint64 id) const {
    const QString hex = QStringLiteral("0x%1").arg(id, 0, 16);
    const auto info = desk.Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), hex});
    const auto extents = desk.Run(QStringLiteral("xprop"), {QStringLiteral("-id"), hex, QStringLiteral("-notype"),
                                                           QStringLiteral("_NET_FRAME_EXTENTS")});
    if (!info) return {};
    auto field = [&](const char* name) {
      const QRegularExpression re(QString::fromLatin1(name) + QStringLiteral(":\\s*(-?\\d+)"));
      return re.match(QString::fromUtf8(*info)).captured(1).toInt();
    };
    QRect r(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
    if (extents) {
      const QStringList e = QString::fromUtf8(*extents).section(u'=', 1).split(u',');
      if (e.size() == 4) r.adjust(-e[0].trimmed().toInt(), -e[2].trimmed().toInt(), e[1].trimmed().toInt(),
                                  e[3].trimmed().toInt());
    }
    return r;
  }

  // What does not fit in a shown window, empty when everything does.
  QStringList Misfits(const QString& window, qint64 of = 0) const {
    QStringList out;
    const Widgets w = Probe(of);
    const Widgets::Top* top = w.Window(window);
    if (!top || !top->visible) return {window + QStringLiteral(" is not shown")};
    const QRect screen(0, 0, GetParam().width, GetParam().height);
    const QRect frame = Frame(top->id);
    if (!screen.contains(frame))
      out << QStringLiteral("%1 frame %2,%3 %4x%5 beyond the screen")
                 .arg(window)
                 .arg(frame.x())
                 .arg(frame.y())
                 .arg(frame.width())
                 .arg(frame.height());
    const QString prefix = window + u'/';
    for (auto it = w.widgets.cbegin(); it != w.widgets.cend(); ++it) {
      if (!it.key().startsWith(prefix) || !it->visible || it->rect.isEmpty()) continue;
      // Inside the window, and inside the control that holds it.
      QRect holder = top->rect;
      QString holderName = window;
      const QString parent = it.key().section(u'/', 0, -2);
      if (const auto p = w.widgets.constFind(parent); parent != window && p != w.widgets.cend()) {
        holder = p->rect;
        holderName = parent;
      }
      if (!holder.contains(it->rect) || !top->rect.contains(it->rect))
        out << QStringLiteral("%1 %2,%3 %4x%5 outside %6 %7,%8 %9x%10")
                   .arg(it.key())
                   .arg(it->rect.x())
                   .arg(it->rect.y())
                   .arg(it->rect.width())
                   .arg(it->rect.height())
                   .arg(holderName)
                   .arg(holder.x())
                   .arg(holder.y())
                   .arg(holder.width())
                   .arg(holder.height());
    }
    return out;
  }

  // The window shows, and fits once it has settled.
  void ExpectFits(const QString& window, qint64 of = 0) {
    SCOPED_TRACE(window.toStdString());
    ASSERT_TRUE(WaitForWindow(window, 20000, of)) << Describe();
    QStringList misfits;
    // A window manager frames and places a new window a moment after it maps.
    WaitFor([&] { return (misfits = Misfits(window, of)).isEmpty(); }, 3000, 200);
    EXPECT_TRUE(misfits.isEmpty()) << misfits.join(u'\n').toStdString() << "\n" << Describe();
  }

  // Clicks a control where the X server has it: the program reports its
  // places in its own, scaled, pixels.
  bool Press(const QString& path) {
    // Shown, enabled, and where it was a moment ago: a window manager may
    // still be placing a window that has just mapped.
    Widgets w;
    QRect before;
    WaitFor(
        [&] {
          w = Probe();
          const auto it = w.widgets.constFind(path);
          if (it == w.widgets.cend() || !it->visible || !it->enabled) return false;
          return std::exchange(before, it->rect) == it->rect;
        },
        8000, 300);
    const auto it = w.widgets.constFind(path);
    if (it == w.widgets.cend() || !it->visible || !it->enabled) {
      ADD_FAILURE() << "not shown and enabled: " << path.toStdString();
      return false;
    }
    desk.Click(it->rect.center() * GetParam().scale);
    return true;
  }

  // The controls a window shows (names below the window).
  QStringList Shown(const QString& window) const {
    QStringList out;
    const Widgets w = Probe();
    for (auto it = w.widgets.cbegin(); it != w.widgets.cend(); ++it)
      if (it.key().startsWith(window + u'/') && it->visible) out << it.key();
    return out;
  }

};

// The start-up fetch (it fails: the receiver refuses), then the set-up
// screen and the online-scores window after it; then, in a fresh start
// without the fetch, the same window shows the same controls.
TEST_P(WindowFitTest, TheTestProgramsWindowsFit) {
  ASSERT_TRUE(Settings({{989, QStringLiteral("4311000001110")}, {9151, QStringLiteral("1")}}));
  ASSERT_TRUE(StartProgram(QStringLiteral("Tavrel"), {kParticulars}, 90));
  ExpectFits(QStringLiteral("FrmDownload3"));
  ASSERT_TRUE(Press(QStringLiteral("FrmDownload3/Command5"))) << Describe();
  ASSERT_TRUE(WaitForHidden(QStringLiteral("FrmDownload3"))) << Describe();
  ExpectFits(QStringLiteral("輸入資料表面"));
  ASSERT_TRUE(Press(QStringLiteral("輸入資料表面/Command10"))) << Describe();
  ExpectFits(QStringLiteral("FrmDownload3"));
  const QStringList afterWide = Shown(QStringLiteral("FrmDownload3"));
  ASSERT_TRUE(Press(QStringLiteral("FrmDownload3/Command5"))) << Describe();
  inst.StopAll();
  ASSERT_TRUE(WaitFor([&] { return desk.Stacking().isEmpty(); }, 5000)) << Describe();

  ASSERT_TRUE(Settings({{989, QStringLiteral("4310000001110")}}));
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(Press(QStringLiteral("輸入資料表面/Command10"))) << Describe();
  ExpectFits(QStringLiteral("FrmDownload3"));
  EXPECT_EQ(Shown(QStringLiteral("FrmDownload3")), afterWide) << "what shows depends on the start-up fetch";
}

// The test screen, where the candidate types.
TEST_P(WindowFitTest, TheTestScreenFits) {
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(Press(QStringLiteral("輸入資料表面/Command1"))) << Describe();
  ExpectFits(QStringLiteral("正式測驗"));
}

// The scorer's score sheet and its upload window, the details unfolded.
TEST_P(WindowFitTest, TheScorersWindowsFit) {
  ASSERT_TRUE(Settings({{7999, "1"}, {904, "0"}, {908, "2"}, {5999, "0"}, {306, "1"}}));
  ASSERT_TRUE(StartScorer(90));
  ExpectFits(QStringLiteral("成績單"));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("frmClient"), 20000)) << Describe();
  ASSERT_TRUE(Press(QStringLiteral("frmClient/Command3"))) << Describe();
  ExpectFits(QStringLiteral("frmClient"));
}

// The batch scorer without a score file: its main window and the score
// sheet it opens by itself.
TEST_P(WindowFitTest, TheBatchScorersWindowsFit) {
  ASSERT_TRUE(StartProgram(QStringLiteral("Tallisk"), {}, 90));
  ExpectFits(QStringLiteral("成績單"));
  ASSERT_TRUE(Press(QStringLiteral("成績單/Command3"))) << Describe();
  ExpectFits(QStringLiteral("Display"));
}

INSTANTIATE_TEST_SUITE_P(Screens, WindowFitTest, ::testing::ValuesIn(kScreens),
                         [](const ::testing::TestParamInfo<Screen>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace desktop
