#pragma once
// What a desktop test needs to see of a program: with TAVREL_E2E_WIDGETS set
// to a file prefix, the program keeps "<prefix>.<pid>" up to date
// (tab-separated lines):
//   window <name or class> <X id> <visible> <active> <modal> <x> <y> <w> <h> <title>
//   widget <path> <visible> <enabled> <x> <y> <w> <h>     (screen coordinates)
//   focus  <path> <caret> <selection start> <selected length> <text>
// It only reports, so the installed programs carry it too.
#include <QApplication>
#include <QLineEdit>
#include <QSaveFile>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace e2e {

// Writes what a desktop test needs to know of the program's windows.
class WidgetProbe {
 public:
  static void Start() {
    const QString prefix = qEnvironmentVariable("TAVREL_E2E_WIDGETS");
    if (prefix.isEmpty()) return;
    auto* probe = new WidgetProbe(prefix + u'.' + QString::number(QCoreApplication::applicationPid()));
    auto* timer = new QTimer(qApp);
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, [probe] { probe->Write(); });
    timer->start();
  }

 private:
  explicit WidgetProbe(QString file) : file_(std::move(file)) {}

  // A message box or a file dialog has no name: its class stands for it.
  static QString WindowName(QWidget* top) {
    return top->objectName().isEmpty() ? QString::fromLatin1(top->metaObject()->className()) : top->objectName();
  }

  static QString Path(QWidget* w) {
    QStringList parts;
    for (QWidget* at = w; at; at = at->isWindow() ? nullptr : at->parentWidget())
      parts.prepend(at->isWindow() ? WindowName(at) : at->objectName());
    return parts.join(u'/');
  }

  static QString Rect(const QRect& r) {
    return QStringLiteral("%1\t%2\t%3\t%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
  }

  void Write() {
    QStringList lines;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (!top->testAttribute(Qt::WA_WState_Created) || !top->isWindow()) continue;
      const QRect frame(top->mapToGlobal(QPoint(0, 0)), top->size());
      lines << QStringLiteral("window\t%1\t%2\t%3\t%4\t%5\t%6\t%7")
                   .arg(WindowName(top))
                   .arg(top->winId())
                   .arg(int(top->isVisible()))
                   .arg(int(top->isActiveWindow()))
                   .arg(int(top->isModal()))
                   .arg(Rect(frame))
                   .arg(top->windowTitle().simplified());
      if (!top->isVisible()) continue;
      for (QWidget* w : top->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_"))) continue;
        lines << QStringLiteral("widget\t%1\t%2\t%3\t%4")
                     .arg(Path(w))
                     .arg(int(w->isVisible()))
                     .arg(int(w->isEnabled()))
                     .arg(Rect(QRect(w->mapToGlobal(QPoint(0, 0)), w->size())));
      }
    }
    if (QWidget* f = QApplication::focusWidget()) {
      auto* edit = qobject_cast<QLineEdit*>(f);
      lines << QStringLiteral("focus\t%1\t%2\t%3\t%4\t%5")
                   .arg(Path(f))
                   .arg(edit ? edit->cursorPosition() : -1)
                   .arg(edit ? edit->selectionStart() : -1)
                   .arg(edit ? edit->selectedText().size() : 0)
                   .arg(edit ? edit->text() : QString());
    }
    const QByteArray now = lines.join(u'\n').toUtf8() + '\n';
    if (now == last_) return;
    QSaveFile out(file_);
    if (!out.open(QIODevice::WriteOnly)) return;
    out.write(now);
    if (out.commit()) last_ = now;
  }

  QString file_;
  QByteArray last_;
};

}  // namespace e2e
