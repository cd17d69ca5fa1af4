#include "tests/e2e/installation.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>
#include <QtEndian>
#include <csignal>
#include <cstring>
#include <sys/types.h>

#include "platform/core/codec.h"
#include "platform/core/textfile.h"

namespace e2e {

namespace {

bool CopyTree(const QString& from, const QString& to, QString* error) {
  if (!QDir().mkpath(to)) {
    *error = QStringLiteral("cannot make ") + to;
    return false;
  }
  QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString src = it.next();
    const QString dst = to + QDir(from).relativeFilePath(src);
    QDir().mkpath(QFileInfo(dst).path());
    if (!QFile::copy(src, dst)) {
      *error = QStringLiteral("cannot copy ") + src;
      return false;
    }
  }
  return true;
}

// The process's own view of itself; empty once it is gone. A zombie counts
// as gone: it no longer runs, only waits for its parent.
QString LiveCommandLine(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return {};
  const QByteArray s = stat.readAll();
  const qsizetype close = s.lastIndexOf(')');
  if (close < 0 || close + 2 >= s.size() || s[close + 2] == 'Z' || s[close + 2] == 'X') return {};
  QFile cmd(QStringLiteral("/proc/%1/cmdline").arg(pid));
  if (!cmd.open(QIODevice::ReadOnly)) return {};
  return QString::fromLocal8Bit(cmd.readAll().replace('\0', ' '));
}

QString Field(const QByteArray& record, int& at, int width) {
  const QString text = plat::fromCp950(record.mid(at, width));
  at += width;
  return plat::trimTrailingBlanks(text);
}

}  // namespace

QStringList MissingPrograms(const QString& folder) {
  QStringList missing;
  for (const QString& p : kPrograms)
    if (!QFileInfo(QDir(folder).filePath(p)).isExecutable()) missing << p;
  return missing;
}

Installation::Installation() {
  // The programs name their folder as the system resolves it.
  root_ = QFileInfo(dir_.path()).canonicalFilePath();
  folder_ = root_ + QStringLiteral("/programs/");
  tmp_ = root_ + QStringLiteral("/tmp/");
  script_ = root_ + QStringLiteral("/script.txt");
  output_ = root_ + QStringLiteral("/output.txt");
}

Installation::~Installation() { StopAll(); }

