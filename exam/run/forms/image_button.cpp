#include "exam/run/forms/image_button.h"

#include <QMouseEvent>

namespace run {

void ImageButton::mouseReleaseEvent(QMouseEvent* e) {
  QLabel::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && Click) Click();
}

void ImageButton::mouseMoveEvent(QMouseEvent* e) {
  QLabel::mouseMoveEvent(e);
  if (MouseMove) MouseMove();
}

void ImageButton::enterEvent(QEnterEvent* e) {
  QLabel::enterEvent(e);
  if (MouseMove) MouseMove();
}

}  // namespace run
