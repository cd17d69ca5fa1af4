#pragma once
// An up-down control beside a text box. It keeps its own whole-number value
// in a range and never rewrites the box by itself: the form's handlers copy
// between the two, so a box that holds "120" beside an up-down of 1..99 keeps
// its text. Setting the value from code never runs the change handler; only
// the arrows do.
#include <QWidget>
#include <functional>

class QToolButton;

namespace setup {

class UpDown : public QWidget {
 public:
  UpDown(QWidget* parent, int min, int max, int value, int step = 1);

  int Value() const { return value_; }
  int Min() const { return min_; }
  int Max() const { return max_; }

  // Takes v when it lies within the range; false (value unchanged) else.
  bool SetValue(int v);

  // The arrows: one step up or down within the range; the change handler runs
  // when the value moved.
  void StepUp();
  void StepDown();

  std::function<void()> Change;

  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void Step(int delta);

  int min_;
  int max_;
  int value_;
  int step_;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace setup
