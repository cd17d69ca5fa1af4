#pragma once
// Settings accessors and the run state.
//
// Each accessor is a constant object with explicit get() and set(v):
//
//   common::Setting211.get()        -> the held value
//   common::Setting211.set(45)      -> stores when the storing rule allows it,
//                                      returns the value held afterwards
//
// Storing rules (kept inside set):
//   byte accessors   store 0 <= v < 250 (so 250..255 and negatives only read);
//                    pass an int: TestNumber.set(TestNumber.get() + 1) never
//                    wraps, above 249 it is simply not stored.
//   Setting201       keeps a 16-bit value but takes a byte: 0 <= v < 250.
//   Setting281       16-bit, stores v < 250, negatives too.
//   Setting704       16-bit, stores v < 32700, negatives too.
//   text accessors   store a non-empty text; an empty one only reads.
//   single accessors store any finite value.
//   ScreenColor      get(i) / set(i, colour): stores a colour above 0 (up to
//                    0xFFFFFF) in slot i (bounded to 0..8); slots 1..8 are
//                    settings 401..408. The settings file may also set 0.
//   ContactInfo(i)   read-only: 99 setting 992, 1/2/3 settings 994/995/996,
//                    any other item the empty value.
//
// Accessors marked "filled by the settings file" in the table are read-only
// for the rest of the programs: only ApplySetting sets them.
//
// The values start as 0 or empty (ResetCommonState); LoadSettings gives the
// defaults of the table (SeedSettingDefaults in settings.h).
#include <QString>
#include <cstdint>

#include "common/store.h"

