#pragma once
// Test only: a scripted candidate for the end-to-end test of the three
// programs. It does nothing unless the environment variable TAVREL_E2E_SCRIPT
// names a script file; then the program plays the steps of its own section
// of that file on its event loop, sending mouse, key and input-method events
// to its widgets as a person's would arrive, and waiting for each target to
// be shown and enabled first. Nothing of the programs is shortened or skipped.
//
// Script (UTF-8): "[Tavrel]", "[score]" or "[Tallisk]" start a section; the
// n-th start of a program plays the n-th section with its name. Steps:
//   click <path>      a left click in the middle of the widget
//   wait <path>       until the widget is shown
//   type <text>       to the focus widget: ASCII as key presses, other
//                     characters as an input method's commit
//   key <name>        one key (QKeySequence name: Return, PageDown, F11 ...)
//   sleep <ms>
// A path is a window's objectName, then "/" and descendants' objectNames (a
// button may also be named by its text): 正式測驗/MMControl1/Play.
// Every start and step is appended to "<script>.log" with the time and the
// process id (the test stops by id what it did not see end). Past
// TAVREL_E2E_DEADLINE (ms since the epoch) the program ends itself.
//
// Only the build tree's programs carry it (apps/test_hooks.cpp); the
// installed ones do not.
#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <utility>

namespace e2e {

class ScriptedUser {
 public:
  static void Start() {
    const QString script = qEnvironmentVariable("TAVREL_E2E_SCRIPT");
    if (script.isEmpty()) return;
    new ScriptedUser(script);  // lives as long as the process
  }

