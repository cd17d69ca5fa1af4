#include "batch/forms/remotecopy.h"

#include <QFileInfo>

#include "batch/core/files.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"

namespace batchui {

namespace {

QString OwnName(const QString& path) {
  const QString p = plat::ToSlashes(path);
  return p.mid(p.lastIndexOf(u'/') + 1);
}

}  // namespace

RemoteCopyResult RemoteCopy(const QString& remoteFolder, const QString& scoreFile, const QString& resultFile,
                            const RemoteCopyEnv& env) {
  auto text = [&](int id) { return env.text ? env.text(id) : QString(); };
  auto log = [&](const QString& s) {
    if (env.log) env.log(s);
  };
  RemoteCopyResult r;
  QString folder = plat::ToSlashes(remoteFolder);
  if (folder.endsWith(u'/')) folder.chop(1);
  if (folder.trimmed().isEmpty()) {
    // Never the root folder of this computer.
    log(QStringLiteral("沒有指定遠方的目錄,不複製>") + remoteFolder);
    return r;
  }
  const QString score = scoreFile.isEmpty() ? QString() : plat::ResolvePath(scoreFile);
  if (score.isEmpty() || !QFileInfo(score).isFile()) {
    log(QStringLiteral("沒有成績檔可複製到遠方>") + scoreFile);
    r.status = RemoteCopyStatus::NoScoreFile;
    return r;
  }
  const QString result = resultFile.isEmpty() ? QString() : plat::ResolvePath(resultFile);
  const bool withResult = !result.isEmpty() && QFileInfo(result).isFile();
  if (!withResult) log(QStringLiteral("沒有結果檔可複製到遠方>") + resultFile);

  const QString t = folder + u'/' + OwnName(score);
  r.resultTarget = withResult ? folder + u'/' + OwnName(result) : QString();
  log(QStringLiteral("本電腦的目錄是>") + folder);
  r.status = RemoteCopyStatus::Failed;
  for (r.attempts = 1; r.attempts <= env.attempts; ++r.attempts) {
    QString n = batch::NumberedFileName(t, 1);
    // The series' file in whatever letter case the share has it.
    if (!n.isEmpty()) n = plat::ResolvePath(n);
    log(QStringLiteral("偵測遠方的目錄是>") + n);
    if (!n.isEmpty()) {
      r.scoreTarget = n;
      QString why;
      bool ok = batch::CopyFileOver(score, n, &why);
      if (ok && withResult) ok = batch::CopyFileOver(result, r.resultTarget, &why);
      if (ok) {
        log(QStringLiteral("成功存到遠方的檔案是>") + n + (withResult ? u' ' + r.resultTarget : QString()));
        r.status = RemoteCopyStatus::Copied;
        return r;
      }
      log(QStringLiteral("無法存到遠方的檔案>") + why);
    }
    plat::prompt().Ask(text(10401), text(14001), plat::Buttons::Ok, plat::Icon::Exclamation);
  }
  r.attempts = env.attempts;
  return r;
}

}  // namespace batchui
