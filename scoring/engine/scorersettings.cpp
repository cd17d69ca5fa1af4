#include "scoring/engine/scorersettings.h"

#include <QCoreApplication>
#include <QStringList>

#include "common/accessors.h"
#include "common/store.h"

namespace scoring {

ScorerSettings ScorerSettings::FromStore() {
  ScorerSettings s;
  s.score.markers = common::Setting300.get();
  if (s.score.markers.size() < 6) s.score.markers = QStringLiteral("*╳>△^▽");
  s.score.ratioA = common::Setting301.get();
  if (!(s.score.ratioA > 0)) s.score.ratioA = 1.0f;
  s.score.ratioB = common::Setting303.get();
  s.score.text = &common::StoreText;
  s.writeFiles = common::SystemIniValue(7999).asInt() == 1;
  s.cleanUp = common::SystemIniValue(149).asInt() == 1;
  s.setting306 = common::Setting306.get();
  s.applyPassMark = common::Setting801.get() == 1;
  s.passMark = float(common::Setting881.get());
  s.setting905 = common::Setting905.get();
  s.setting916 = common::Setting916.get();
  s.setting918 = common::Setting918.get();
  s.setting701 = common::Setting701.get();
  s.productName = common::Setting294.get();
  s.productTitle = common::ProductTitle.get();
  const QStringList v = QCoreApplication::applicationVersion().split(u'.');
  if (v.size() >= 1 && !v[0].isEmpty()) s.versionMajor = v[0].toInt();
  if (v.size() >= 2) s.versionMinor = v[1].toInt();
  if (v.size() >= 3) s.versionRevision = v[2].toInt();
  return s;
}

}  // namespace scoring