bool Installation::Make(const QString& from, QString* error) {
  if (!dir_.isValid()) {
    *error = QStringLiteral("no temporary folder");
    return false;
  }
  const QString src = QDir(from).absolutePath() + u'/';
  QDir().mkpath(folder_);
  for (const QString& f : kPrograms + QStringList{QStringLiteral("Tavrel.Ini"), QStringLiteral("Key.Ini")}) {
    if (!QFile::copy(src + f, folder_ + f)) {
      *error = QStringLiteral("cannot copy ") + src + f;
      return false;
    }
  }
  if (!CopyTree(src + QStringLiteral("Data/"), folder_ + QStringLiteral("Data/"), error)) return false;
  QDir().mkpath(folder_ + QStringLiteral("NOTE"));
  QDir().mkpath(tmp_ + QStringLiteral("runtime"));
  QFile::setPermissions(tmp_ + QStringLiteral("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                              QFileDevice::ExeOwner);
  return true;
}

bool Installation::Install(const QString& cmake, const QString& buildTree, QString* error) {
  if (!dir_.isValid()) {
    *error = QStringLiteral("no temporary folder");
    return false;
  }
  prefix_ = root_ + QStringLiteral("/prefix");
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(cmake, {QStringLiteral("--install"), buildTree, QStringLiteral("--prefix"), prefix_});
  if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    p.kill();
    p.waitForFinished(5000);
    *error = QStringLiteral("cmake --install failed: ") + QString::fromLocal8Bit(p.readAll());
    return false;
  }
  folder_ = prefix_ + QStringLiteral("/bin/");
  QDir().mkpath(tmp_ + QStringLiteral("runtime"));
  QFile::setPermissions(tmp_ + QStringLiteral("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                              QFileDevice::ExeOwner);
  return true;
}

bool Installation::SetSettings(const QMap<int, QString>& values, QString* error) {
  const QString path = folder_ + QStringLiteral("Tavrel.Ini");
  QStringList lines;
  if (!plat::readTextLines(path, lines)) {
    *error = QStringLiteral("cannot read ") + path;
    return false;
  }
  static const QRegularExpression setting(QStringLiteral("^\\s*(\\d+)\\s*,([^=]*)="));
  QMap<int, QString> left = values;
  for (QString& line : lines) {
    const QRegularExpressionMatch m = setting.match(line);
    if (!m.hasMatch()) continue;
    const int number = m.captured(1).toInt();
    if (!values.contains(number)) continue;
    line = m.captured(0) + values[number];
    left.remove(number);
  }
  while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  for (auto it = left.cbegin(); it != left.cend(); ++it)
    lines << QStringLiteral("%1,e2e=%2").arg(it.key()).arg(it.value());
  if (!plat::writeTextLines(path, lines)) {
    *error = QStringLiteral("cannot write ") + path;
    return false;
  }
  return true;
}

void Installation::WriteScript(const QString& text) {
  QFile f(script_);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(text.toUtf8());
}

bool Installation::Start(const QString& program, const QStringList& arguments, qint64 deadlineEpochMs,
                         QString* error) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("TMP"), QDir::toNativeSeparators(tmp_.chopped(1)));
  env.insert(QStringLiteral("TMPDIR"), QDir::toNativeSeparators(tmp_.chopped(1)));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp_ + QStringLiteral("runtime"));
  env.insert(QStringLiteral("TAVREL_E2E_SCRIPT"), script_);
  env.insert(QStringLiteral("TAVREL_E2E_DEADLINE"), QString::number(deadlineEpochMs));
  // The test machines have no sound card: the parts play into the void
  // without the message that calls the proctor.
  env.insert(QStringLiteral("TAVREL_E2E_SILENT_AUDIO"), QStringLiteral("1"));
  // No sound server but one a test starts itself: the machine's is not
  // reached, and libpulse may not start one by itself.
  const QString noAutospawn = root_ + QStringLiteral("/pulse-client.conf");
  if (!QFileInfo::exists(noAutospawn)) {
    QFile conf(noAutospawn);
    const QByteArray text = "autospawn = no\n";
    if (!conf.open(QIODevice::WriteOnly) || conf.write(text) != text.size() || !conf.flush()) {
      conf.remove();
      *error = QStringLiteral("cannot write ") + noAutospawn;
      return false;
    }
  }
  env.insert(QStringLiteral("PULSE_CLIENTCONFIG"), noAutospawn);
  env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + root_ + QStringLiteral("/no-sound-server"));
  for (auto it = environment_.cbegin(); it != environment_.cend(); ++it) env.insert(it.key(), it.value());
  for (const QString& name : unset_) env.remove(name);
  first_ = std::make_unique<QProcess>();
  first_->setProcessEnvironment(env);
  first_->setWorkingDirectory(folder_);
  first_->setProcessChannelMode(QProcess::MergedChannels);
  first_->setStandardOutputFile(output_, QIODevice::Append);
  first_->start(folder_ + program, arguments);
  if (!first_->waitForStarted(10000)) {
    *error = program + QStringLiteral(" did not start: ") + first_->errorString();
    return false;
  }
  return true;
}

qint64 Installation::StartedPid() const {
  return first_ && first_->state() != QProcess::NotRunning ? first_->processId() : 0;
}

QList<Installation::Started> Installation::Starts() const {
  QList<Started> out;
  QFile f(script_ + QStringLiteral(".log"));
  if (!f.open(QIODevice::ReadOnly)) return out;
  for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n')) {
    const QStringList p = line.split(u' ');
    if (p.size() >= 4 && p[3] == QStringLiteral("start")) out.append({p[1], p[2].toLongLong()});
  }
  return out;
}

