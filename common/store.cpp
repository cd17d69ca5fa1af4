#include "common/store.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <optional>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/core/compat.h"

namespace common {

// ---------------------------------------------------------------------------
// The catalogue: one line per number, with the default LoadSettings gives
// (nullptr: none, the slot stays 0 or empty until the file or a caller sets
// it). 9997 and 9998 (help page after an "Error-2" reply) are read by the
// download client, so they are kept here too.
// ---------------------------------------------------------------------------
#define COMMON_STORE_ENTRIES(X)                      \
  /* byte group: switches and small counts */         \
  X(9901, Byte, "1")                                  \
  X(199, Byte, "1")                                   \
  X(1998, Byte, "0")                                  \
  X(204, Byte, "1")                                   \
  X(5999, Byte, "10")                                 \
  X(197, Byte, nullptr)                               \
  X(7901, Byte, nullptr)                              \
  X(9151, Byte, nullptr)                              \
  X(7902, Byte, nullptr)                              \
  X(4498, Byte, nullptr) /* set by LoadSettings */    \
  X(1147, Byte, "0")                                  \
  X(2398, Byte, nullptr)                              \
  X(7498, Byte, "1")                                  \
  X(7499, Byte, "26")                                 \
  X(7497, Byte, "7")                                  \
  X(2299, Byte, "2")                                  \
  X(7496, Byte, "2")                                  \
  X(181, Byte, "3")                                   \
  X(5951, Byte, "1")                                  \
  X(2281, Byte, "1")                                  \
  X(7495, Byte, "1")                                  \
  X(7494, Byte, "0")                                  \
  X(7999, Byte, "0")                                  \
  X(7998, Byte, nullptr)                              \
  X(149, Byte, "1")                                   \
  X(205, Byte, nullptr)                               \
  X(9997, Byte, nullptr)                              \
  /* short-text group */                              \
  X(9902, ShortText, "http://www.example.org/")       \
  X(198, ShortText, "http://www.example.org/")        \
  X(4447, ShortText, nullptr)                         \
  X(5902, ShortText, "5568")                          \
  X(4499, ShortText, nullptr) /* set by LoadSettings */ \
  X(7910, ShortText, "100010")                        \
  X(9998, ShortText, nullptr)

// The integer, long and single groups have room but no number of their own:
// nothing asks them.

// User-interface texts: runs of numbers (first, last), all texts.
static constexpr std::pair<int, int> kUiTextRuns[] = {
    {10100, 10121}, {10123, 10133}, {10135, 10189}, {10210, 10225}, {10300, 10330}, {10400, 10402},
    {10500, 10508}, {10600, 10627}, {10700, 10700}, {10800, 10806}, {10900, 10900}, {11011, 11014},
    {11100, 11105}, {11200, 11204}, {11300, 11305}, {11400, 11404}, {11500, 11532}, {11600, 11603},
    {11700, 11705}, {11800, 11811}, {11900, 11904}, {12000, 12004}, {12100, 12101}, {12200, 12201},
    {12300, 12311}, {12400, 12414}, {12501, 12503}, {12601, 12604}, {12701, 12715}, {13901, 13919},
    {13921, 13926}, {13931, 13970}, {13978, 13979}, {14001, 14007},
};

namespace {

struct Entry {
  int id;
  StoreGroup group;
  const char* defaultValue;
};

#define COMMON_STORE_ENTRY(id, group, def) Entry{id, StoreGroup::group, def},
constexpr Entry kEntries[] = {COMMON_STORE_ENTRIES(COMMON_STORE_ENTRY)};
#undef COMMON_STORE_ENTRY

struct Catalogue {
  QHash<int, StoreGroup> group;
  QHash<int, int> slot;  // index into the value slots
  int size = 0;
  Catalogue() {
    auto add = [&](int id, StoreGroup g) {
      if (group.contains(id)) return;  // the first entry of a number wins
      group.insert(id, g);
      slot.insert(id, size++);
    };
    for (const Entry& e : kEntries) add(e.id, e.group);
    for (auto [first, last] : kUiTextRuns)
      for (int id = first; id <= last; ++id) add(id, StoreGroup::UiText);
  }
};

const Catalogue& catalogue() {
  static const Catalogue c;
  return c;
}

StoreValue startValue(StoreGroup g) {
  switch (g) {
    case StoreGroup::Byte: return StoreValue(std::uint8_t(0));
    case StoreGroup::Int16: return StoreValue(std::int16_t(0));
    case StoreGroup::Int32: return StoreValue(std::int32_t(0));
    case StoreGroup::Single: return StoreValue(0.0f);
    case StoreGroup::ShortText:
    case StoreGroup::UiText: return StoreValue(QString());
    case StoreGroup::None: break;
  }
  return {};
}

struct Slots {
  std::vector<StoreValue> values;
  Slots() { reset(); }
  void reset() {
    const Catalogue& c = catalogue();
    values.assign(c.size, StoreValue());
    for (auto it = c.group.cbegin(); it != c.group.cend(); ++it) values[c.slot.value(it.key())] = startValue(it.value());
  }
};

Slots& storeSlots() {
  static Slots s;
  return s;
}

std::vector<void (*)()>& resetHooks() {
  static std::vector<void (*)()> hooks;
  return hooks;
}

// Converts a text to the group's type; nullopt when it does not fit.
std::optional<StoreValue> convert(StoreGroup g, const QString& text) {
  bool fits = true;
  const double v = plat::ValNumber(text, &fits);
  switch (g) {
    case StoreGroup::Byte:
      if (auto b = fits ? plat::ToByte(v) : std::nullopt) return StoreValue(*b);
      return std::nullopt;
    case StoreGroup::Int16:
      if (auto i = fits ? plat::ToInt16(v) : std::nullopt) return StoreValue(*i);
      return std::nullopt;
    case StoreGroup::Int32:
      if (auto i = fits ? plat::ToInt32(v) : std::nullopt) return StoreValue(*i);
      return std::nullopt;
    case StoreGroup::Single:
      if (!fits || std::fabs(v) > double(std::numeric_limits<float>::max())) return std::nullopt;
      return StoreValue(plat::ToSingle(v));
    case StoreGroup::ShortText:
    case StoreGroup::UiText: return StoreValue(text);
    case StoreGroup::None: break;
  }
  return std::nullopt;
}

}  // namespace

double StoreValue::asNumber() const {
  return std::visit(
      [](const auto& x) -> double {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>)
          return 0.0;
        else if constexpr (std::is_same_v<T, QString>)
          return plat::ValNumber(x);
        else
          return double(x);
      },
      v_);
}

