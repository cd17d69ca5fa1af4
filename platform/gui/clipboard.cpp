#include "platform/gui/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace plat {

void Clipboard::Clear() {
  QClipboard* c = QGuiApplication::clipboard();
  if (!c) return;
  c->clear(QClipboard::Clipboard);
  if (c->supportsSelection()) c->clear(QClipboard::Selection);
}

QString Clipboard::Text() {
  QClipboard* c = QGuiApplication::clipboard();
  return c ? c->text() : QString();
}

void Clipboard::SetText(const QString& text) {
  if (QClipboard* c = QGuiApplication::clipboard()) c->setText(text);
}

namespace {
Clipboard* g_clipboard = nullptr;
}

Clipboard& clipboard() {
  static Clipboard real;
  return g_clipboard ? *g_clipboard : real;
}

void SetClipboard(Clipboard* c) { g_clipboard = c; }

}  // namespace plat
