// The framework as fcitx5 and ibus answer it, on a private bus with stand-ins
// served from a thread of their own: names as shown, plain keyboards told
// apart, and a framework that never answers holds no one for long.
#include "platform/im/imframework.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fake_imframework.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <csignal>
#include <memory>
#include <ostream>

struct FcitxEntry {
  QString id, name, nativeName, icon, label, language;
  bool configurable = false;
};
struct GroupItem {
  QString id, layout;
};
struct IbusDesc {
  QString name, longName;
};
Q_DECLARE_METATYPE(FcitxEntry)
Q_DECLARE_METATYPE(GroupItem)
Q_DECLARE_METATYPE(IbusDesc)

QDBusArgument& operator<<(QDBusArgument& a, const FcitxEntry& e) {
  a.beginStructure();
  a << e.id << e.name << e.nativeName << e.icon << e.label << e.language << e.configurable;
  a.endStructure();
  return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, FcitxEntry& e) {
  a.beginStructure();
  a >> e.id >> e.name >> e.nativeName >> e.icon >> e.label >> e.language >> e.configurable;
  a.endStructure();
  return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const GroupItem& e) {
  a.beginStructure();
  a << e.id << e.layout;
  a.endStructure();
  return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, GroupItem& e) {
  a.beginStructure();
  a >> e.id >> e.layout;
  a.endStructure();
  return a;
}
// As ibus serialises an engine description: type name, attachments, fields.
QDBusArgument& operator<<(QDBusArgument& a, const IbusDesc& e) {
  a.beginStructure();
  a << QStringLiteral("IBusEngineDesc") << QVariantMap{} << e.name << e.longName << QStringLiteral("desc")
    << QStringLiteral("zh_TW") << QStringLiteral("GPL") << QStringLiteral("author") << QStringLiteral("icon")
    << QStringLiteral("us") << 99u;
  a.endStructure();
  return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, IbusDesc& e) {
  a.beginStructure();
  QString type;
  QVariantMap att;
  a >> type >> att >> e.name >> e.longName;
  a.endStructure();
  return a;
}

namespace plat {
void PrintTo(const ImEngine& e, std::ostream* os) {
  *os << "{" << e.id.toStdString() << ", " << e.name.toStdString() << (e.keyboard ? ", keyboard}" : "}");
}
}  // namespace plat

namespace {

using plat::DBusImFramework;
using plat::ImEngine;

// A bus of the test's own, ended by its id. It starts no service by itself
// (the desktop's fcitx5 would answer a call to an unowned name).
class PrivateBus {
 public:
  bool Start() {
    if (!dir_.isValid()) return false;
    QFile conf(dir_.filePath(QStringLiteral("bus.conf")));
    if (!conf.open(QIODevice::WriteOnly) ||
        conf.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                   "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                   "</busconfig>\n") < 0)
      return false;
    conf.close();
    // Ends with the test even when the test dies.
    p_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    p_.setStandardErrorFile(QProcess::nullDevice());
    p_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + conf.fileName(),
                                             QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!p_.waitForStarted(5000)) return false;
    QByteArray line;
    QElapsedTimer t;
    t.start();
    while (!line.contains('\n') && t.elapsed() < 10000 && p_.state() == QProcess::Running) {
      p_.waitForReadyRead(200);
      line += p_.readAllStandardOutput();
    }
    address_ = QString::fromUtf8(line.trimmed());
    return !address_.isEmpty();
  }
  ~PrivateBus() {
    if (p_.state() == QProcess::NotRunning) return;
    p_.terminate();
    if (!p_.waitForFinished(3000)) {
      p_.kill();
      p_.waitForFinished(3000);
    }
  }
  QString Address() const { return address_; }

