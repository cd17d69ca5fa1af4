#pragma once
// The set-up screen opens addresses as the contact window does.
#include "common/gui/urllauncher.h"

namespace setup {

using common::OpenUrlChecked;
using plat::MailUrl;
using plat::WebUrl;

}  // namespace setup
