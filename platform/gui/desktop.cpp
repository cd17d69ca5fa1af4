#include "platform/gui/desktop.h"

#include <QApplication>
#include <QClipboard>

namespace plat {

void Desktop::Beep() { QApplication::beep(); }

void Desktop::ClearClipboard() {
  QClipboard* c = QGuiApplication::clipboard();
  if (!c) return;
  c->clear(QClipboard::Clipboard);
  if (c->supportsSelection()) c->clear(QClipboard::Selection);
}

QString Desktop::ClipboardText() {
  QClipboard* c = QGuiApplication::clipboard();
  return c ? c->text() : QString();
}

void Desktop::SetClipboardText(const QString& text) {
  if (QClipboard* c = QGuiApplication::clipboard()) c->setText(text);
}

namespace {
Desktop* g_desktop = nullptr;
}

Desktop& desktop() {
  static Desktop real;
  return g_desktop ? *g_desktop : real;
}

void SetDesktop(Desktop* d) { g_desktop = d; }

}  // namespace plat
