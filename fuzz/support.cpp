#include "fuzz/support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "common/store.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"

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

void BeginInput() {
  Run& r = run();
  common::ResetCommonState();
  plat::SetProgramFolder(Folder());
  r.prompt.calls.clear();
  r.prompt.answers.clear();
  r.prompt.files.clear();
  r.prompt.colours.clear();
  plat::SetPrompt(&r.prompt);
  QDir d(r.dir.path());
  for (const QString& f : d.entryList(QDir::Files | QDir::Hidden | QDir::System)) d.remove(f);
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

}  // namespace fuzz