namespace common {

// ---------------------------------------------------------------------------
// The one table: setting number (0 = not a setting), accessor name, kind,
// default given by LoadSettings (nullptr: none), the rule ApplySetting uses.
//
// Rules: Byte(n)      b = the value rounded halves to even; taken when
//                     0 <= b <= n (out of a byte: unchanged, logged)
//        Range(lo,hi) the rounded value, taken when lo <= v <= hi
//        Short()      the rounded value as a 16-bit integer, via set
//        Only01()     only the numeric values 0 and 1
//        Text()       any text, also empty
//        NonEmpty()   via set: kept when not empty
//        MinLength(n) taken when at least n characters
//        CdFolder()   2 characters or more: taken; "1" taken; b = 0 empties;
//                     any other single character ignored
//        Single()     the numeric value
//        Ratio()      the numeric value; not above 0 becomes 1
//        WebAddress() any text, kept from its "//" on
//        None()       not a setting
// ---------------------------------------------------------------------------
#define COMMON_ACCESSOR_TABLE(X)                                                      \
  X(201, Setting201, Short201, "10", Short())                                         \
  X(202, DataPath, Text, nullptr /* the program folder */, MinLength(2))              \
  X(203, TestFilePattern, Text, "T*.txt", Text()) /* filled by the settings file */   \
  X(208, Setting208, Byte, "1", Byte(7))                                              \
  X(209, Setting209, Text, nullptr, CdFolder()) /* CD data folder */                  \
  X(210, TestFolder, Text, nullptr, CdFolder()) /* filled by the settings file */     \
  X(211, Setting211, Byte, "3", Byte(60))                                             \
  X(212, Setting212, Byte, "10", Byte(60))                                            \
  X(213, Setting213, Byte, "30", Byte(255)) /* filled by the settings file */         \
  X(214, Setting214, Byte, "0", Byte(255))                                            \
  X(281, Setting281, Short281, "1", Only01())                                         \
  X(292, AssignedPath, Text, nullptr, NonEmpty())                                     \
  X(293, AssignedHost, Text, nullptr, NonEmpty())                                     \
  X(294, Setting294, Text, "Nuvo", Text()) /* short product name */                   \
  X(300, Setting300, Text, "*╳>△^▽", MinLength(6)) /* score listing markers */        \
  X(301, Setting301, Single, "0.5", Ratio()) /* error weight */                       \
  X(303, Setting303, Single, "1", Single()) /* wrong count of an empty pair */        \
  X(305, Setting305, Byte, "1", Byte(255))                                            \
  X(306, Setting306, Byte, "2", Range(1, 10))                                         \
  X(307, Setting307, Byte, "0", Byte(255)) /* scorer byte setting */                  \
  X(399, Setting399, Byte, "0", Byte(1)) /* filled by the settings file */            \
  X(701, Setting701, Byte, "0", Byte(255))                                            \
  X(702, Setting702, Byte, nullptr, Byte(255))                                        \
  X(703, Setting703, Byte, nullptr, Byte(255))                                        \
  X(704, Setting704, Short704, "3", Short())                                          \
  X(705, Setting705, Byte, "1", Byte(255))                                            \
  X(706, Setting706, Byte, nullptr, Byte(255))                                        \
  X(707, Setting707, Text, nullptr, Text())                                           \
  X(801, Setting801, Byte, "0", Byte(1)) /* apply the pass mark */                    \
  X(803, Setting803, Byte, nullptr, Byte(2))                                          \
  X(881, Setting881, Byte, "0", Byte(255)) /* pass mark */                            \
  X(901, Setting901, Byte, "0", Byte(20)) /* filled by the settings file */           \
  X(902, Setting902, Byte, "0", Byte(20)) /* filled by the settings file */           \
  X(903, Setting903, Byte, "1", Byte(1)) /* filled by the settings file */            \
  X(904, Setting904, Byte, "0", Byte(6))                                              \
  X(905, Setting905, Byte, "2", Byte(2)) /* filled by the settings file */            \
  X(906, Setting906, Byte, nullptr, Byte(5))                                          \
  X(907, Setting907, Byte, "3", Byte(5))                                              \
  X(908, Setting908, Byte, nullptr, Byte(9))                                          \
  X(911, Setting911, Byte, "0", Byte(1))                                              \
  X(912, Setting912, Byte, "0", Byte(1))                                              \
  X(913, Setting913, Byte, "0", Byte(1))                                              \
  X(914, Setting914, Byte, "0", Byte(255)) /* kept, no reader */                      \
  X(915, FieldOrderFlags, Text, "12341110", Text())                                   \
  X(916, Setting916, Text, nullptr, Text())                                           \
  X(917, Setting917, Byte, nullptr, Byte(255))                                        \
  X(918, Setting918, Text, nullptr, Text())                                           \
  X(932, Setting932, Byte, "0", Byte(9)) /* filled by the settings file */            \
  X(933, Setting933, Byte, "0", Byte(255))                                            \
  X(978, Setting978, Byte, nullptr, Byte(255))                                        \
  X(979, Setting979, Text, nullptr, Text())                                           \
  X(980, Setting980, Byte, "0", Byte(255))                                            \
  X(981, Setting981, Text, nullptr, Text())                                           \
  X(982, Setting982, Text, nullptr, Text())                                           \
  X(983, Setting983, Byte, nullptr, Byte(255)) /* kept, no reader */                  \
  X(984, FtpServerSpec, Text, "ftp.example.org,21,dunro,kelpa", NonEmpty())           \
  X(985, Setting985, Text, nullptr, NonEmpty())                                       \
  X(986, Setting986, Text, nullptr, Text())                                           \
  X(988, Setting988, Text, nullptr, Text())                                           \
  X(989, FeatureDigits, Text, "4312000001110", Text())                                \
  X(992, Setting992, Byte, "1", Byte(255)) /* ContactInfo(99) */                      \
  X(994, Setting994, Text, "service@example.org", Text()) /* ContactInfo(1) */        \
  X(995, Setting995, Text, "//www.example.org/", WebAddress()) /* ContactInfo(2) */   \
  X(996, Setting996, Text, nullptr, Text()) /* ContactInfo(3) */                      \
  X(997, ProductTitle, Text, "Tavrel 聽打測驗系統 V2.7", Text())                      \
  X(998, MakerLine, Text, "Tavrel 製作群 (example.org)", Text())                      \
  X(999, Setting999, Byte, "0", Byte(1)) /* filled by the settings file */            \
  /* values of the run, not settings */                                               \
  X(0, TestNumber, Byte, nullptr, None())                                             \
  X(0, PartChoice, Byte, nullptr, None()) /* third value of 系統屬性 */               \
  X(0, DownloadFieldText, Text, nullptr, None())                                      \
  X(0, TestRunState, Byte, nullptr, None())                                           \
  X(0, SettingsBase, Text, nullptr, None()) /* settings file path less extension */   \
  X(0, ProgramFolder, Folder, nullptr, None()) /* ends with "/" */                    \
  X(0, RunModeFlag, Byte, nullptr, None())

// Slot numbers of the accessors, in table order.
enum class AccessorSlot : int {
#define COMMON_ACCESSOR_SLOT(number, name, kind, def, rule) name,
  COMMON_ACCESSOR_TABLE(COMMON_ACCESSOR_SLOT)
#undef COMMON_ACCESSOR_SLOT
      Count
};

namespace detail {
StoreValue& accessorValue(AccessorSlot slot);
float& colourSlot(int index);  // bounded to 0..8
void ResetAccessors();
}  // namespace detail

class ByteAccessor {
 public:
  constexpr explicit ByteAccessor(AccessorSlot s) : slot_(s) {}
  std::uint8_t get() const;
  std::uint8_t set(int v) const;
  AccessorSlot slot() const { return slot_; }

