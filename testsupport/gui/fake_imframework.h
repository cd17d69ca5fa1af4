#pragma once
// A framework double: the state it reports is set by the test, and the
// questions about the current engine wait until the test settles them.
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/im/imframework.h"

namespace plat {

class FakeImFramework : public ImFramework {
 public:
  std::optional<ImState> State() override {
    ++states;
    return state;
  }
  void AskCurrent(std::function<void(const ImEngine&)> done) override {
    ++asks;
    pending.push_back(std::move(done));
  }
  // Answers what was asked with the current engine of `state`.
  void Settle() override {
    auto asked = std::exchange(pending, {});
    for (auto& done : asked) done(state ? state->current : ImEngine{});
  }
  std::optional<ImState> state;  // nullopt: no framework runs
  int states = 0, asks = 0;
  std::vector<std::function<void(const ImEngine&)>> pending;
};

}  // namespace plat
