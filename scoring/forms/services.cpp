#include "scoring/forms/services.h"

namespace scorer {

namespace {

Companions& companionsSlot() {
  static Companions c;
  return c;
}

QString g_commandLine;

}  // namespace

void SetCompanions(const Companions& c) { companionsSlot() = c; }

const Companions& companions() { return companionsSlot(); }

void SetCommandLine(const QString& text) { g_commandLine = text; }

QString CommandLine() { return g_commandLine; }

QStringList SplitCommandLine(const QString& text) {
  // QString::split keeps empty parts, so ",," and a trailing "," count.
  return text.split(u',');
}

}  // namespace scorer
