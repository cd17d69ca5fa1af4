#pragma once
// What a program starts for those who test it. The build tree's programs
// link apps/test_hooks.cpp (the scripted user, the widget report, the test
// switches); the installed ones link apps/installed_hooks.cpp (the widget
// report only).
namespace e2e {

void StartHooks();

}  // namespace e2e
