#pragma once
// The numbered settings-and-text store: every switch, small number, short
// text and user-interface text of the programs, asked for by number.
//
// The catalogue is fixed (store.cpp): a number outside it is never kept and
// reads as the empty value. Values arrive from the defaults of LoadSettings
// and from the settings file; the store itself holds no built-in texts.
#include <QList>
#include <QString>
#include <cstdint>
#include <variant>

namespace common {

// A typed store value. Never throws: an empty value reads as 0 and as "".
class StoreValue {
 public:
  using Variant = std::variant<std::monostate, std::uint8_t, std::int16_t, std::int32_t, float, QString>;

  StoreValue() = default;
  StoreValue(Variant v) : v_(std::move(v)) {}  // NOLINT: implicit on purpose
  StoreValue(std::uint8_t v) : v_(v) {}
  StoreValue(std::int16_t v) : v_(v) {}
  StoreValue(std::int32_t v) : v_(v) {}
  StoreValue(float v) : v_(v) {}
  StoreValue(const QString& v) : v_(v) {}

  bool isEmpty() const { return std::holds_alternative<std::monostate>(v_); }
  bool isText() const { return std::holds_alternative<QString>(v_); }
  bool isNumber() const { return !isEmpty() && !isText(); }

  // Empty -> 0, text -> its leading decimal number (plat::ValNumber).
  double asNumber() const;
  // asNumber() rounded halves to even; 0 when it does not fit an int.
  int asInt() const;
  // Empty -> "", integers as decimal, floats with at most 7 significant
  // digits in the "C" locale (0.5 -> "0.5", 1.0 -> "1").
  QString asText() const;

  const Variant& variant() const { return v_; }
  bool operator==(const StoreValue& o) const { return v_ == o.v_; }

 private:
  Variant v_;
};

// Reads number `id`; when `value` is not empty, first stores it converted to
// the type of the number's group. A number outside the catalogue, or a value
// that does not fit the group's type ("300" for a byte number), stores
// nothing and gives the empty value; *ok is then false for the latter.
StoreValue SystemIniValue(int id, const QString& value = {}, bool* ok = nullptr);

// The text of number `id`: its value as text, empty when the settings give
// none.
QString StoreText(int id);

// True when `id` is in the store's catalogue.
bool StoreHasId(int id);

// The store's groups, in lookup order.
enum class StoreGroup { None, Byte, Int16, Int32, Single, ShortText, UiText };
StoreGroup StoreGroupOf(int id);

// Every catalogue number, in group order (for the shipped settings file check
// and the defaults).
QList<int> StoreIds(StoreGroup group);

// Puts every value the common library keeps for the process (store,
// accessors, colours and the state other modules register below) back to
// its start value: 0 or empty, as at process start. Tests call it first.
void ResetCommonState();

// A module of this library that keeps process-wide state registers its reset
// once (a static initializer is fine); ResetCommonState calls it.
void AddCommonStateReset(void (*reset)());

namespace detail {
// The store defaults that LoadSettings gives before reading the file.
void SeedStoreDefaults();
}  // namespace detail

}  // namespace common
