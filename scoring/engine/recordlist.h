#pragma once
// The list of stored test records for the entry form, and the copy of a
// run's four files to a removable drive.
#include <QString>
#include <QStringList>
#include <functional>

namespace scoring {

// One summary entry per file the pattern (folder included) matches:
// a0-a1-a2-a3-a4-file name, from the keys of texts 13901, 13904, 13905,
// 13906 or 13907, and 13911 (its numeric value). The form adds the entries
// to its list.
QStringList ScanTestRecordFiles(const QString& pattern);
QString ReadSessionSummary(const QString& path, const QString& fileName);

// Mount points of the removable drives, in a stable order. The default asks
// the system (block devices marked removable); tests install their own.
using DriveSource = std::function<QStringList()>;
void SetDriveSource(DriveSource source);
QStringList RemovableDriveRoots();

// The root of the removable drive after the first n that takes a probe file,
// or "" when there are not more than n or the probe failed (after its box).
QString CheckDriveWritable(int n);

// Copies the answer file, the marked-lines copy, the score file and the
// result file, those that exist, to the root of a writable removable drive;
// asks Retry/Cancel while there is none. 1 when the copy step ran, 0 when
// the user cancelled.
int CopyTestRecordFiles();

// The runtime's file error number for an errno value (61 disk full, 68
// device unavailable, 70 permission denied, 71 disk not ready, 53 file not
// found, else 75).
int RuntimeFileError(int errnoValue);

}  // namespace scoring
