#pragma once
// The set-up screen's keyboard layouts as a test sets them.
#include <QString>
#include <QStringList>

#include "exam/setup/inputmethods.h"

namespace setup {

class FakeInputMethodProvider : public InputMethodProvider {
 public:
  LayoutList Read() const override { return {layouts.mid(0, kMaxLayouts), active}; }
  QString Typed() const override { return typed; }
  QStringList layouts{kPlainLayoutName};
  int active = 0;
  QString typed;
};

}  // namespace setup