 private:
  AccessorSlot slot_;
};

// A 16-bit value stored when Lo <= v < Hi.
template <int Lo, int Hi>
class ShortAccessor {
 public:
  constexpr explicit ShortAccessor(AccessorSlot s) : slot_(s) {}
  std::int16_t get() const {
    const auto& v = detail::accessorValue(slot_).variant();
    return std::holds_alternative<std::int16_t>(v) ? std::get<std::int16_t>(v) : std::int16_t(0);
  }
  std::int16_t set(int v) const {
    if (v >= Lo && v < Hi && v >= -32768) detail::accessorValue(slot_) = StoreValue(std::int16_t(v));
    return get();
  }
  AccessorSlot slot() const { return slot_; }

 private:
  AccessorSlot slot_;
};
using Short201Accessor = ShortAccessor<0, 250>;        // a byte argument
using Short281Accessor = ShortAccessor<-32768, 250>;
using Short704Accessor = ShortAccessor<-32768, 32700>;

class TextAccessor {
 public:
  constexpr explicit TextAccessor(AccessorSlot s) : slot_(s) {}
  QString get() const;
  QString set(const QString& v) const;
  AccessorSlot slot() const { return slot_; }

 protected:
  AccessorSlot slot_;
};

// The program folder: always ends with "/". Before LoadSettings sets it, the
// installation folder of the platform layer.
class FolderAccessor : public TextAccessor {
 public:
  using TextAccessor::TextAccessor;
  QString get() const;
  QString set(const QString& v) const;
};

class SingleAccessor {
 public:
  constexpr explicit SingleAccessor(AccessorSlot s) : slot_(s) {}
  float get() const;
  float set(double v) const;
  AccessorSlot slot() const { return slot_; }

 private:
  AccessorSlot slot_;
};

#define COMMON_ACCESSOR_OBJECT(number, name, kind, def, rule) \
  inline constexpr kind##Accessor name{AccessorSlot::name};
COMMON_ACCESSOR_TABLE(COMMON_ACCESSOR_OBJECT)
#undef COMMON_ACCESSOR_OBJECT

// The same value as PartChoice under the name the set-up screen uses.
inline constexpr const ByteAccessor& SessionAttr3 = PartChoice;

// Colours of settings 401..408, 0x00BBGGRR.
class ScreenColorTable {
 public:
  float get(int index) const;
  // Stores a colour from 1 to 16777215; returns the slot's colour.
  float set(int index, double colour) const;
};
inline constexpr ScreenColorTable ScreenColor{};

// 99: setting 992 (byte); 1, 2, 3: settings 994, 995, 996 (texts);
// any other item: the empty value.
StoreValue ContactInfo(int item);

}  // namespace common