int StoreValue::asInt() const {
  auto r = plat::ToInt32(asNumber());
  return r ? int(*r) : 0;
}

QString StoreValue::asText() const {
  return std::visit(
      [](const auto& x) -> QString {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>)
          return QString();
        else if constexpr (std::is_same_v<T, QString>)
          return x;
        else if constexpr (std::is_same_v<T, float>)
          return plat::NumberText(double(x), 7);
        else
          return QString::number(int(x));
      },
      v_);
}

StoreGroup StoreGroupOf(int id) { return catalogue().group.value(id, StoreGroup::None); }

QString StoreText(int id) { return SystemIniValue(id).asText(); }

bool StoreHasId(int id) { return catalogue().group.contains(id); }

QList<int> StoreIds(StoreGroup group) {
  QList<int> out;
  for (const Entry& e : kEntries)
    if (e.group == group) out.append(e.id);
  if (group == StoreGroup::UiText)
    for (auto [first, last] : kUiTextRuns)
      for (int id = first; id <= last; ++id) out.append(id);
  return out;
}

StoreValue SystemIniValue(int id, const QString& value, bool* ok) {
  if (ok) *ok = true;
  const Catalogue& c = catalogue();
  // The number is a 16-bit integer, and 0 is never a setting.
  if (id == 0 || id < std::numeric_limits<std::int16_t>::min() || id > std::numeric_limits<std::int16_t>::max())
    return {};
  auto it = c.slot.constFind(id);
  if (it == c.slot.cend()) return {};
  StoreValue& slot = storeSlots().values[it.value()];
  if (!value.isEmpty()) {
    auto v = convert(c.group.value(id), value);
    if (!v) {
      if (ok) *ok = false;
      return {};
    }
    slot = *v;
  }
  return slot;
}

void AddCommonStateReset(void (*reset)()) {
  auto& hooks = resetHooks();
  if (reset && std::find(hooks.begin(), hooks.end(), reset) == hooks.end()) hooks.push_back(reset);
}

namespace detail {
void ResetAccessors();  // accessors.cpp

void SeedStoreDefaults() {
  for (const Entry& e : kEntries)
    if (e.defaultValue) SystemIniValue(e.id, QString::fromUtf8(e.defaultValue));
}
}  // namespace detail

void ResetCommonState() {
  storeSlots().reset();
  detail::ResetAccessors();
  for (auto* hook : resetHooks()) hook();
}

}  // namespace common
