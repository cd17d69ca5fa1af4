#pragma once
// Per-form captions and the locale font. A form's load handler calls
// ApplyFormText with its number: every listed control gets the locale font,
// then each listed caption and tool tip is set from the numbered store, in
// ascending text number. A text the store lacks blanks its caption; a
// control the form does not have is logged and skipped.
#include <QString>
#include <QStringList>

#include "common/gui/captiontable.h"

class QWidget;

namespace common {

// The character set and face name of a locale (GetUserDefaultLCID's table):
// 1028 -> 136 "新細明體", 1041 -> 128 "ＭＳ Ｐゴシック", 1042 -> 129 "굴림",
// 2052 -> 134 "宋体", any other -> 1 and the empty name.
struct LocaleFontSpec {
  int charset = 1;
  QString name;
};
LocaleFontSpec LocaleFontFor(int lcid);

// The user's locale as a Windows locale identifier: zh_TW 1028, ja 1041,
// ko 1042, zh_CN 2052, en_US 1033; 0 for a locale without one here.
int UserDefaultLcid();
// Tests fix the locale; a negative value goes back to the system's.
void SetUserDefaultLcid(int lcid);

// The installed families that stand for a face name, best first: the face
// itself when installed, then its usual counterparts (a Ming face for
// 新細明體, ...). Empty when none is installed.
QStringList InstalledFamiliesFor(const QString& faceName);

// Widget properties that carry the font object's Charset and Name.
inline constexpr char kFontCharsetProperty[] = "FontCharset";
inline constexpr char kFontNameProperty[] = "FontName";

// Gives the widget's font the locale's character set and face. An empty face
// name is refused (the design-time face stays), as is a face of which no
// family is installed. Never reports a failure.
void SetLocaleFont(QWidget* target);

// Applies the test program's table of form `formNumber` (1 to 14) to `form`;
// any other number does nothing.
void ApplyFormText(int formNumber, QWidget* form);

// Applies the form `formNumber` of a program's own table (the scorers');
// a number the table lacks does nothing.
void ApplyFormText(const QList<FormCaptions>& table, int formNumber, QWidget* form);

// Applies one form's lists. Missing
// controls are logged under `procedure` and skipped.
void ApplyFormCaptions(const FormCaptions& table, QWidget* form,
                       const QString& procedure = QStringLiteral("ApplyFormText"));

// The control of a form by objectName; empty name: the form.
QWidget* FindControl(QWidget* form, const QString& name);

// Sets the design's Caption of a form or control: window title, label,
// button, frame; labels show it as plain text. false when the widget has no
// caption.
bool SetCaption(QWidget* w, const QString& text);

}  // namespace common
