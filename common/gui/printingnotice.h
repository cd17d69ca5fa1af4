#pragma once
// 處理列印中: the notice while a typed text prints, in the scorer and the
// batch scorer. It closes itself on the sixth tick of its one-second timer
// and refuses a close from the window manager. Each program gives it its
// design and its captions (the caption tables differ).
#include <QLabel>

#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"

namespace common {

class 處理列印中 : public plat::Form {
 public:
  struct Design {
    plat::TwipsBox label;
    bool wrap;               // the label's text
    bool titleButtonsShown;  // the title bar's own buttons
  };

  QLabel* Label1;
  plat::FormTimer* Timer1;  // 1000 ms

  void Timer1_Timer();
  int Ticks() const { return ticks_; }

 protected:
  // A failing tick is told to `report` (empty: the program's sink).
  explicit 處理列印中(const Design& design, const plat::HandlerErrorSink& report = {});
  void Form_Activate() override;

 private:
  int ticks_ = 0;
};

}  // namespace common
