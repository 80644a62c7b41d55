#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/hotkeys.h"

namespace nv::test {

// Global hot keys as the system keeps them: a combination can be held once; those listed in
// `takenElsewhere` belong to another program. Releasing an id drops every combination under it.
class FakeHotKeys : public HotKeys {
 public:
  using Combination = std::pair<uint32_t, uint32_t>;  // modifiers, virtual key
  std::multimap<int, Combination> registered;
  std::set<Combination> takenElsewhere;
  std::vector<int> unregisterCalls;

  HotKeyOutcome RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) override {
    const Combination wanted{modifiers, virtualKey};
    if (takenElsewhere.count(wanted)) return Failure{"taken by another program"};
    for (const auto& [other, combination] : registered)
      if (combination == wanted) return Failure{"taken by another id"};
    registered.emplace(id, wanted);
    return HotKeyBinding{};
  }
  void UnregisterHotKey(int id) override {
    unregisterCalls.push_back(id);
    registered.erase(id);
  }
  void SetHandler(Handler handler) override { handler_ = std::move(handler); }

  // Delivers a hot key as the system would, registered or not.
  void Deliver(uint32_t modifiers, uint32_t virtualKey) {
    if (handler_) handler_(modifiers, virtualKey);
  }

 private:
  Handler handler_;
};

}  // namespace nv::test
