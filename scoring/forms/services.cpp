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

}  // namespace scorer
