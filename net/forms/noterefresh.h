#pragma once
// The note settings at start-up: a test centre publishes extra settings on
// its web server (setting 986); the local copy NOTE/Zet.ixi is brought up to
// date when the server's stamp changed, and then applied over the settings
// already loaded.
#include <functional>

namespace net {

// Refreshes and applies; `done` after the file (if any) was applied.
void RefreshNoteSettings(std::function<void()> done = {});

// The same, returning when it is done: the set-up screen's load goes on with
// the note's settings in force. The transfers' own time-outs bound the wait.
void RefreshNoteSettingsNow();

}  // namespace net
