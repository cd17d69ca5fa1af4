#include <gtest/gtest.h>

#include "common/nationalid.h"

using common::CheckNationalId;

namespace {
const char* const kOk = "輸入正確";
const char* const kLength = "國民身分證號碼必須是十碼。";
const char* const kLetter = "國民身分證號碼第一碼必須是英文字母。";
const char* const kSex = "輸入身分證號錯誤，第二碼只能是數字 1(男) 或 2(女)。";
const char* const kDigits = "輸入身分證號錯誤，第三碼至第十碼不是全部為數字。";
const char* const kChecksum = "輸入身分證號錯誤，請再檢查。";
}  // namespace

TEST(NationalId, VerdictAndMessageTable) {
  struct Case {
    const char* id;
    bool valid;
    const char* message;
  };
  const Case cases[] = {
      // Letters all over the table (I, O, W, X, Y, Z are out of order in it).
      {"A123456789", true, kOk},
      {"A200000003", true, kOk},
      {"I123456781", true, kOk},
      {"O200000006", true, kOk},
      {"W123456789", true, kOk},
      {"X123456787", true, kOk},
      {"Y200000002", true, kOk},
      {"Z123456780", true, kOk},
      {"a123456789", true, kOk},                     // upper-cased for the test
      {"Ａ１２３４５６７８９", true, kOk},           // full-width from an input method
      {"A123456788", false, kChecksum},              // check digit off by one
      {"A123456780", false, kChecksum},
      {"B123456789", false, kChecksum},
      {"A12345678", false, kLength},
      {"1ab", false, kLength},                       // length is checked before all else
      {"A1234567890", false, kLength},
      {"", false, kLength},
            {"1123456789", false, kLetter},
      {"é123456789", false, kLetter},
      {"A323456789", false, kSex},
      {"A023456789", false, kSex},
      {"A12345678x", false, kDigits},
      {"A1+2345678", false, kDigits},                // a sign reads as a number elsewhere
      {"A1 2345678", false, kDigits},
      {"A12345.678", false, kDigits},
      {"A1234567e1", false, kDigits},
      {"A1２345678٣", false, kDigits},               // Arabic-Indic digit is no ASCII digit
  };
  for (const Case& c : cases) {
    QString msg = QStringLiteral("stale");
    EXPECT_EQ(CheckNationalId(QString::fromUtf8(c.id), msg), c.valid) << c.id;
    EXPECT_EQ(msg, QString::fromUtf8(c.message)) << c.id;
  }
}
