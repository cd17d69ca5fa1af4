#include "scoring/forms/hostdialog.h"

#include "scoring/forms/frmclient.h"
#include "scoring/forms/scorercaptions.h"

namespace scorer {

Dialog::Dialog() {
  // Enter goes to OK, wherever the focus is.
  CancelButton->setAutoDefault(false);
}

void Dialog::Form_Load() { ApplyFormText(kHostDialogForm, this); }

net::UploadWindow& Dialog::Window() { return plat::forms::get<frmClient>(); }

}  // namespace scorer
