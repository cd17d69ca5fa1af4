// The test program's settings file as the batch scorer reads it at start-up,
// plain and scrambled, and the summary rules taken from it.
#include "batch/core/batch.h"
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  const QByteArray bytes = fuzz::Bytes(data, size);
  for (bool scrambled : {false, true}) {
    batch::ResetBatch();
    batch::Batch& b = batch::batch();
    b.settings.SetDefaults();
    b.settings.ApplySettingsFile(bytes, scrambled);
    (void)b.Rules();
    (void)b.settings.ProductTitle();
    for (int selector : {1, 2, 3, 99}) (void)b.settings.ContactInfo(selector);
    (void)b.settings.ProgramFolder();
  }
  batch::ResetBatch();
  return 0;
}
