#include "test/setup/inputmethods.h"

#include <QGuiApplication>
#include <QInputMethod>

namespace setup {

QStringList LinuxInputMethodProvider::LayoutsFrom(const QString& qtModule, const QString& gtkModule,
                                                  const QString& xmodifiers) {
  QStringList out{kPlainLayoutName};
  auto add = [&out](QString name) {
    name = name.trimmed();
    if (name.isEmpty() || name.compare(u"none", Qt::CaseInsensitive) == 0) return;
    for (const QString& have : out)
      if (have.compare(name, Qt::CaseInsensitive) == 0) return;
    if (out.size() < kMaxLayouts) out << name;
  };
  add(qtModule);
  add(gtkModule);
  const qsizetype at = xmodifiers.indexOf(QStringLiteral("@im="));
  if (at >= 0) add(xmodifiers.mid(at + 4).section(u'@', 0, 0));
  return out;
}

int LinuxInputMethodProvider::ActiveFrom(const QStringList& layouts, const QLocale& inputLocale) {
  if (layouts.isEmpty()) return -1;
  if (layouts.size() > 1 && inputLocale.language() == QLocale::Chinese) return 1;
  return 0;
}

QStringList LinuxInputMethodProvider::Layouts() const {
  return LayoutsFrom(qEnvironmentVariable("QT_IM_MODULE"), qEnvironmentVariable("GTK_IM_MODULE"),
                     qEnvironmentVariable("XMODIFIERS"));
}

int LinuxInputMethodProvider::Active() const {
  QLocale locale = QLocale::system();
  if (QGuiApplication::instance())
    if (QInputMethod* im = QGuiApplication::inputMethod()) locale = im->locale();
  return ActiveFrom(Layouts(), locale);
}

namespace {
InputMethodProvider* g_provider = nullptr;
}

InputMethodProvider& inputMethods() {
  static LinuxInputMethodProvider real;
  return g_provider ? *g_provider : real;
}

void SetInputMethodProvider(InputMethodProvider* p) { g_provider = p; }

}  // namespace setup
