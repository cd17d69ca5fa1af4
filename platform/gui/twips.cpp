#include "platform/gui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtMath>
#include <algorithm>

namespace plat {

int TwipsToPixels(int twips) {
  const int half = kTwipsPerPixel / 2;
  return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

void SetTwipsGeometry(QWidget* w, const TwipsBox& b) {
  w->setGeometry(TwipsToPixels(b.left), TwipsToPixels(b.top), TwipsToPixels(b.width),
                 TwipsToPixels(b.height));
}

TwipsBox TwipsGeometry(const QWidget* w) {
  const QRect r = w->geometry();
  return {PixelsToTwips(r.x()), PixelsToTwips(r.y()), PixelsToTwips(r.width()),
          PixelsToTwips(r.height())};
}

void SetTwipsPos(QWidget* w, int left, int top) { w->move(TwipsToPixels(left), TwipsToPixels(top)); }

void SetTwipsSize(QWidget* w, int width, int height) {
  w->resize(TwipsToPixels(width), TwipsToPixels(height));
}

void CentreOnScreen(QWidget* w) {
  QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect area = s->availableGeometry();
  const QSize size = w->frameGeometry().size();
  w->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

namespace {

// The window manager's frame round a window. Until it has framed the window
// the frame is not known: then a usual title bar and border, in the
// screen's own pixels (frames are not scaled with the program).
QMargins FrameMargins(const QWidget* w) {
  if (w->windowFlags() & Qt::FramelessWindowHint) return {};
  const qreal ratio = std::max<qreal>(1.0, w->devicePixelRatioF());
  const QRect frame = w->frameGeometry();
  const QRect client = w->geometry();
  if (frame != client)
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
  const int side = qCeil(4 / ratio), title = qCeil(32 / ratio);
  return {side, title, side, side};
}

}  // namespace

void FitOnScreen(QWidget* w) {
  if (!w->isWindow() || (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
    return;
  QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect area = s->availableGeometry();
  const QMargins m = FrameMargins(w);
  // A scaled frame's sides are rounded to whole pixels of the program's: a
  // pixel to spare at each end, so the rounding never puts one off the screen.
  const int slack = w->devicePixelRatioF() > 1 ? 2 : 0;
  const QSize room(area.width() - m.left() - m.right() - slack, area.height() - m.top() - m.bottom() - slack);
  // The bound stays: a later size asked for (a mode's, or a resize handler
  // going back to the design) stops at the screen's edge at once, in one
  // request to the window system, which would not always take a second.
  if (w->minimumWidth() > room.width()) w->setMinimumWidth(room.width());
  if (w->minimumHeight() > room.height()) w->setMinimumHeight(room.height());
  const QSize bound = w->maximumSize().boundedTo(room);
  if (bound != w->maximumSize()) w->setMaximumSize(bound);
  const QSize size = w->size().boundedTo(room);
  if (size != w->size()) w->resize(size);
  // The frame's top left, as the window manager will place it.
  const QPoint at = w->geometry().topLeft() - QPoint(m.left(), m.top());
  const int fullWidth = size.width() + m.left() + m.right() + slack;
  const int fullHeight = size.height() + m.top() + m.bottom() + slack;
  const int lead = slack / 2;
  const int x = std::clamp(at.x(), area.left() + lead, std::max(area.left(), area.right() + 1 - fullWidth + lead));
  const int y = std::clamp(at.y(), area.top() + lead, std::max(area.top(), area.bottom() + 1 - fullHeight + lead));
  if (x != at.x() || y != at.y()) w->move(w->pos() + QPoint(x - at.x(), y - at.y()));
}

}  // namespace plat
