// The plain settings file.
#include "fuzz/settings_body.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::SettingsFile("Tavrel.Ini", data, size);
  return 0;
}