 private:
  QTemporaryDir dir_;
  QProcess p_;
  QString address_;
};

// Answers a framework's calls by hand; `silent` takes them and never answers.
class StandIn : public QDBusVirtualObject {
 public:
  QString kind;  // "fcitx5" or "ibus"
  bool silent = false;
  QString current;  // fcitx5: the id; ibus: the engine name
  QStringList active;  // ibus: the daemon's active engines
  static bool IbusKnows(const QString& id) {
    return id == QStringLiteral("xkb:us::eng") || id == QStringLiteral("chewing") || id == QStringLiteral("pinyin");
  }
  static IbusDesc IbusDescOf(const QString& id) {
    if (id.startsWith("xkb:")) return {id, QStringLiteral("English (US)")};
    return {id, id == QStringLiteral("pinyin") ? QStringLiteral("Pinyin") : QStringLiteral("Chewing")};
  }
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& m, const QDBusConnection& c) override {
    if (silent) return true;
    const QString method = m.member();
    QVariantList out;
    if (kind == QStringLiteral("fcitx5")) {
      if (method == QStringLiteral("CurrentInputMethod")) {
        out << current;
      } else if (method == QStringLiteral("AvailableInputMethods")) {
        QList<FcitxEntry> all{{"keyboard-us", "Keyboard - English (US)", "English", "", "us", "en", false},
                              {"chewing", "新酷音", "新酷音", "fcitx-chewing", "酷", "zh_TW", true},
                              {"pinyin", "", "拼音", "", "拼", "zh_CN", true}};
        out << QVariant::fromValue(all);
      } else if (method == QStringLiteral("CurrentInputMethodGroup")) {
        out << QStringLiteral("Default");
      } else if (method == QStringLiteral("InputMethodGroupInfo")) {
        out << QStringLiteral("us") << QVariant::fromValue(QList<GroupItem>{{"keyboard-us", ""}, {"chewing", ""}});
      } else {
        return false;
      }
    } else if (method == QStringLiteral("GetEnginesByNames")) {
      QVariantList descs;
      for (const QString& id : m.arguments().value(0).toStringList())
        if (IbusKnows(id)) descs << QVariant::fromValue(IbusDescOf(id));
      out << QVariant(descs);  // one argument, av
    } else if (method == QStringLiteral("Get") && m.arguments().value(1).toString() == QStringLiteral("ActiveEngines")) {
      QVariantList descs;
      for (const QString& id : active) descs << QVariant::fromValue(IbusDescOf(id));
      out << QVariant::fromValue(QDBusVariant(descs));
    } else {
      if (method != QStringLiteral("Get") || m.arguments().value(1).toString() != QStringLiteral("GlobalEngine"))
        return false;
      if (current.isEmpty()) {
        c.send(m.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"), QStringLiteral("No global engine.")));
        return true;
      }
      out << QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant::fromValue(IbusDescOf(current))))));
    }
    c.send(m.createReply(out));
    return true;
  }
};

// A stand-in on its own connection, served from its own thread (the
// framework under test blocks the main one while it waits).
class Served {
 public:
  Served(const QString& address, const QString& kind, const QString& current, bool silent = false,
         const QStringList& active = {}) {
    static int n = 0;
    name_ = QStringLiteral("stand-in-%1").arg(++n);
    obj_ = std::make_unique<StandIn>();
    obj_->kind = kind;
    obj_->current = current;
    obj_->silent = silent;
    obj_->active = active;
    thread_.start();
    obj_->moveToThread(&thread_);
    QDBusConnection c = QDBusConnection::connectToBus(address, name_);
    const bool fcitx = kind == QStringLiteral("fcitx5");
    ok_ = c.isConnected() &&
          c.registerVirtualObject(fcitx ? QStringLiteral("/controller") : QStringLiteral("/org/freedesktop/IBus"),
                                  obj_.get()) &&
          c.registerService(fcitx ? QStringLiteral("org.fcitx.Fcitx5") : QStringLiteral("org.freedesktop.IBus"));
  }
  ~Served() {
    QDBusConnection::disconnectFromBus(name_);
    thread_.quit();
    thread_.wait(5000);
  }
  bool Ok() const { return ok_; }

 private:
  QString name_;
  std::unique_ptr<StandIn> obj_;
  QThread thread_;
  bool ok_ = false;
};

class ImFrameworkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    qDBusRegisterMetaType<FcitxEntry>();
    qDBusRegisterMetaType<QList<FcitxEntry>>();
    qDBusRegisterMetaType<GroupItem>();
    qDBusRegisterMetaType<QList<GroupItem>>();
    qDBusRegisterMetaType<IbusDesc>();
  }
  void SetUp() override {
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        << "dbus-daemon is not installed; run scripts/setup";
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(ibus.Start());
  }
  ImEngine Asked(DBusImFramework& f) {
    ImEngine got{QStringLiteral("unanswered")};
    f.AskCurrent([&](const ImEngine& e) { got = e; });
    f.Settle();
    return got;
  }
  PrivateBus session, ibus;
};

