// The test record as the scorer, the batch scorer and the set-up screen's
// read-back find it: plain and scrambled by the name rule.
#include "common/errorlog.h"
#include "fuzz/support.h"
#include "exam/record/recordmodule.h"
#include "exam/record/testrecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  for (const char* name : {"R0001.txt", "R0001.ttt"}) {
    const QString path = fuzz::WriteInput(QString::fromLatin1(name), data, size);
    rec::TestRecordContent content;
    QString error;
    int bad = 0;
    if (rec::ReadTestRecordFile(path, content, &error, &bad)) {
      for (const rec::RecordEntry& e : content.keys) (void)rec::KeyFromLabel(e.key);
      (void)content.Value(rec::RecordKey::SYST_ATT);
    }
    rec::TestRecordModule& m = rec::testRecordModule();
    m.Reset();
    rec::SetupValues setup;
    try {
      m.ReadTestRecord(path, setup);
    } catch (const common::AppError&) {
    }
  }
  return 0;
}
