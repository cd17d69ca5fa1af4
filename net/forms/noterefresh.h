#pragma once
// The note settings at start-up: a test centre publishes extra settings on
// its web server (setting 986); the local copy NOTE/Zet.ixi is brought up to
// date when the server's stamp changed, and applied over the settings
// already loaded.
//
// The set-up screen never waits for the server: the copy at hand applies at
// once, the refresh runs on the event loop within the transfers' own limits,
// and a newer copy is handed over when it has come; the set-up screen
// decides whether it applies now or at the next start.
#include <QString>
#include <functional>

namespace net {

// Applies the local copy, then starts the refresh. When a newer copy came,
// `arrived` gets its path and applies it or keeps it for the next start;
// without `arrived` it is applied. `ended` runs
// when the refresh is over, whatever its outcome.
void RefreshNoteSettings(std::function<void(const QString& local)> arrived = {}, std::function<void()> ended = {});

}  // namespace net
