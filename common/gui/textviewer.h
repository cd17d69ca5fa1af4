#pragma once
// The typed-text buttons of the scorers: the report in the desktop's viewer.
#include <QString>

namespace common {

// Shows the file in the desktop's viewer; without one, a box says that none
// is installed and where the file is. The reason, for the caller's log, or
// empty when it showed.
QString ShowTypedText(const QString& path);

}  // namespace common
