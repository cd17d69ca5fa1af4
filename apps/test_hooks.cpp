#include "apps/hooks.h"
#include "apps/scripted_user.h"
#include "apps/widget_probe.h"
#include "platform/core/testswitches.h"

namespace e2e {

void StartHooks() {
  plat::AllowTestSwitches();
  ScriptedUser::Start();
  WidgetProbe::Start();
}

}  // namespace e2e
