#include "exam/setup/updown.h"

#include <QEvent>
#include <QToolButton>

namespace setup {

UpDown::UpDown(QWidget* parent, int min, int max, int value, int step)
    : QWidget(parent), min_(min), max_(max), value_(value), step_(step) {
  up_ = new QToolButton(this);
  down_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
  }
  QObject::connect(up_, &QToolButton::clicked, this, [this] { StepUp(); });
  QObject::connect(down_, &QToolButton::clicked, this, [this] { StepDown(); });
}

bool UpDown::SetValue(int v) {
  if (v < min_ || v > max_) return false;
  value_ = v;
  return true;
}

void UpDown::StepUp() { Step(step_); }
void UpDown::StepDown() { Step(-step_); }

void UpDown::Step(int delta) {
  if (!isEnabled()) return;
  long long v = static_cast<long long>(value_) + delta;
  if (v > max_) v = max_;
  if (v < min_) v = min_;
  if (v == value_) return;
  value_ = static_cast<int>(v);
  if (Change) Change();
}

void UpDown::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  const int h = height() / 2;
  up_->setGeometry(0, 0, width(), h);
  down_->setGeometry(0, h, width(), height() - h);
}

void UpDown::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::EnabledChange) {
    up_->setEnabled(isEnabled());
    down_->setEnabled(isEnabled());
  }
}

}  // namespace setup
