#include "platform/core/testswitches.h"

#include <atomic>

namespace plat {

namespace {
std::atomic<bool> g_silentAudio{false};
}

void SetSilentAudioForTests(bool on) { g_silentAudio = on; }

bool SilentAudioForTests() { return g_silentAudio; }

}  // namespace plat
