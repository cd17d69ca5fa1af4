#include <gtest/gtest.h>

#include "platform/gui/desktop.h"

// Refused before the desktop is asked: nothing starts for these.
TEST(Desktop, OpensNoOtherScheme) {
  for (const char* address : {"javascript:alert(1)", "ftp://host/file", "smb://host/share", "data:text/plain,x", ""})
    EXPECT_FALSE(plat::desktop().OpenUrl(QUrl(QString::fromLatin1(address)))) << address;
}
