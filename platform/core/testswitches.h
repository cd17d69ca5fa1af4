#pragma once
// Switches by which the end-to-end and desktop tests run the real programs
// where a desk's equipment is missing. Only the build tree's programs read
// them (AllowTestSwitches is called by apps/test_hooks.cpp alone, and the
// variables' names are compiled into nothing else); in an installed program
// none of them answers, whatever the environment says.
#include <QtGlobal>

namespace plat {

void SetSilentAudioForTests(bool on);

// Called at start by the build tree's programs only.
inline void AllowTestSwitches() { SetSilentAudioForTests(qEnvironmentVariableIsSet("TAVREL_E2E_SILENT_AUDIO")); }

// TAVREL_E2E_SILENT_AUDIO was set for a program that allows the switches:
// the audio plays into the void where there is no sound card, without the
// proctor's message. The audio device asks this.
bool SilentAudioForTests();

}  // namespace plat
