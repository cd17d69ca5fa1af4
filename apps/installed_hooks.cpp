#include "apps/hooks.h"
#include "apps/widget_probe.h"

namespace e2e {

// No scripted user and no test switch: nobody who can set a variable gets a
// program that types for the candidate.
void StartHooks() { WidgetProbe::Start(); }

}  // namespace e2e
