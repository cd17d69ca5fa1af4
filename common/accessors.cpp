#include "common/accessors.h"

#include <array>
#include <cmath>

#include "platform/core/paths.h"

namespace common {

namespace {

enum class Kind { Byte, Short, Text, Single };

constexpr Kind kindOf(const ByteAccessor*) { return Kind::Byte; }
template <int Lo, int Hi>
constexpr Kind kindOf(const ShortAccessor<Lo, Hi>*) { return Kind::Short; }
constexpr Kind kindOf(const TextAccessor*) { return Kind::Text; }
constexpr Kind kindOf(const SingleAccessor*) { return Kind::Single; }

constexpr int kCount = int(AccessorSlot::Count);

constexpr std::array<Kind, kCount> kKinds{{
#define COMMON_ACCESSOR_KIND(number, name, kind, def, rule) kindOf(static_cast<const kind##Accessor*>(nullptr)),
    COMMON_ACCESSOR_TABLE(COMMON_ACCESSOR_KIND)
#undef COMMON_ACCESSOR_KIND
}};

StoreValue startValue(Kind k) {
  switch (k) {
    case Kind::Byte: return StoreValue(std::uint8_t(0));
    case Kind::Short: return StoreValue(std::int16_t(0));
    case Kind::Text: return StoreValue(QString());
    case Kind::Single: return StoreValue(0.0f);
  }
  return {};
}

struct AccessorState {
  std::array<StoreValue, kCount> values;
  std::array<float, 9> colours{};
  AccessorState() { reset(); }
  void reset() {
    for (int i = 0; i < kCount; ++i) values[i] = startValue(kKinds[i]);
    colours.fill(0.0f);
  }
};

AccessorState& state() {
  static AccessorState s;
  return s;
}

template <class T>
T held(AccessorSlot slot) {
  const auto& v = detail::accessorValue(slot).variant();
  return std::holds_alternative<T>(v) ? std::get<T>(v) : T{};
}

int colourIndex(int index) { return index < 0 ? 0 : index > 8 ? 8 : index; }

}  // namespace

namespace detail {
StoreValue& accessorValue(AccessorSlot slot) { return state().values[int(slot)]; }
void ResetAccessors() { state().reset(); }
float& colourSlot(int index) { return state().colours[colourIndex(index)]; }
}  // namespace detail

std::uint8_t ByteAccessor::get() const { return held<std::uint8_t>(slot_); }

std::uint8_t ByteAccessor::set(int v) const {
  if (v >= 0 && v < 250) detail::accessorValue(slot_) = StoreValue(std::uint8_t(v));
  return get();
}

QString TextAccessor::get() const { return held<QString>(slot_); }

QString TextAccessor::set(const QString& v) const {
  if (!v.isEmpty()) detail::accessorValue(slot_) = StoreValue(v);
  return get();
}

QString FolderAccessor::get() const {
  QString f = TextAccessor::get();
  return f.isEmpty() ? plat::ProgramFolder() : f;
}

QString FolderAccessor::set(const QString& v) const {
  if (!v.isEmpty()) {
    QString f = plat::ToSlashes(v);
    if (!f.endsWith(u'/')) f += u'/';
    TextAccessor::set(f);
  }
  return get();
}

float SingleAccessor::get() const { return held<float>(slot_); }

float SingleAccessor::set(double v) const {
  if (std::isfinite(v) && std::fabs(v) <= 3.4028234663852886e38)
    detail::accessorValue(slot_) = StoreValue(float(v));
  return get();
}

float ScreenColorTable::get(int index) const { return detail::colourSlot(index); }

float ScreenColorTable::set(int index, double colour) const {
  if (colour > 0 && colour <= 16777215.0) detail::colourSlot(index) = float(colour);
  return get(index);
}

StoreValue ContactInfo(int item) {
  switch (item) {
    case 99: return StoreValue(Setting992.get());
    case 1: return StoreValue(Setting994.get());
    case 2: return StoreValue(Setting995.get());
    case 3: return StoreValue(Setting996.get());
    default: return {};
  }
}

}  // namespace common