bool Installation::Logged(const QString& text) const {
  QFile f(script_ + QStringLiteral(".log"));
  return f.open(QIODevice::ReadOnly) && QString::fromUtf8(f.readAll()).contains(text);
}

int Installation::CountStarts(const QString& program) const {
  int n = 0;
  for (const Started& s : Starts()) n += s.program == program;
  return n;
}

bool Installation::AllEnded() const {
  if (first_ && first_->state() != QProcess::NotRunning) return false;
  for (const Started& s : Starts())
    if (LiveCommandLine(s.pid).startsWith(folder_)) return false;
  return true;
}

void Installation::StopAll() {
  if (first_ && first_->state() != QProcess::NotRunning) {
    first_->kill();
    first_->waitForFinished(5000);
  }
  // The programs started by the programs are not our children: each is
  // stopped by its id, once it is known to be one of this folder's.
  for (const Started& s : Starts())
    if (LiveCommandLine(s.pid).startsWith(folder_)) ::kill(static_cast<pid_t>(s.pid), SIGKILL);
}

QString Installation::Describe() const {
  QString out = QStringLiteral("--- script log ---\n");
  QFile log(script_ + QStringLiteral(".log"));
  if (log.open(QIODevice::ReadOnly)) out += QString::fromUtf8(log.readAll());
  QFile report(folder_ + QStringLiteral("ZetError.Txt"));
  if (report.open(QIODevice::ReadOnly)) {
    const QStringList lines = plat::fromCp950(report.readAll()).split(QStringLiteral("\r\n"));
    out += QStringLiteral("--- error report (end) ---\n") + lines.mid(qMax(0, lines.size() - 30)).join(u'\n');
  }
  QFile output(output_);
  if (output.open(QIODevice::ReadOnly)) {
    const QByteArray all = output.readAll();
    out += QStringLiteral("\n--- programs' output (end) ---\n") + QString::fromLocal8Bit(all.right(3000));
  }
  QStringList files;
  for (const QString& d : {folder_, tmp_})
    for (const QFileInfo& fi : QDir(d).entryInfoList(QDir::Files))
      files << QStringLiteral("%1 (%2)").arg(fi.filePath()).arg(fi.size());
  return out + QStringLiteral("\n--- files ---\n") + files.join(u'\n');
}

bool WaitUntil(const std::function<bool()>& condition, qint64 deadlineEpochMs) {
  for (;;) {
    QCoreApplication::processEvents();
    if (condition()) return true;
    if (QDateTime::currentMSecsSinceEpoch() > deadlineEpochMs) return false;
    QThread::msleep(200);
  }
}

bool ReadScoreRecords(const QString& path, QList<ScoreRecord>& out) {
  QByteArray bytes;
  if (!plat::readAllBytes(path, bytes)) return false;
  out.clear();
  for (qsizetype at = 0; at + 252 <= bytes.size(); at += 252) {
    const QByteArray r = bytes.mid(at, 252);
    ScoreRecord s;
    s.testNumber = qFromLittleEndian<qint16>(r.constData());
    int i = 2;
    s.name = Field(r, i, 20);
    s.identity = Field(r, i, 20);
    s.birthday = Field(r, i, 24);
    s.when = Field(r, i, 24);
    s.testFile = Field(r, i, 46);
    s.duration = Field(r, i, 12);
    for (float& v : s.results) {
      const quint32 bits = qFromLittleEndian<quint32>(r.constData() + i);
      std::memcpy(&v, &bits, sizeof v);
      i += 4;
    }
    s.answerFile = Field(r, i, 80);
    out << s;
  }
  return true;
}

QStringList ReadResultFields(const QString& path) {
  QStringList lines;
  if (!plat::readTextLines(path, lines) || lines.isEmpty()) return {};
  QStringList fields = lines.first().split(u'|');
  if (!fields.isEmpty() && fields.last().isEmpty()) fields.removeLast();  // the last field's "|"
  return fields;
}

}  // namespace e2e
