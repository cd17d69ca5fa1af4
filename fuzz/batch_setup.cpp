// The test record the batch scorer is started with (plain and scrambled by
// the name rule): score file, remote folder, host and system attributes.
#include "batch/core/batch.h"
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  for (const char* name : {"R0001.txt", "~T090000.ttt"}) {
    batch::ResetBatch();
    batch::Batch& b = batch::batch();
    const QString path = fuzz::WriteInput(QString::fromLatin1(name), data, size);
    if (b.setup.ReadSetupFile(path, b.table)) {
      (void)b.setup.AssignedPath();
      (void)b.setup.AssignedHost();
      (void)b.setup.ByteSettingA();
      (void)b.setup.ByteSettingB();
      (void)b.table.ScoreFileName();
    }
  }
  batch::ResetBatch();
  return 0;
}