 private:
  explicit ScriptedUser(const QString& script) : log_(script + QStringLiteral(".log")) {
    program_ = QCoreApplication::applicationName();
    deadline_ = qEnvironmentVariable("TAVREL_E2E_DEADLINE").toLongLong();
    const int instance = CountStarts();
    Log(QStringLiteral("start"));
    QFile f(script);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
      Log(QStringLiteral("no script"));
      return;
    }
    int section = -1;
    bool mine = false;
    for (const QString& raw : QString::fromUtf8(f.readAll()).split(u'\n')) {
      const QString line = raw.trimmed();
      if (line.isEmpty() || line.startsWith(u'#')) continue;
      if (line.startsWith(u'[') && line.endsWith(u']')) {
        if (line.mid(1, line.size() - 2) == program_) ++section;
        mine = line.mid(1, line.size() - 2) == program_ && section == instance;
        continue;
      }
      if (mine) steps_ << raw.trimmed();
    }
    auto* timer = new QTimer(qApp);
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, [this] { Tick(); });
    timer->start();
  }

  int CountStarts() const {
    QFile f(log_);
    int n = 0;
    if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
      for (const QString& l : QString::fromUtf8(f.readAll()).split(u'\n')) {
        const QStringList p = l.split(u' ');
        if (p.size() >= 4 && p[1] == program_ && p[3] == QStringLiteral("start")) ++n;
      }
    }
    return n;
  }

  void Log(const QString& what) const {
    QFile f(log_);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    const QString line = QStringLiteral("%1 %2 %3 %4\n")
                             .arg(QDateTime::currentMSecsSinceEpoch())
                             .arg(program_)
                             .arg(QCoreApplication::applicationPid())
                             .arg(what);
    f.write(line.toUtf8());  // one write: the programs share the log
  }

  static QWidget* Child(QWidget* parent, const QString& name) {
    QWidget* hidden = nullptr;
    for (QWidget* w : parent->findChildren<QWidget*>()) {
      auto* b = qobject_cast<QAbstractButton*>(w);
      if (w->objectName() != name && !(b && b->text().remove(u'&') == name)) continue;
      if (w->isVisible()) return w;
      hidden = w;
    }
    return hidden;
  }

  static QWidget* Find(const QString& path) {
    const QStringList parts = path.split(u'/');
    QWidget* w = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() != parts[0]) continue;
      if (!w || top->isVisible()) w = top;
    }
    for (int i = 1; w && i < parts.size(); ++i) w = Child(w, parts[i]);
    return w;
  }

  // Shown, enabled and not behind a modal window: a person could reach it.
  static bool Reachable(QWidget* w) {
    if (!w || !w->isVisible() || !w->isEnabled()) return false;
    QWidget* modal = QApplication::activeModalWidget();
    return !modal || modal == w->window() || modal->isAncestorOf(w);
  }

  static void SendKey(int key, Qt::KeyboardModifiers mods, const QString& text) {
    QWidget* to = QApplication::focusWidget();
    if (!to) return;
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(to, &press);
    // The release goes where the focus is by then, as from a keyboard.
    QWidget* now = QApplication::focusWidget();
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(now ? now : to, &release);
  }

  static void Type(const QString& text) {
    QString commit;
    auto flush = [&commit] {
      QWidget* to = QApplication::focusWidget();
      if (commit.isEmpty() || !to) return;
      QInputMethodEvent e;
      e.setCommitString(commit);
      QCoreApplication::sendEvent(to, &e);
      commit.clear();
    };
    for (QChar c : text) {
      if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
        flush();
        SendKey(c.toUpper().unicode(), Qt::NoModifier, QString(c));
      } else {
        commit += c;
      }
    }
    flush();
  }

  static void Click(QWidget* w) {
    const QPointF local = QRectF(w->rect()).center();
    const QPointF global = w->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    if (!w->isVisible()) return;  // the press itself may have closed it
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
  }

  static QString KeyText(int key) {
    switch (key) {
      case Qt::Key_Return: return QStringLiteral("\r");
      case Qt::Key_Tab: return QStringLiteral("\t");
      case Qt::Key_Backspace: return QStringLiteral("\b");
      case Qt::Key_Escape: return QStringLiteral("\x1b");
      default: return {};
    }
  }

  // Readiness is checked on the timer; the action runs on its own from the
  // event loop, so a window it opens modally leaves the script going.
  void Tick() {
    if (deadline_ > 0 && QDateTime::currentMSecsSinceEpoch() > deadline_) {
      Log(QStringLiteral("deadline passed, ending"));
      std::_Exit(75);
    }
    if (next_ >= steps_.size()) {
      if (!finished_) Log(QStringLiteral("end of script"));
      finished_ = true;
      return;
    }
    const QString step = steps_[next_];
    const QString verb = step.section(u' ', 0, 0);
    const QString arg = step.section(u' ', 1);
    if (waitingSince_ == 0) waitingSince_ = QDateTime::currentMSecsSinceEpoch();
    std::function<void()> action;
    if (verb == QStringLiteral("click") || verb == QStringLiteral("wait")) {
      QWidget* w = Find(arg);
      if (verb == QStringLiteral("wait") ? !(w && w->isVisible()) : !Reachable(w)) return Stalled(step);
      QPointer<QWidget> target(w);
      if (verb == QStringLiteral("click")) action = [target] {
          if (target) Click(target);
        };
    } else if (verb == QStringLiteral("type") || verb == QStringLiteral("key")) {
      if (!QApplication::focusWidget()) return Stalled(step);
      if (verb == QStringLiteral("type")) {
        action = [arg] { Type(arg); };
      } else {
        const QKeySequence seq = QKeySequence::fromString(arg);
        if (seq.isEmpty()) {
          Log(QStringLiteral("bad key: ") + arg);
          ++next_;
          return;
        }
        const QKeyCombination k = seq[0];
        action = [k] { SendKey(k.key(), k.keyboardModifiers(), KeyText(k.key())); };
      }
    } else if (verb == QStringLiteral("sleep")) {
      if (QDateTime::currentMSecsSinceEpoch() - waitingSince_ < arg.toLongLong()) return;
    } else {
      Log(QStringLiteral("unknown step: ") + step);
    }
    Log(QStringLiteral("step %1: %2").arg(next_ + 1).arg(step));
    ++next_;
    waitingSince_ = 0;
    stallLogged_ = false;
    if (action) QTimer::singleShot(0, qApp, action);
  }

  // A step that waits long is logged once with the windows on screen, so a
  // failed run says where it stood.
  void Stalled(const QString& step) {
    if (stallLogged_ || QDateTime::currentMSecsSinceEpoch() - waitingSince_ < 15000) return;
    stallLogged_ = true;
    QStringList shown;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->isVisible())
        shown << top->objectName() + (top->isEnabled() ? QString() : QStringLiteral("(disabled)"));
    QWidget* focus = QApplication::focusWidget();
    Log(QStringLiteral("waiting on \"%1\"; windows: %2; focus: %3")
            .arg(step, shown.join(u','), focus ? focus->objectName() : QStringLiteral("none")));
  }

  QString log_;
  QString program_;
  qint64 deadline_ = 0;
  QStringList steps_;
  int next_ = 0;
  qint64 waitingSince_ = 0;
  bool stallLogged_ = false;
  bool finished_ = false;
};

}  // namespace e2e
