// Which printer the programs print on.
#include <gtest/gtest.h>

#include "platform/core/lineprinter.h"
#include "testsupport/core/linerecorder.h"

namespace {

using plat::LineRecorder;

// Without a system printer (a test, a program before its windows) nothing
// prints and the error is the one a machine without a printer gives.
TEST(Printer, TheDefaultIsNeverReadyUntilTheSystemsIsSet) {
  plat::LinePrinter& none = plat::printer();
  EXPECT_FALSE(none.PrintLine("x"));
  EXPECT_EQ(none.LastError(), plat::kPrinterNotReady);
  EXPECT_TRUE(none.EndDoc());

  LineRecorder system, installed;
  plat::SetDefaultPrinter(&system);
  EXPECT_EQ(&plat::printer(), &system);
  plat::SetPrinter(&installed);
  EXPECT_EQ(&plat::printer(), &installed);
  plat::SetPrinter(nullptr);
  EXPECT_EQ(&plat::printer(), &system);
  plat::SetDefaultPrinter(nullptr);
  EXPECT_EQ(&plat::printer(), &none);
}

}  // namespace
