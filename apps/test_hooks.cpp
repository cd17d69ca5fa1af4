#include "apps/hooks.h"
#include "apps/widget_probe.h"
#include "platform/core/testswitches.h"
#include "testsupport/gui/scripted_user.h"

namespace e2e {

void StartHooks() {
  plat::AllowTestSwitches();
  ScriptedUser::Start();
  WidgetProbe::Start();
}

}  // namespace e2e
