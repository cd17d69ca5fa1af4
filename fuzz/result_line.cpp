// The result line built from what came in from outside: the record's texts
// (names, numbers, file names) and a score record's results. The line must
// keep its shape whatever they hold: one "|" after each field, no line
// break, and the file must hold exactly the line.
#include <QDate>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "batch/core/summaryfile.h"
#include "fuzz/support.h"
#include "platform/core/codec.h"
#include "platform/core/textfile.h"
#include "scoring/engine/resultline.h"

namespace {

void fail(const char* what) {
  fprintf(stderr, "fuzz: result line: %s\n", what);
  abort();
}

void checkLine(const QString& line, const QStringList& fields) {
  if (line.contains(u'\r') || line.contains(u'\n')) fail("line break in the line");
  const QStringList parts = line.split(u'|');
  if (parts.size() != fields.size() + 1 || !parts.last().isEmpty()) fail("fields shifted");
  for (qsizetype i = 0; i < fields.size(); ++i)
    if (parts[i] != scoring::CleanResultField(fields[i])) fail("field changed beyond cleaning");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  // The first 24 bytes: six results as a score record holds them.
  std::array<float, 6> results{};
  const std::size_t head = std::min<std::size_t>(size, sizeof results);
  memcpy(results.data(), data, head);
  const QString text = plat::fromCp950(fuzz::Bytes(data + head, size - head));
  QStringList fields = text.split(u'\n');
  fields << text;  // one value with every line break in it

  auto field = [&](int i) { return fields[i % fields.size()]; };
  scoring::ScorerResultValues v;
  v.setting701 = fields.size() % 2;
  v.productName = field(0);
  v.testFile = field(1);
  v.name = field(2);
  v.identity = field(3);
  v.classSeat = field(4);
  v.birthday = field(5);
  v.speed = field(6);
  v.scoredAt = field(7);
  v.inputMethod = field(8);
  const QStringList scorer = scoring::ScorerResultFields(v);
  if (scorer.size() != scoring::kResultFieldCount) fail("scorer field count");
  checkLine(scoring::JoinResultFields(scorer), scorer);
  checkLine(scoring::JoinResultFields(fields), fields);

  batch::ResultLineValues b;
  b.subject = field(0);
  b.method = field(1);
  b.display.TEXT01 = field(2);
  b.display.TEXT02 = field(3);
  b.display.TEXT03 = field(4);
  b.display.TEXT06 = field(5);
  b.display.TEXT13 = field(6);
  b.summary.results = results;
  const QStringList batchFields = batch::BatchResultFields(b);
  if (batchFields.size() != scoring::kResultFieldCount - 1) fail("batch field count");
  const QString batchLine = batch::BatchResultLine(b);
  checkLine(batchLine, batchFields);
  (void)batch::SummaryRecordFrom(b.display, b.summary);

  const QString name = scoring::ResultFileNameFor(field(2), QDate(2024, 3, 5), int(fields.size()), field(3));
  if (!name.endsWith(QStringLiteral(".Sco"))) fail("result file name");
  (void)batch::BatchResultFileName(field(2), QDate(2024, 3, 5), qint64(fields.size()));

  // The file holds the line and its end, as CP950.
  const QString path = fuzz::Folder() + QStringLiteral("A123_03050101.Sco");
  if (scoring::WriteResultLineFile(path, batchLine)) {
    QByteArray got;
    if (!plat::readAllBytes(path, got)) fail("written file unreadable");
    if (got != plat::toCp950(batchLine) + "\r\n") fail("file differs from the line");
  }
  return 0;
}
