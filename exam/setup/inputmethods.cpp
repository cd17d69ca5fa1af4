#include "exam/setup/inputmethods.h"

#include <QGuiApplication>
#include <QInputMethod>

#include "platform/core/codec.h"

namespace setup {

namespace {

void AddName(QStringList& out, const QString& name) {
  if (name.isEmpty() || out.size() >= kMaxLayouts) return;
  for (const QString& have : out)
    if (have.compare(name, Qt::CaseInsensitive) == 0) return;
  out << name;
}

}  // namespace

QStringList LinuxInputMethodProvider::LayoutsFrom(const QString& qtModule, const QString& gtkModule,
                                                  const QString& xmodifiers) {
  QStringList out{kPlainLayoutName};
  auto add = [&out](QString name) {
    name = name.trimmed();
    if (name.compare(u"none", Qt::CaseInsensitive) == 0) return;
    AddName(out, name);
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

QString LinuxInputMethodProvider::LayoutName(const QString& engineName) {
  // A line break would end the record's line; the record keeps bytes.
  QString one;
  for (QChar c : engineName) one += c.category() == QChar::Other_Control ? QChar(u' ') : c;
  one = one.simplified();
  while (plat::cp950Length(one) > kLayoutNameBytes) one.chop(one.size() >= 2 && one.back().isLowSurrogate() ? 2 : 1);
  return one;
}

LayoutList LinuxInputMethodProvider::FromFramework(const plat::ImState& state, const plat::ImEngine& typed) {
  LayoutList out;
  out.names << kPlainLayoutName;
  for (const plat::ImEngine& e : state.engines)
    if (!e.keyboard) AddName(out.names, LayoutName(e.name));
  auto indexOf = [&out](const plat::ImEngine& e) -> int {
    const QString name = LayoutName(e.name);
    AddName(out.names, name);
    const int at = static_cast<int>(out.names.indexOf(name));
    return at >= 0 ? at : 0;  // a full list: the keyboard stands for it
  };
  if (!typed.id.isEmpty() && !typed.keyboard) {
    out.active = indexOf(typed);
  } else if (!state.current.id.isEmpty() && !state.current.keyboard) {
    out.active = indexOf(state.current);
  } else {
    out.active = 0;
  }
  return out;
}

LayoutList LinuxInputMethodProvider::Read() const {
  const plat::ImEngine typed = plat::TypedEngine::Engine();
  if (const auto state = plat::imFramework().State()) return FromFramework(*state, typed);
  if (!typed.id.isEmpty()) return FromFramework({}, typed);
  LayoutList out;
  out.names = LayoutsFrom(qEnvironmentVariable("QT_IM_MODULE"), qEnvironmentVariable("GTK_IM_MODULE"),
                          qEnvironmentVariable("XMODIFIERS"));
  QLocale locale = QLocale::system();
  if (QGuiApplication::instance())
    if (QInputMethod* im = QGuiApplication::inputMethod()) locale = im->locale();
  out.active = ActiveFrom(out.names, locale);
  return out;
}

QString LinuxInputMethodProvider::Typed() const {
  const plat::ImEngine typed = plat::TypedEngine::Engine();
  return typed.id.isEmpty() || typed.keyboard ? QString() : LayoutName(typed.name);
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
