#pragma once
// frmIME, the input-method chooser: lists the layouts and input methods and
// keeps the active one as the text of Combo1, which the test record takes
// as 指輸入法. Configured to, it shows itself while the active entry is the
// plain keyboard, so that the candidate can say which method is used.
#include "platform/gui/form.h"

class QComboBox;
class QLabel;

namespace setup {

class frmIME : public plat::Form {
 public:
  frmIME();

  QLabel* Label1;
  QComboBox* Combo1;

  void Combo1_Click();
  // The input method the candidate typed with becomes the text: what the
  // window showed at load may be the plain keyboard of that moment.
  void TakeTypedMethod();
  void OnActivated() { Form_Activate(); }
  // Shows the chooser over the set-up screen, with the focus, once that
  // screen is up (at once when there is no set-up screen).
  void Ask();

 protected:
  void Form_Load() override;
  void Form_Activate() override;
};

}  // namespace setup
