#pragma once
// Titles that put the maker's line at the right end of the title bar,
// padded with blanks. The window manager writes a title in its own, mostly
// bold, font and cuts one too wide for its bar, so the padding is measured
// in that font.
#include <QFont>
#include <QString>
#include <functional>

class QWidget;

namespace plat {

// The font window managers write titles in, as near as the program can tell:
// the desktop's title font, bold, not smaller than the window's own.
QFont TitleBarFont(const QFont& windowFont);

// The pixels a window's title bar has for its text: the window's width less
// the icon and three buttons, in the title font.
int TitleBarRoom(const QWidget* window);

// prefix, then the most blanks (1 to 500) that keep the whole within `room`
// by `measure`, then maker; one blank when even that is wider.
QString PadTitle(const QString& prefix, const QString& maker, int room,
                 const std::function<int(const QString&)>& measure);

// The title of a window: PadTitle in its title bar's room and font.
QString TitleWithMakerAtRight(const QWidget* window, const QString& prefix, const QString& maker);

}  // namespace plat
