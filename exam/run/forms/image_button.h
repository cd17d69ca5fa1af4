#pragma once
// An image control that takes clicks and reports the pointer over it (the
// pause button and its highlight).
#include <QLabel>
#include <functional>

namespace run {

class ImageButton : public QLabel {
 public:
  explicit ImageButton(QWidget* parent = nullptr) : QLabel(parent) {
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
  }
  std::function<void()> Click;
  std::function<void()> MouseMove;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
};

}  // namespace run
