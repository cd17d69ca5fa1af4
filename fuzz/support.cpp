#include "fuzz/support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

#include "common/store.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "testsupport/core/fakes.h"

namespace fuzz {

namespace {

// Qt's warnings for odd input would flood the fuzzer's output; FUZZ_VERBOSE
// brings them back when a finding is being looked at.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& msg) {
  if (type == QtFatalMsg) {
    fprintf(stderr, "%s\n", qPrintable(msg));
    abort();
  }
}

struct Run {
  int argc = 1;
  char name[8] = "fuzz";
  char* argv[2] = {name, nullptr};
  QCoreApplication app{argc, argv};
  QTemporaryDir dir{plat::TempFolder() + QStringLiteral("/fuzz-XXXXXX")};
  plat::FakePrompt prompt;

  Run() {
    if (!std::getenv("FUZZ_VERBOSE")) qInstallMessageHandler(quietMessages);
    if (!dir.isValid()) {
      fprintf(stderr, "fuzz: no scratch folder under %s\n", qPrintable(plat::TempFolder()));
      abort();
    }
    // Work files of the readers land in the scratch folder too.
    qputenv("TMP", QFile::encodeName(dir.path()));
  }
};

Run* theRun = nullptr;

Run& run() {
  if (!theRun) {
    theRun = new Run;  // never deleted: the fuzzer may end the process from any point
    std::atexit([] { theRun->dir.remove(); });
  }
  return *theRun;
}

}  // namespace

QString Folder() { return run().dir.path() + u'/'; }

Input::Input() : before_(QDir::currentPath()) { QDir::setCurrent(run().dir.path()); }
Input::~Input() { QDir::setCurrent(before_); }

Input BeginInput() {
  Run& r = run();
  common::ResetCommonState();
  plat::SetProgramFolder(Folder());
  r.prompt.calls.clear();
  r.prompt.answers.clear();
  r.prompt.files.clear();
  r.prompt.colours.clear();
  plat::SetPrompt(&r.prompt);
  QDir d(r.dir.path());
  for (const QFileInfo& f : d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
    if (f.isDir() && !f.isSymLink())
      QDir(f.filePath()).removeRecursively();
    else
      d.remove(f.fileName());
  }
  return Input();
}

QString WriteInput(const QString& name, const QByteArray& bytes) {
  const QString path = Folder() + name;
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
    fprintf(stderr, "fuzz: cannot write %s\n", qPrintable(path));
    abort();
  }
  return path;
}

QString WriteInput(const QString& name, const std::uint8_t* data, std::size_t size) {
  return WriteInput(name, Bytes(data, size));
}

QByteArray Bytes(const std::uint8_t* data, std::size_t size) {
  return QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

bool Inside(const QString& path) {
  if (path.isEmpty()) return true;
  const QString full = QDir::cleanPath(QFileInfo(plat::ToSlashes(path)).absoluteFilePath());
  const QString root = QDir::cleanPath(run().dir.path());
  return full.startsWith(root + u'/');
}

QString BaseName(const QString& path) {
  const QString p = plat::ToSlashes(path);
  return p.mid(p.lastIndexOf(u'/') + 1);
}

QList<QByteArray> Arrivals(const QByteArray& bytes) {
  QList<QByteArray> out;
  static const QByteArray cut = "\n%%\n";
  qsizetype from = 0;
  for (;;) {
    const qsizetype at = bytes.indexOf(cut, from);
    if (at < 0) break;
    out << bytes.mid(from, at - from);
    from = at + cut.size();
  }
  out << bytes.mid(from);
  return out;
}

void Settle(const std::function<bool()>& done, int rounds) {
  for (int i = 0; i < rounds && !done(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace fuzz
