// The hot-key file "Key.Ini" of the program folder.
#include "common/hotkeys.h"
#include "common/settings.h"
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  common::SeedSettingDefaults();
  fuzz::WriteInput(QStringLiteral("Key.Ini"), data, size);
  if (common::LoadHotKeys()) {
    for (int column = -1; column <= common::HotKeyTable::kColumns; ++column)
      for (int row = 0; row < common::HotKeyTable::kRows; ++row)
        (void)common::HotKeyText(column, common::HotKeys().Code(row));
  }
  return 0;
}
