#pragma once
// FrmDownload3, the download window, as far as the end of a test needs it:
// the state of its network link and the mode it is opened in. The network
// exchange builds the window itself on this class.
#include <cstdint>

#include "platform/gui/form.h"

namespace run {

class FrmDownload3 : public plat::Form {
 public:
  FrmDownload3();

  // 0 no link used; 2 transferring, 3 done, 5 failed.
  std::uint8_t NetLinkStatus = 0;
  // The mode it is opened in: 1 = finish the link's work after a test.
  std::uint8_t UserSw = 0;

 protected:
  void Form_Load() override;
};

}  // namespace run
