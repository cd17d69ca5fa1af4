#include "platform/im/imframework.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QHash>
#include <QInputMethodEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace plat {

namespace {

const QString kFcitxService = QStringLiteral("org.fcitx.Fcitx5");
const QString kFcitxPath = QStringLiteral("/controller");
const QString kFcitxInterface = QStringLiteral("org.fcitx.Fcitx.Controller1");
const QString kIbusService = QStringLiteral("org.freedesktop.IBus");
const QString kIbusPath = QStringLiteral("/org/freedesktop/IBus");

QDBusMessage FcitxCall(const QString& method, const QVariantList& args = {}) {
  QDBusMessage m = QDBusMessage::createMethodCall(kFcitxService, kFcitxPath, kFcitxInterface, method);
  m.setArguments(args);
  // The bus would start fcitx5 for an unowned name: only a running one counts.
  m.setAutoStartService(false);
  return m;
}

QDBusMessage IbusEngineCall() {
  QDBusMessage m = QDBusMessage::createMethodCall(kIbusService, kIbusPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                  QStringLiteral("Get"));
  m.setArguments({kIbusService, QStringLiteral("GlobalEngine")});
  m.setAutoStartService(false);
  return m;
}

bool Answered(const QDBusMessage& r) { return r.type() == QDBusMessage::ReplyMessage; }

// An error from the framework itself (not from the bus for it) still says it runs.
bool Runs(const QDBusMessage& r) {
  if (Answered(r)) return true;
  if (r.type() != QDBusMessage::ErrorMessage) return false;
  const QString e = r.errorName();
  return !e.startsWith(QStringLiteral("org.freedesktop.DBus.Error.")) ||
         e == QStringLiteral("org.freedesktop.DBus.Error.Failed");
}

QDBusMessage IbusCall(const QString& method, const QVariantList& args = {}) {
  QDBusMessage m = QDBusMessage::createMethodCall(kIbusService, kIbusPath, kIbusService, method);
  m.setArguments(args);
  m.setAutoStartService(false);
  return m;
}

QDBusMessage IbusActiveEnginesCall() {
  QDBusMessage m = IbusEngineCall();
  m.setArguments({kIbusService, QStringLiteral("ActiveEngines")});
  return m;
}

// ibus's engine description: (s "IBusEngineDesc", a{sv}, s name, s longname, ...),
// inside one or two variants.
ImEngine IbusEngineFromVariant(QVariant v) {
  for (int depth = 0; depth < 4; ++depth) {
    if (v.metaType() == QMetaType::fromType<QDBusVariant>()) {
      v = v.value<QDBusVariant>().variant();
    } else if (v.metaType() == QMetaType::fromType<QDBusArgument>() &&
               v.value<QDBusArgument>().currentType() == QDBusArgument::VariantType) {
      QDBusVariant inner;
      v.value<QDBusArgument>() >> inner;
      v = inner.variant();
    } else {
      break;
    }
  }
  if (v.metaType() != QMetaType::fromType<QDBusArgument>()) return {};
  const QDBusArgument arg = v.value<QDBusArgument>();
  if (arg.currentType() != QDBusArgument::StructureType) return {};
  QString type, id, longName;
  QVariantMap attachments;
  arg.beginStructure();
  arg >> type >> attachments >> id >> longName;
  arg.endStructure();  // the rest is not needed; ending frees what the start took
  if (id.isEmpty()) return {};
  return {id, longName.isEmpty() ? id : longName, id.startsWith(QStringLiteral("xkb:"))};
}

ImEngine IbusEngineFrom(const QDBusMessage& r) {
  if (!Answered(r)) return {};
  return IbusEngineFromVariant(r.arguments().value(0));
}

// A list of engine descriptions (av), as an answer or inside a property's variant.
QList<ImEngine> IbusEnginesFrom(const QDBusMessage& r) {
  QList<ImEngine> out;
  if (!Answered(r)) return out;
  QVariant v = r.arguments().value(0);
  if (v.metaType() == QMetaType::fromType<QDBusVariant>()) v = v.value<QDBusVariant>().variant();
  if (v.metaType() == QMetaType::fromType<QVariantList>()) {  // av, taken apart by the bus library
    for (const QVariant& one : v.toList()) {
      const ImEngine e = IbusEngineFromVariant(one);
      if (!e.id.isEmpty()) out << e;
    }
    return out;
  }
  if (v.metaType() != QMetaType::fromType<QDBusArgument>()) return out;
  const QDBusArgument arg = v.value<QDBusArgument>();
  if (arg.currentType() != QDBusArgument::ArrayType) return out;
  arg.beginArray();
  while (!arg.atEnd()) {
    QDBusVariant one;
    arg >> one;
    const ImEngine e = IbusEngineFromVariant(one.variant());
    if (!e.id.isEmpty()) out << e;
  }
  arg.endArray();
  return out;
}

// Connects to a bus, waiting no longer than the bound: a daemon that takes
// the socket and never answers must not hold the program.
std::optional<QDBusConnection> ConnectBounded(const QString& address, const QString& name, int ms) {
  if (address.isEmpty()) return std::nullopt;
  auto ok = std::make_shared<std::atomic<bool>>(false);
  QThread* t = QThread::create([address, name, ok] { *ok = QDBusConnection::connectToBus(address, name).isConnected(); });
  QObject::connect(t, &QThread::finished, t, &QObject::deleteLater);
  t->start();
  if (!t->wait(ms) || !*ok) return std::nullopt;
  return QDBusConnection(name);
}

QString Display(const QString& display, QString* host) {
  const qsizetype colon = display.lastIndexOf(u':');
  *host = colon > 0 ? display.left(colon) : QString();
  if (host->isEmpty()) *host = QStringLiteral("unix");
  if (colon < 0) return QStringLiteral("0");
  const QString rest = display.mid(colon + 1).section(u'.', 0, 0);
  return rest.isEmpty() ? QStringLiteral("0") : rest;
}

QString FirstLine(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(f.readLine()).trimmed();
}

}  // namespace

