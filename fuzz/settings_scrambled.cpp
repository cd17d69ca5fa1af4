// The scrambled settings file: each line unscrambled on its own.
#include "fuzz/settings_body.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::SettingsFile("Tavrel.Ixi", data, size);
  return 0;
}
