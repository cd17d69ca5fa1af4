#pragma once
// The note settings at start-up: a test centre publishes extra settings on
// its web server (setting 986); the local copy NOTE/Zet.ixi is brought up to
// date when the server's stamp changed, and applied over the settings
// already loaded.
//
// The set-up screen never waits for the server: the copy at hand applies at
// once, the refresh runs on the event loop within the transfers' own limits,
// and a newer copy applies when it has come, unless a test has started by
// then (its settings are never changed under it; the copy applies at the
// next start).
#include <functional>

namespace net {

// Applies the local copy, then starts the refresh. `applied` runs when a
// newer copy came and was applied; `ended` when the refresh is over,
// whatever its outcome.
void RefreshNoteSettings(std::function<void()> applied = {}, std::function<void()> ended = {});

}  // namespace net