struct DBusImFramework::Impl {
  QString sessionAddress, ibusAddress;
  int answerMs;
  std::function<QStringList()> ibusSettingsEngines = &DBusImFramework::IbusSettingsEngines;
  std::optional<std::optional<QDBusConnection>> session, ibus;  // outer: tried
  QHash<QString, ImEngine> fcitxNames;
  struct Pending {
    QPointer<QDBusPendingCallWatcher> watcher;
    std::function<void(const QDBusMessage&)> then;
  };
  std::vector<Pending> pending;
  std::vector<std::function<void(const ImEngine&)>> unanswered;
  QObject context;  // later answers go with the framework
  static inline std::atomic<int> serial{0};

  std::optional<QDBusConnection> Session() {
    if (!session) {
      if (!sessionAddress.isEmpty()) {
        session = ConnectBounded(sessionAddress, QStringLiteral("plat-im-session-%1").arg(++serial), answerMs);
      } else if (!qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").isEmpty() ||
                 QFile::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/bus"))) {
        // Without either, the bus library would start a bus of its own.
        QDBusConnection c = QDBusConnection::sessionBus();
        session = c.isConnected() ? std::optional<QDBusConnection>(c) : std::nullopt;
      } else {
        session = std::optional<QDBusConnection>();
      }
    }
    return *session;
  }

  std::optional<QDBusConnection> Ibus() {
    if (!ibus) ibus = ConnectBounded(FindIbusAddress(), QStringLiteral("plat-im-ibus-%1").arg(++serial), answerMs);
    return *ibus;
  }

  QString FindIbusAddress() const {
    if (!ibusAddress.isEmpty()) return ibusAddress;
    const QString env = qEnvironmentVariable("IBUS_ADDRESS");
    if (!env.isEmpty()) return env;
    QStringList files;
    if (!qEnvironmentVariable("IBUS_ADDRESS_FILE").isEmpty()) files << qEnvironmentVariable("IBUS_ADDRESS_FILE");
    QString machine = FirstLine(QStringLiteral("/var/lib/dbus/machine-id"));
    if (machine.isEmpty()) machine = FirstLine(QStringLiteral("/etc/machine-id"));
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    files << IbusAddressFiles(qEnvironmentVariable("DISPLAY"), machine, qEnvironmentVariable("XDG_RUNTIME_DIR"), config);
    for (const QString& path : files) {
      QFile f(path);
      if (f.open(QIODevice::ReadOnly)) {
        const QString a = IbusAddressIn(f.read(4096));
        if (!a.isEmpty()) return a;
      }
    }
    return {};
  }

  QDBusMessage Call(QDBusConnection c, const QDBusMessage& m) { return c.call(m, QDBus::Block, answerMs); }