TEST_F(ImFrameworkTest, Fcitx5NamesItsEnginesAsItShowsThem) {
  Served fcitx(session.Address(), QStringLiteral("fcitx5"), QStringLiteral("chewing"));
  ASSERT_TRUE(fcitx.Ok());
  DBusImFramework f(session.Address(), ibus.Address());
  const auto s = f.State();
  ASSERT_TRUE(s);
  const ImEngine chewing{"chewing", "新酷音", false};
  EXPECT_EQ(s->current, chewing);
  ASSERT_EQ(s->engines.size(), 2);
  EXPECT_EQ(s->engines[0], (ImEngine{"keyboard-us", "Keyboard - English (US)", true}));
  EXPECT_EQ(s->engines[1], chewing);
  EXPECT_EQ(Asked(f), chewing);
  // A fresh framework asked without waiting looks the names up itself.
  DBusImFramework g(session.Address(), ibus.Address());
  EXPECT_EQ(Asked(g), chewing);
}

TEST_F(ImFrameworkTest, Fcitx5WithNoWindowFocusedStillRuns) {
  Served fcitx(session.Address(), QStringLiteral("fcitx5"), QString());
  ASSERT_TRUE(fcitx.Ok());
  DBusImFramework f(session.Address(), ibus.Address());
  const auto s = f.State();
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->current.id.isEmpty());
  EXPECT_EQ(s->engines.size(), 2);
  EXPECT_EQ(Asked(f), ImEngine{});
}

TEST_F(ImFrameworkTest, IbusWhenFcitx5IsNotRunning) {
  struct Case {
    QString engine;
    ImEngine want;
  } const cases[] = {
      {"chewing", {"chewing", "Chewing", false}},
      {"xkb:us::eng", {"xkb:us::eng", "English (US)", true}},
      {"", {}},  // ibus runs without a global engine
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.engine.toStdString());
    Served served(ibus.Address(), QStringLiteral("ibus"), c.engine);
    ASSERT_TRUE(served.Ok());
    DBusImFramework f(session.Address(), ibus.Address());
    f.SetIbusSettingsEngines({});
    const auto s = f.State();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->current, c.want);
    EXPECT_EQ(s->engines.size(), c.engine.isEmpty() ? 0 : 1);
    EXPECT_EQ(Asked(f), c.want);
  }
}

// The keyboard current, Chewing preloaded: ibus's engines are listed all the
// same, in the settings' order, then the daemon's active ones, each once.
TEST_F(ImFrameworkTest, IbusListsThePreloadedAndActiveEnginesWhateverIsCurrent) {
  Served served(ibus.Address(), QStringLiteral("ibus"), QStringLiteral("xkb:us::eng"), false,
                {QStringLiteral("pinyin"), QStringLiteral("chewing")});
  ASSERT_TRUE(served.Ok());
  DBusImFramework f(session.Address(), ibus.Address());
  f.SetIbusSettingsEngines([] { return QStringList{"xkb:us::eng", "chewing", "nonesuch"}; });
  const auto s = f.State();
  ASSERT_TRUE(s);
  const ImEngine keyboard{"xkb:us::eng", "English (US)", true};
  EXPECT_EQ(s->current, keyboard);
  ASSERT_EQ(s->engines.size(), 3);
  EXPECT_EQ(s->engines[0], keyboard);
  EXPECT_EQ(s->engines[1], (ImEngine{"chewing", "Chewing", false}));
  EXPECT_EQ(s->engines[2], (ImEngine{"pinyin", "Pinyin", false}));
}

TEST_F(ImFrameworkTest, NoFrameworkOrOneThatNeverAnswersIsAbsentWithinTheBound) {
  {
    DBusImFramework f(session.Address(), ibus.Address());
    EXPECT_FALSE(f.State());
    EXPECT_EQ(Asked(f), ImEngine{});
  }
  Served fcitx(session.Address(), QStringLiteral("fcitx5"), QStringLiteral("chewing"), /*silent=*/true);
  Served ib(ibus.Address(), QStringLiteral("ibus"), QStringLiteral("chewing"), /*silent=*/true);
  ASSERT_TRUE(fcitx.Ok() && ib.Ok());
  DBusImFramework f(session.Address(), ibus.Address(), 200);
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(f.State());
  EXPECT_EQ(Asked(f), ImEngine{});
  EXPECT_LT(t.elapsed(), 2000);
  // No bus at all: nothing is started, nothing waits.
  DBusImFramework none(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("unix:path=/nonexistent/ibus"));
  t.restart();
  EXPECT_FALSE(none.State());
  EXPECT_EQ(Asked(none), ImEngine{});
  EXPECT_LT(t.elapsed(), 1000);
}

