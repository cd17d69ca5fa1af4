#pragma once
// Dialog: the host dialog of the upload window. Offered when no connection
// could be made; the user corrects the server's name or address and sends
// again.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/gui/form.h"

namespace scorer {

class Dialog : public plat::Form {
 public:
  Dialog();

  QLineEdit* Text1;  // the host
  QLabel* Label1;    // the explanation
  QLabel* Image1;
  QPushButton *OKButton, *CancelButton;

  // Stores a non-blank host and sends again through frmClient.
  void OKButton_Click();
  void CancelButton_Click();

 protected:
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;
};

}  // namespace scorer
