#pragma once
// One scope for the seams a test installs. Set() installs a double through
// the seam's own setter; the scope's end puts every seam it touched back to
// its default (the setter given an empty value: nullptr, an empty function,
// nullopt), the last installed first. A fixture holds one as a member, so a
// test that fails half-way leaks no double into the next.
#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

namespace testsupport {

class Seams {
 public:
  Seams() = default;
  ~Seams() { Restore(); }
  Seams(const Seams&) = delete;
  Seams& operator=(const Seams&) = delete;

  // setter(value) now, setter({}) at the end.
  template <class Arg, class Value>
  void Set(void (*setter)(Arg), Value&& value) {
    setter(std::forward<Value>(value));
    restores_.push_back([setter] { setter(std::remove_cvref_t<Arg>{}); });
  }
  // For a seam whose default is a value of its own: setter(after) at the end.
  template <class Arg, class Value, class After>
  void Set(void (*setter)(Arg), Value&& value, After after) {
    setter(std::forward<Value>(value));
    restores_.push_back([setter, after = std::move(after)] { setter(after); });
  }
  // Anything else a test changes for the program as a whole: undo() at the end.
  void OnEnd(std::function<void()> undo) { restores_.push_back(std::move(undo)); }

  // Puts the seams back now; the scope's end then has nothing left to do.
  void Restore() {
    while (!restores_.empty()) {
      std::function<void()> restore = std::move(restores_.back());
      restores_.pop_back();
      restore();
    }
  }

 private:
  std::vector<std::function<void()>> restores_;
};

}  // namespace testsupport
