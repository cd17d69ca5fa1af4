#pragma once
// The four settings only the scorer reads. The values live in the common
// accessor table (300, 301, 303, 307), which applies the settings file's
// acceptance rules; these are the names the scorer reads them by.
#include <QString>
#include <cstdint>

namespace scorer {

// Setting 300: the marker characters of the typed-text report.
QString GetScorerText();
// Setting 301: the error weight (a settings value not above 0 is kept as 1).
float GetScorerRatioA();
// Setting 303: the wrong count of an empty typed line without a test line.
float GetScorerRatioB();
// Setting 307: 1 makes leaving the score sheet ask whether to end. A value
// below 250 is stored first; 250 to 255 only read.
std::uint8_t ScorerByteSetting(int value = 255);

}  // namespace scorer
