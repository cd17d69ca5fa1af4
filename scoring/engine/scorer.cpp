#include "scoring/engine/scorer.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSysInfo>
#include <cstdio>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <memory>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/store.h"
#include "common/utilities.h"
#include "platform/core/clock.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "exam/record/commandline.h"

namespace scoring {

namespace {

struct ScorerState {
  EngineLog* log = nullptr;
  ProgressSink* progress = nullptr;
  std::function<ScorerSettings()> settings;
  std::function<HostInfo()> host;
  std::unique_ptr<ScoringRun> run;
  std::uint8_t state = 0;
};

ScorerState& S() {
  static ScorerState s;
  return s;
}

EngineLog& Log() {
  static FileEngineLog files;
  return S().log ? *S().log : files;
}

ProgressSink& Progress() {
  static NullProgress none;
  return S().progress ? *S().progress : none;
}

}  // namespace

QString CrsErrorPath() { return plat::FindCaseInsensitive(common::ProgramFolder.get(), QStringLiteral("CrsError.Txt")); }

void WriteCrsError(const QString& text) noexcept {
  try {
    const QString path = CrsErrorPath();
    const QDateTime now = plat::clock().Now();
    QString line = text;
    if (line.isEmpty()) {
      if (QFileInfo::exists(path)) QFile::remove(path);
      line = QStringLiteral("開始> ") + now.toString(QStringLiteral("yyyy/M/d"));
    }
    const QString entry = now.toString(QStringLiteral("HH:mm:ss")) + u'>' + line;
    QString why, unlocked;
    if (!plat::appendTextLine(path, entry, &why, &unlocked)) {
      // Told once where it can be: in the other report, else on stderr.
      static bool told = false;
      if (!told) common::WriteErrorLog(QStringLiteral("無法寫入>") + path + u' ' + why);
      told = true;
      std::fprintf(stderr, "%s\n", entry.toLocal8Bit().constData());
    } else if (!unlocked.isEmpty()) {
      static QSet<QString> told;
      if (!told.contains(path))
        common::WriteErrorLog(QStringLiteral("評分記錄檔無法上鎖,不加鎖寫入>") + path + u' ' + unlocked);
      told.insert(path);
    }
  } catch (...) {
    // Best effort: the log never stops a scoring run.
  }
}

void FileEngineLog::ErrorLog(const QString& text) { common::WriteErrorLog(text); }

HostInfo LocalHostInfo() {
  HostInfo h;
  h.name = QSysInfo::machineHostName();
  h.address = QStringLiteral("127.0.0.1");
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) == 0) {
    for (ifaddrs* a = list; a; a = a->ifa_next) {
      if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
      if (!(a->ifa_flags & IFF_UP) || (a->ifa_flags & IFF_LOOPBACK)) continue;
      char buf[INET_ADDRSTRLEN] = {};
      const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
      if (inet_ntop(AF_INET, &in->sin_addr, buf, sizeof buf)) {
        h.address = QString::fromLatin1(buf);
        break;
      }
    }
    freeifaddrs(list);
  }
  return h;
}

void SetEngineLog(EngineLog* log) { S().log = log; }
void SetEngineProgress(ProgressSink* progress) { S().progress = progress; }
void SetSettingsSource(std::function<ScorerSettings()> source) { S().settings = std::move(source); }
void SetHostInfoSource(std::function<HostInfo()> source) { S().host = std::move(source); }

std::uint8_t ScoreState(int value) {
  if (value >= 0 && value < 250) S().state = std::uint8_t(value);
  return S().state;
}

LoadOutcome xZet_LoadData(const QString& recordFile, const QString& testFileOverride) {
  ScorerState& s = S();
  ScoreState(1);
  s.run = std::make_unique<ScoringRun>(s.settings ? s.settings() : ScorerSettings::FromStore(), Log(), Progress());
  const LoadOutcome out = s.run->Load(recordFile, testFileOverride);
  if (!out.ok) ScoreState(0);
  return out;
}

ProcessOutcome ProcessScoring() {
  ScorerState& s = S();
  if (!s.run || !s.run->loaded()) {
    ProcessOutcome out;
    out.failures << QStringLiteral("no record loaded");
    return out;
  }
  const HostInfo host = s.host ? s.host() : LocalHostInfo();
  ProcessOutcome out = s.run->Process(host);
  ScoreState(99);
  return out;
}

ScoringRun* CurrentRun() { return S().run.get(); }

QString RecordFileName() { return S().run ? S().run->recordFileName() : QString(); }
QString AnswerFileName() { return S().run ? S().run->answerFileName() : QString(); }
QString ScoreFileName() { return S().run ? S().run->scoreFileName() : QString(); }
QString ResultFileName() { return S().run ? S().run->resultFileName() : QString(); }
QString MarkedLinesFileName() { return S().run ? S().run->markedLinesFileName() : QString(); }

bool Test_Print() {
  const QString answer = AnswerFileName();
  const QString path = plat::ResolvePath(answer);
  if (answer.isEmpty() || !QFileInfo(path).isFile()) {
    common::ShowMissingFileMessage(answer);
    return false;
  }
  QStringList lines;
  int error = 0;
  if (!plat::readTextLines(path, lines)) {
    error = common::kPathFileAccess;
  } else {
    // The document is sent also after a line failed, as far as it got.
    plat::LinePrinter& p = plat::printer();
    for (qsizetype i = 0; error == 0 && i < lines.size(); ++i)
      if (!p.PrintLine(lines[i])) error = p.LastError();
    if (!p.EndDoc() && error == 0) error = p.LastError();
  }
  if (error == 0) return true;
  QString text;
  switch (error) {
    case 482: text = common::StoreText(13962); break;
    case 483: text = common::StoreText(13961); break;
    case 484: text = common::StoreText(13960); break;
    case 486: text = common::StoreText(13963); break;
    default: text = common::StoreText(13964) + QString::number(error); break;
  }
  plat::prompt().Ask(text, QString(), plat::Buttons::Ok);
  common::AppError err = common::MakeAppError(error, QStringLiteral("score"));
  Log().ErrorLog(common::ErrorTrapLine(QStringLiteral("Test_Print"), err));
  return false;
}

void ReturnToTypingProgram(int mode) {
  const rec::ProgramCommandLine line = rec::NextProgramCommandLine(
      mode, RecordFileName(), ScoreFileName(), common::SettingsBase.get(), common::ProgramFolder.get());
  if (!QFileInfo(line.Executable()).isFile()) return;
  Log().ErrorLog(QStringLiteral("正在返回打字的程式>") + line.Text());
  QString error;
  if (!rec::StartProgram(line, &error)) Log().ErrorLog(QStringLiteral("ReturnToTypingProgram>") + error);
}

void CleanUpAfterRun(bool keepScoreFiles) {
  if (S().run) S().run->CleanUpAfterUse(keepScoreFiles);
}

void ResetScorer() {
  S().run.reset();
  S().state = 0;
}

}  // namespace scoring