// The settings as gsettings keeps them in a key file: ibus's preload list
// first, then GNOME's ibus sources (its keyboard layouts are not ibus's).
TEST(IbusSettingsEngines, PreloadListThenGnomeSources) {
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  QDir().mkpath(config.filePath("glib-2.0/settings"));
  QFile keyfile(config.filePath("glib-2.0/settings/keyfile"));
  ASSERT_TRUE(keyfile.open(QIODevice::WriteOnly));
  const QByteArray text =
      "[desktop/ibus/general]\npreload-engines=['xkb:us::eng', 'chewing']\n\n"
      "[org/gnome/desktop/input-sources]\nsources=[('xkb', 'us'), ('ibus', 'pinyin'), ('ibus', 'chewing')]\n";
  ASSERT_EQ(keyfile.write(text), text.size());
  keyfile.close();
  // The back end is chosen once a process: this test is the first to ask.
  qputenv("GSETTINGS_BACKEND", "keyfile");
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  const QStringList got = DBusImFramework::IbusSettingsEngines();
  qunsetenv("GSETTINGS_BACKEND");
  qunsetenv("XDG_CONFIG_HOME");
  if (!QFile::exists("/usr/share/glib-2.0/schemas/org.freedesktop.ibus.gschema.xml"))
    GTEST_SKIP() << "ibus's settings are not installed; run scripts/setup --tests";
  EXPECT_EQ(got, (QStringList{"xkb:us::eng", "chewing", "pinyin"}));
}

TEST(IbusAddress, FileAndLine) {
  EXPECT_EQ(DBusImFramework::IbusAddressFiles(":0", "abc", "/run/user/1", "/home/u/.config"),
            (QStringList{"/run/user/1/ibus/bus/abc-unix-0", "/home/u/.config/ibus/bus/abc-unix-0"}));
  EXPECT_EQ(DBusImFramework::IbusAddressFiles("host:12.1", "abc", "", "/c"), QStringList{"/c/ibus/bus/abc-host-12"});
  EXPECT_EQ(DBusImFramework::IbusAddressFiles("", "abc", "", "/c"), QStringList{"/c/ibus/bus/abc-unix-0"});
  EXPECT_EQ(DBusImFramework::IbusAddressIn("# made by ibus-daemon\nIBUS_ADDRESS=unix:abstract=/tmp/x,guid=1\n"
                                           "IBUS_DAEMON_PID=42\n"),
            "unix:abstract=/tmp/x,guid=1");
  EXPECT_EQ(DBusImFramework::IbusAddressIn("IBUS_DAEMON_PID=42\n"), "");
}

// The engine of the last commit that came through an input method is kept;
// a plain keyboard's answer (the next window has the method off) is not.
TEST(TypedEngine, KeepsTheLastEngineThatWasNotAPlainKeyboard) {
  plat::FakeImFramework fake;
  testsupport::Seams seams;
  seams.Set(plat::SetImFramework, &fake);
  plat::TypedEngine::Forget();
  EXPECT_EQ(plat::TypedEngine::Engine(), ImEngine{});
  fake.state = plat::ImState{{}, {"chewing", "新酷音", false}};
  // Commits come to any object through the application.
  plat::TypedEngine::Watch();
  QObject box;
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("你好"));
  QCoreApplication::sendEvent(&box, &commit);
  QInputMethodEvent composing(QStringLiteral("ㄋㄧ"), {});
  QCoreApplication::sendEvent(&box, &composing);
  QCoreApplication::sendEvent(&box, &commit);  // one question at a time
  EXPECT_EQ(fake.asks, 1);
  EXPECT_EQ(plat::TypedEngine::Engine(), (ImEngine{"chewing", "新酷音", false}));
  fake.state->current = {"keyboard-us", "Keyboard - English (US)", true};
  plat::TypedEngine::Committed();
  EXPECT_EQ(plat::TypedEngine::Engine().id, "chewing");
  fake.state->current = {"pinyin", "拼音", false};
  plat::TypedEngine::Committed();
  EXPECT_EQ(plat::TypedEngine::Engine().id, "pinyin");
  // An answer asked before a Forget is dropped.
  plat::TypedEngine::Committed();
  plat::TypedEngine::Forget();
  fake.Settle();
  EXPECT_EQ(plat::TypedEngine::Engine(), ImEngine{});
}

}  // namespace
