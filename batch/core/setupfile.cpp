#include "batch/core/setupfile.h"

#include <QStringList>

#include "batch/core/scoretable.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "exam/record/testrecord.h"

namespace batch {

QString SetupFile::AssignedPath(const QString& value) {
  if (!value.isEmpty()) assignedPath_ = value;
  return assignedPath_;
}

QString SetupFile::AssignedHost(const QString& value) {
  if (!value.isEmpty()) assignedHost_ = value;
  return assignedHost_;
}

int SetupFile::ByteSettingA(int value) {
  if (value >= 0 && value < 250) byteA_ = value;
  return byteA_;
}

int SetupFile::ByteSettingB(int value) {
  if (value >= 0 && value < 250) byteB_ = value;
  return byteB_;
}

void SetupFile::ParseSystemAttributes(const QString& list) {
  const QStringList parts = list.split(u',');
  auto take = [&](int index, int (SetupFile::*store)(int)) {
    if (index >= parts.size()) return;
    const auto b = plat::ToByte(plat::ValNumber(parts[index]));
    if (!b) {
      // Kept as it was: one odd attribute must not stop the delivery.
      log(QStringLiteral("系統屬性超出範圍>") + QString::number(index + 1) + u'=' + parts[index]);
      return;
    }
    (this->*store)(*b);
  };
  take(0, &SetupFile::ByteSettingA);
  take(8, &SetupFile::ByteSettingB);
}

void SetupFile::ApplyRecord(const rec::TestRecordContent& record, ScoreTable& table) {
  for (const rec::RecordEntry& e : record.keys) {
    const auto key = rec::KeyFromLabel(e.key);
    if (!key) continue;
    switch (*key) {
      case rec::RecordKey::SCORNAME:
        if (!e.value.trimmed().isEmpty()) table.ScoreFileName(plat::ResolvePath(e.value));
        break;
      case rec::RecordKey::PATHFILE: AssignedPath(e.value); break;
      case rec::RecordKey::NET_WORK: AssignedHost(e.value); break;
      case rec::RecordKey::SYST_ATT: ParseSystemAttributes(e.value); break;
      default: break;
    }
  }
}

bool SetupFile::ReadSetupFile(const QString& path, ScoreTable& table) {
  rec::TestRecordContent record;
  QString error;
  if (!rec::ReadTestRecordFile(path, record, &error)) {
    log(QStringLiteral("無法讀取測驗記錄檔>") + path);
    return false;
  }
  ApplyRecord(record, table);
  return true;
}

}  // namespace batch
