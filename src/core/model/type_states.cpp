// The four type-state look-ups; each walks the list from the start.
#include "model/type_states.h"

#include "text/text_util.h"

namespace kelvaro {
namespace {

struct TypeAndState {
  std::string_view type;
  std::string_view state;
};

TypeAndState splitEntry(std::string_view entry) {
  const std::size_t colon = entry.find(':');
  if (colon == std::string_view::npos) return {entry, {}};
  return {entry.substr(0, colon), entry.substr(colon + 1)};
}

std::string stateKey(std::string_view state) {
  return trimRight(trimRight(state).substr(0, kStateCompareLength));
}

bool sameState(std::string_view a, std::string_view b) { return stateKey(a) == stateKey(b); }

}  // namespace

std::int32_t stateIndex(const std::vector<TypeStateEntry>& list, std::string_view type, std::string_view state) {
  std::int32_t index = -1;
  const bool wantLast = state == kMaxStatePseudo;
  for (const auto& e : list) {
    const auto [t, s] = splitEntry(e.entry);
    if (t != type) continue;
    ++index;
    if (!wantLast && sameState(s, state)) return index;
  }
  return wantLast ? index : -1;
}

std::int32_t statePosition(const std::vector<TypeStateEntry>& list, std::string_view type, std::string_view state) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto [t, s] = splitEntry(list[i].entry);
    if (t == type && sameState(s, state)) return static_cast<std::int32_t>(i + 1);
  }
  return static_cast<std::int32_t>(list.size());
}

std::int32_t typeOrdinal(const std::vector<TypeStateEntry>& list, std::string_view type) {
  std::int32_t runs = 0;
  std::string_view previous;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string_view t = splitEntry(list[i].entry).type;
    if (i == 0 || t != previous) ++runs;
    if (t == type) return runs;
    previous = t;
  }
  return runs;
}

std::string stateAt(const std::vector<TypeStateEntry>& list, std::string_view type, std::int32_t k) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (splitEntry(list[i].entry).type != type) continue;
    if (k < 0 || i + static_cast<std::size_t>(k) >= list.size()) return {};
    const auto target = splitEntry(list[i + static_cast<std::size_t>(k)].entry);
    return target.type == type ? std::string(target.state) : std::string();
  }
  return {};
}

std::vector<std::string> statesOf(const std::vector<TypeStateEntry>& list, std::string_view type) {
  std::vector<std::string> states;
  for (const auto& e : list) {
    const auto [t, s] = splitEntry(e.entry);
    if (t == type) states.emplace_back(s);
  }
  return states;
}

}  // namespace kelvaro
