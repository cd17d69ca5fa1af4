#pragma once
// One settings file read as the programs read it, then saved back into (the
// save copies every other line byte for byte, so it reads the file too).
#include "common/settings.h"
#include "common/store.h"
#include "fuzz/support.h"

namespace fuzz {

inline void SettingsFile(const char* name, const std::uint8_t* data, std::size_t size) {
  const Input input = BeginInput();
  common::SeedSettingDefaults();
  const QString path = WriteInput(QString::fromLatin1(name), data, size);
  common::ReadIniFile(path);
  common::SystemIniValue(4499, path);
  common::SaveSetting(211, QStringLiteral("45"));
  common::SaveSetting(203, QStringLiteral("T*.txt"));
}

}  // namespace fuzz
