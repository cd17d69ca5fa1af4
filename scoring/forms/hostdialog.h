#pragma once
// Dialog: the host dialog of the upload window. Offered when no connection
// could be made; the user corrects the server's name or address and sends
// again.
#include "net/forms/uploadwindow.h"

namespace scorer {

class Dialog : public net::HostDialog {
 public:
  Dialog();

 protected:
  void Form_Load() override;
  net::UploadWindow& Window() override;
};

}  // namespace scorer
