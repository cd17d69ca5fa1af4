#pragma once
// Traditional Chinese text in Traditional Chinese faces, whatever the
// locale. Outside a Chinese (Taiwan) locale fontconfig falls back to the
// Japanese face for Han text: other glyph forms, and "，。" sit in the
// corner instead of the middle.
#include <QFont>
#include <QStringList>

namespace plat {

// The installed Traditional Chinese faces, in the order they are preferred.
QStringList TraditionalChineseFamilies();
// The font with its own families first, then the Traditional Chinese faces.
QFont WithTraditionalChineseFaces(const QFont& font);
// Gives the application font the Traditional Chinese faces, so that every
// window, box and window image made after it inherits them. Needs the
// QApplication.
void UseTraditionalChineseFaces();

}  // namespace plat