  // The names fcitx5 shows, by its ids; asked once.
  void TakeFcitxNames(const QDBusMessage& r) {
    if (!Answered(r)) return;
    const QDBusArgument arg = r.arguments().value(0).value<QDBusArgument>();
    if (arg.currentType() != QDBusArgument::ArrayType) return;
    arg.beginArray();
    while (!arg.atEnd()) {
      QString id, name, nativeName, icon, label, language;
      bool configurable = false;
      arg.beginStructure();
      arg >> id >> name >> nativeName >> icon >> label >> language >> configurable;
      arg.endStructure();
      if (id.isEmpty()) continue;
      fcitxNames.insert(id, {id, !name.isEmpty() ? name : !nativeName.isEmpty() ? nativeName : id,
                             id.startsWith(QStringLiteral("keyboard-"))});
    }
    arg.endArray();
  }

  ImEngine FcitxEngine(const QString& id) const {
    if (id.isEmpty()) return {};
    return fcitxNames.value(id, ImEngine{id, id, id.startsWith(QStringLiteral("keyboard-"))});
  }

  void Ask(QDBusConnection c, const QDBusMessage& m, std::function<void(const QDBusMessage&)> then) {
    auto* w = new QDBusPendingCallWatcher(c.asyncCall(m, answerMs));
    pending.push_back({w, std::move(then)});
    QObject::connect(w, &QDBusPendingCallWatcher::finished, w, [this, w] { Finish(w); });
  }

  void Finish(QDBusPendingCallWatcher* w) {
    for (auto it = pending.begin(); it != pending.end(); ++it) {
      if (it->watcher != w) continue;
      auto then = std::move(it->then);
      pending.erase(it);
      const QDBusMessage reply = w->reply();
      w->deleteLater();
      then(reply);
      return;
    }
  }

  // The settings' engines in their order, then the daemon's active ones,
  // then the current one; named by the daemon, an id it does not know left out.
  QList<ImEngine> IbusEngines(QDBusConnection c, const ImEngine& current) {
    QList<ImEngine> out;
    auto add = [&out](const ImEngine& e) {
      if (e.id.isEmpty()) return;
      for (const ImEngine& have : out)
        if (have.id == e.id) return;
      out << e;
    };
    const QStringList ids = ibusSettingsEngines ? ibusSettingsEngines() : QStringList();
    if (!ids.isEmpty()) {
      const QList<ImEngine> named = IbusEnginesFrom(Call(c, IbusCall(QStringLiteral("GetEnginesByNames"), {ids})));
      for (const QString& id : ids)
        for (const ImEngine& e : named)
          if (e.id == id) add(e);
    }
    for (const ImEngine& e : IbusEnginesFrom(Call(c, IbusActiveEnginesCall()))) add(e);
    add(current);
    return out;
  }

  void AskIbus(std::function<void(const ImEngine&)> done) {
    if (auto c = Ibus()) {
      Ask(*c, IbusEngineCall(), [done](const QDBusMessage& r) { done(IbusEngineFrom(r)); });
      return;
    }
    // No one to ask: the answer still comes later, as any answer does.
    unanswered.push_back(std::move(done));
    QTimer::singleShot(0, &context, [this] { AnswerNone(); });
  }

  void AnswerNone() {
    auto waiting = std::exchange(unanswered, {});
    for (auto& done : waiting) done({});
  }
};

DBusImFramework::DBusImFramework(QString sessionAddress, QString ibusAddress, int answerMs)
    : d_(std::make_unique<Impl>()) {
  d_->sessionAddress = std::move(sessionAddress);
  d_->ibusAddress = std::move(ibusAddress);
  d_->answerMs = answerMs;
}

DBusImFramework::~DBusImFramework() {
  for (auto& p : d_->pending) delete p.watcher.data();
}

std::optional<ImState> DBusImFramework::State() {
  if (auto c = d_->Session()) {
    const QDBusMessage current = d_->Call(*c, FcitxCall(QStringLiteral("CurrentInputMethod")));
    if (Runs(current)) {
      if (d_->fcitxNames.isEmpty()) d_->TakeFcitxNames(d_->Call(*c, FcitxCall(QStringLiteral("AvailableInputMethods"))));
      ImState s;
      s.current = d_->FcitxEngine(Answered(current) ? current.arguments().value(0).toString() : QString());
      const QDBusMessage group = d_->Call(*c, FcitxCall(QStringLiteral("CurrentInputMethodGroup")));
      if (Answered(group)) {
        const QDBusMessage info =
            d_->Call(*c, FcitxCall(QStringLiteral("InputMethodGroupInfo"), {group.arguments().value(0).toString()}));
        if (Answered(info) && info.arguments().size() >= 2) {
          const QDBusArgument items = info.arguments().at(1).value<QDBusArgument>();
          if (items.currentType() == QDBusArgument::ArrayType) {
            items.beginArray();
            while (!items.atEnd()) {
              QString id, layout;
              items.beginStructure();
              items >> id >> layout;
              items.endStructure();
              if (!id.isEmpty()) s.engines << d_->FcitxEngine(id);
            }
            items.endArray();
          }
        }
      }
      return s;
    }
  }
  if (auto c = d_->Ibus()) {
    const QDBusMessage r = d_->Call(*c, IbusEngineCall());
    if (Runs(r)) {
      ImState s;
      s.current = IbusEngineFrom(r);
      s.engines = d_->IbusEngines(*c, s.current);
      return s;
    }
  }
  return std::nullopt;
}

