#pragma once
// The keyboard layouts and input methods the chooser lists, the plain
// keyboard first. The Linux provider takes the engines the desktop's
// input-method framework (fcitx5, ibus) names, as it shows them; the active
// one is the engine the candidate last committed text with, else the
// framework's current engine, and a plain keyboard is the fixed English
// name. With no framework answering it lists the frameworks the session
// names (QT_IM_MODULE, GTK_IM_MODULE, XMODIFIERS "@im=NAME"), one counting
// as active when the input method's locale is Chinese.
#include <QLocale>
#include <QStringList>

#include "platform/im/imframework.h"

namespace setup {

inline constexpr int kMaxLayouts = 25;
inline const QString kPlainLayoutName = QStringLiteral("English (American)");
// The most a layout's description takes, in CP950 bytes.
inline constexpr int kLayoutNameBytes = 254;

struct LayoutList {
  QStringList names;  // in the system's order, at most kMaxLayouts
  int active = -1;    // index in names; -1 when none matches
};

class InputMethodProvider {
 public:
  virtual ~InputMethodProvider() = default;
  virtual LayoutList Read() const = 0;
  // The name of the input method text was committed with; empty when none.
  virtual QString Typed() const = 0;
};

class LinuxInputMethodProvider : public InputMethodProvider {
 public:
  LayoutList Read() const override;
  QString Typed() const override;

  // The provider's rules on given inputs (the tests' entry).
  static QStringList LayoutsFrom(const QString& qtModule, const QString& gtkModule, const QString& xmodifiers);
  static int ActiveFrom(const QStringList& layouts, const QLocale& inputLocale);
  static LayoutList FromFramework(const plat::ImState& state, const plat::ImEngine& typed);
  // An engine's name as a layout's description: one line, whole characters,
  // at most kLayoutNameBytes.
  static QString LayoutName(const QString& engineName);
};

InputMethodProvider& inputMethods();
void SetInputMethodProvider(InputMethodProvider* p);  // not owned; nullptr: Linux

}  // namespace setup
