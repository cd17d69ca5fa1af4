#include "common/gui/formtext.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QWidget>

#include "common/errorlog.h"
#include "common/store.h"

namespace common {

namespace {

int g_lcidOverride = -1;

// Face names composed from their code points, independent of any code page.
const QString kMingLiU = QString::fromUtf16(u"\u65B0\u7D30\u660E\u9AD4");
const QString kPGothic = QString::fromUtf16(u"\uFF2D\uFF33\u0020\uFF30\u30B4\u30B7\u30C3\u30AF");
const QString kGulim = QString::fromUtf16(u"\uAD74\uB9BC");
const QString kSimSun = QString::fromUtf16(u"\u5B8B\u4F53");

QStringList Counterparts(const QString& face) {
  if (face == kMingLiU)
    return {"PMingLiU", "MingLiU", "Noto Serif CJK TC", "Noto Sans CJK TC", "AR PL UMing TW", "AR PL New Sung",
            "Noto Sans Mono CJK TC", "WenQuanYi Zen Hei"};
  if (face == kPGothic)
    return {"MS PGothic", "Noto Sans CJK JP", "IPAPGothic", "Noto Sans Mono CJK JP", "VL PGothic"};
  if (face == kGulim) return {"Gulim", "Noto Sans CJK KR", "NanumGothic", "UnDotum", "Noto Sans Mono CJK KR"};
  if (face == kSimSun)
    return {"SimSun", "Noto Serif CJK SC", "Noto Sans CJK SC", "AR PL UMing CN", "Noto Sans Mono CJK SC",
            "WenQuanYi Zen Hei"};
  return {};
}

void LogMissing(const QString& procedure, int formNumber, const QString& control) {
  AppError err;
  err.number = 424;  // the runtime's "object required"
  err.text = QStringLiteral("表單 %1 沒有控制項 %2").arg(formNumber).arg(control);
  err.source = QStringLiteral("A");
  LogTrappedError(procedure, err);
}

}  // namespace

LocaleFontSpec LocaleFontFor(int lcid) {
  switch (lcid) {
    case 1028: return {136, kMingLiU};
    case 1041: return {128, kPGothic};
    case 1042: return {129, kGulim};
    case 2052: return {134, kSimSun};
    default: return {1, QString()};
  }
}

int UserDefaultLcid() {
  if (g_lcidOverride >= 0) return g_lcidOverride;
  const QLocale l = QLocale::system();
  switch (l.language()) {
    case QLocale::Chinese:
      if (l.territory() == QLocale::Taiwan) return 1028;
      if (l.territory() == QLocale::China) return 2052;
      return 0;
    case QLocale::Japanese: return 1041;
    case QLocale::Korean: return 1042;
    case QLocale::English: return l.territory() == QLocale::UnitedStates ? 1033 : 0;
    default: return 0;
  }
}

void SetUserDefaultLcid(int lcid) { g_lcidOverride = lcid; }

QStringList InstalledFamiliesFor(const QString& faceName) {
  QStringList out;
  if (faceName.isEmpty()) return out;
  const QStringList installed = QFontDatabase::families();
  auto have = [&](const QString& f) { return installed.contains(f, Qt::CaseInsensitive); };
  if (have(faceName)) out << faceName;
  for (const QString& f : Counterparts(faceName))
    if (have(f) && !out.contains(f)) out << f;
  return out;
}

void SetLocaleFont(QWidget* target) {
  if (!target) return;
  const LocaleFontSpec spec = LocaleFontFor(UserDefaultLcid());
  target->setProperty(kFontCharsetProperty, spec.charset);
  const QStringList families = InstalledFamiliesFor(spec.name);
  if (families.isEmpty()) return;  // the face is refused: the design's stays
  target->setProperty(kFontNameProperty, spec.name);
  QFont f = target->font();
  f.setFamilies(families);
  target->setFont(f);
}

QWidget* FindControl(QWidget* form, const QString& name) {
  if (!form || name.isEmpty()) return form;
  return form->findChild<QWidget*>(name);
}

bool SetCaption(QWidget* w, const QString& text) {
  if (w->isWindow()) {
    w->setWindowTitle(text);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setTextFormat(Qt::PlainText);  // a caption is never markup
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(text);
  } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
    frame->setTitle(text);
  } else {
    return false;
  }
  return true;
}

void ApplyFormCaptions(const FormCaptions& table, QWidget* form, const QString& procedure) {
  if (!form) return;
  for (const QString& name : table.fonts) {
    if (QWidget* w = FindControl(form, name)) {
      SetLocaleFont(w);
    } else {
      LogMissing(procedure, table.formNumber, name);
    }
  }
  for (const CaptionText& t : table.texts) {
    QWidget* w = FindControl(form, t.control);
    if (!w) {
      LogMissing(procedure, table.formNumber, t.control);
      continue;
    }
    const QString text = SystemIniValue(t.number).asText();
    if (t.property == TextProperty::ToolTip) {
      w->setToolTip(text);
    } else if (!SetCaption(w, text)) {
      LogMissing(procedure, table.formNumber, t.control);
    }
  }
}

void ApplyFormText(int formNumber, QWidget* form) { ApplyFormText(TestProgramCaptionTable(), formNumber, form); }

void ApplyFormText(const QList<FormCaptions>& table, int formNumber, QWidget* form) {
  if (const FormCaptions* f = FindFormCaptions(table, formNumber)) ApplyFormCaptions(*f, form);
}

}  // namespace common