void DBusImFramework::SetIbusSettingsEngines(std::function<QStringList()> source) {
  d_->ibusSettingsEngines = std::move(source);
}

void DBusImFramework::AskCurrent(std::function<void(const ImEngine&)> done) {
  auto c = d_->Session();
  if (!c) {
    d_->AskIbus(std::move(done));
    return;
  }
  Impl* d = d_.get();
  QDBusConnection bus = *c;
  d->Ask(bus, FcitxCall(QStringLiteral("CurrentInputMethod")), [d, bus, done](const QDBusMessage& r) {
    if (!Runs(r)) {
      d->AskIbus(done);
      return;
    }
    const QString id = Answered(r) ? r.arguments().value(0).toString() : QString();
    if (id.isEmpty() || d->fcitxNames.contains(id)) {
      done(d->FcitxEngine(id));
      return;
    }
    d->Ask(bus, FcitxCall(QStringLiteral("AvailableInputMethods")), [d, id, done](const QDBusMessage& names) {
      d->TakeFcitxNames(names);
      done(d->FcitxEngine(id));
    });
  });
}

void DBusImFramework::Settle() {
  // Each wait is bounded by its call's own limit; an answer may ask once more.
  for (int round = 0; round < 8 && !d_->pending.empty(); ++round) {
    QPointer<QDBusPendingCallWatcher> w = d_->pending.front().watcher;
    if (!w) {
      d_->pending.erase(d_->pending.begin());
      continue;
    }
    w->waitForFinished();
    d_->Finish(w);
  }
  d_->AnswerNone();
}

QStringList DBusImFramework::IbusAddressFiles(const QString& display, const QString& machineId,
                                              const QString& runtimeDir, const QString& configDir) {
  QString host;
  const QString number = Display(display, &host);
  const QString file = QStringLiteral("/ibus/bus/") + machineId + u'-' + host + u'-' + number;
  QStringList out;
  if (!runtimeDir.isEmpty()) out << runtimeDir + file;
  if (!configDir.isEmpty()) out << configDir + file;
  return out;
}

QString DBusImFramework::IbusAddressIn(const QByteArray& fileText) {
  for (const QByteArray& line : fileText.split('\n')) {
    if (line.startsWith("IBUS_ADDRESS=")) return QString::fromUtf8(line.mid(13)).trimmed();
  }
  return {};
}

// ---- the installed framework ------------------------------------------------

namespace {
ImFramework* g_framework = nullptr;
}

ImFramework& imFramework() {
  static DBusImFramework* real = new DBusImFramework();  // lives with the process's buses
  return g_framework ? *g_framework : *real;
}

void SetImFramework(ImFramework* f) { g_framework = f; }

// ---- the engine text was typed with -----------------------------------------

namespace {

struct Typed {
  ImEngine kept;
  bool asking = false;
  int generation = 0;  // a Forget drops the answers asked before it
};

Typed& typed() {
  static Typed t;
  return t;
}

class CommitWatcher : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::InputMethod && !static_cast<QInputMethodEvent*>(e)->commitString().isEmpty())
      TypedEngine::Committed();
    return QObject::eventFilter(o, e);
  }
};

}  // namespace

void TypedEngine::Watch() {
  static CommitWatcher* watcher = nullptr;
  if (watcher || !QCoreApplication::instance()) return;
  watcher = new CommitWatcher(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(watcher);
}

void TypedEngine::Committed() {
  Typed& t = typed();
  if (t.asking) return;
  t.asking = true;
  const int generation = t.generation;
  imFramework().AskCurrent([generation](const ImEngine& e) {
    Typed& t = typed();
    if (generation != t.generation) return;
    t.asking = false;
    if (!e.id.isEmpty() && !e.keyboard) t.kept = e;
  });
}

ImEngine TypedEngine::Engine() {
  if (typed().asking) imFramework().Settle();
  return typed().kept;
}

void TypedEngine::Forget() {
  Typed& t = typed();
  t.kept = {};
  t.asking = false;
  ++t.generation;
}

}  // namespace plat
