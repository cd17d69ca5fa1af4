#pragma once
// Control handlers run under the form layer's guard: a failure is reported
// and never unwinds into the event loop.
#include <QString>
#include <functional>
#include <utility>

#include "platform/gui/handler.h"

namespace setup {

inline std::function<void()> Guarded(const char* procedure, std::function<void()> handler) {
  return [name = QString::fromUtf8(procedure), h = std::move(handler)] { plat::RunHandler(name, h); };
}

}  // namespace setup
