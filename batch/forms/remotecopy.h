#pragma once
// The copy of a run's score file and result file to the remote folder (a
// mounted share, given as a folder path): the score file goes onto the
// highest-numbered file of its series there, the result file under its own
// name. An unreachable folder or a failed copy is shown (text 10401) and
// tried again, three attempts in all.
#include <QString>
#include <functional>

namespace batchui {

struct RemoteCopyEnv {
  std::function<QString(int)> text;         // 10401, 14001
  std::function<void(const QString&)> log;  // the run log
  int attempts = 3;
};

enum class RemoteCopyStatus {
  NoFolder,     // no remote folder assigned: nothing tried
  NoScoreFile,  // this run has no score file: nothing to copy
  Copied,
  Failed,  // every attempt failed; shown each time
};

struct RemoteCopyResult {
  RemoteCopyStatus status = RemoteCopyStatus::NoFolder;
  QString scoreTarget;   // N, where the score file went (or would have)
  QString resultTarget;  // U, empty when there was no result file
  int attempts = 0;
};

RemoteCopyResult RemoteCopy(const QString& remoteFolder, const QString& scoreFile, const QString& resultFile,
                            const RemoteCopyEnv& env);

}  // namespace batchui
