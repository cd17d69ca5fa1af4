#pragma once
// Check of a national identity number of the Republic of China (Taiwan):
// a letter, the sex digit 1 or 2, seven digits and a check digit.
#include <QString>

namespace common {

// True only for a valid number. `message` is always set: "輸入正確" when
// valid, else the text of the first check that failed. Letters are compared
// after ASCII upper-casing; full-width letters and digits (as a Chinese input
// method types them) count as their ASCII forms.
bool CheckNationalId(const QString& id, QString& message);

}  // namespace common
