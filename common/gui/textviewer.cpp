#include "common/gui/textviewer.h"

#include <QDir>
#include <QFileInfo>

#include "common/utilities.h"
#include "platform/gui/desktop.h"

namespace common {

QString ShowTypedText(const QString& path) {
  QString why;
  if (plat::ShowTextFile(path, &why)) return QString();
  const QString file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
  ShowMissingProgramMessage(why, QStringLiteral("打字稿在 %1,請監考人員用其他程式開啟。").arg(file));
  return why;
}

}  // namespace common
