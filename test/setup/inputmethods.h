#pragma once
// The keyboard layouts and input methods the chooser lists. The desktop gives
// no list of layouts to a Qt program, so the Linux provider lists plain
// English and the input-method frameworks the session names (QT_IM_MODULE,
// GTK_IM_MODULE, XMODIFIERS "@im=NAME"); the framework counts as active
// when one is configured and the input method's locale is Chinese.
#include <QLocale>
#include <QStringList>

namespace setup {

inline constexpr int kMaxLayouts = 25;
inline const QString kPlainLayoutName = QStringLiteral("English (American)");

class InputMethodProvider {
 public:
  virtual ~InputMethodProvider() = default;
  // Names in the system's order, at most kMaxLayouts.
  virtual QStringList Layouts() const = 0;
  // Index of the active layout in Layouts(); -1 when none matches.
  virtual int Active() const = 0;
};

class LinuxInputMethodProvider : public InputMethodProvider {
 public:
  QStringList Layouts() const override;
  int Active() const override;

  // The provider's rule on given inputs (the tests' entry).
  static QStringList LayoutsFrom(const QString& qtModule, const QString& gtkModule,
                                 const QString& xmodifiers);
  static int ActiveFrom(const QStringList& layouts, const QLocale& inputLocale);
};

class FakeInputMethodProvider : public InputMethodProvider {
 public:
  QStringList Layouts() const override { return layouts.mid(0, kMaxLayouts); }
  int Active() const override { return active; }
  QStringList layouts{kPlainLayoutName};
  int active = 0;
};

InputMethodProvider& inputMethods();
void SetInputMethodProvider(InputMethodProvider* p);  // not owned; nullptr: Linux

}  // namespace setup
