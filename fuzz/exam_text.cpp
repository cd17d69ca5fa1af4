// The test text loaded into the line buffers, plain and scrambled, with the
// audio part names worked out as a run does.
#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/settings.h"
#include "fuzz/support.h"
#include "exam/record/recordmodule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  common::SeedSettingDefaults();
  common::Setting701.set(1);
  for (const char* name : {"T0001.txt", "T0001.ttt"}) {
    const QString path = fuzz::WriteInput(QString::fromLatin1(name), data, size);
    rec::TestRecordModule& m = rec::testRecordModule();
    m.Reset();
    rec::SetupValues setup;
    setup.option5 = true;
    try {
      m.LoadTestText(path, setup);
      for (int p = 0; p <= m.lines.ParagraphCount + 1; ++p) (void)m.ParagraphAudioFile(p);
      rec::BoxTexts boxes;
      for (int d : {rec::kPageDown, rec::kLineDown, rec::kPageDown, rec::kLineUp, rec::kPageUp})
        for (int layout : {0, 1})
          m.lines.ScrollTestLines(d, boxes, rec::LineLayout{layout, 2, 3});
    } catch (const common::AppError&) {
    }
  }
  return 0;
}
