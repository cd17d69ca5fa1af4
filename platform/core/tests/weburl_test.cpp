#include <gtest/gtest.h>

#include "platform/core/weburl.h"

using plat::MailUrl;
using plat::WebUrl;

TEST(WebUrl, OnlyWebPagesWithAHost) {
  struct Case {
    const char* address;
    const char* url;  // empty: refused
  };
  const Case cases[] = {{"https://h.example/p?a=1", "https://h.example/p?a=1"},
                        {"www.example.org/x", "http://www.example.org/x"},
                        {"file:///etc/passwd", ""},
                        {"/etc/passwd", ""},
                        {"", ""},
                        {"http://", ""}};
  for (const Case& c : cases) {
    const QUrl u = WebUrl(c.address);
    EXPECT_EQ(u.isValid() ? u.toString() : QString(), QString(c.url)) << c.address;
  }
}

// Every window that opens a mail form asks this one check.
TEST(MailUrl, OnlyAPlainAddress) {
  struct Case {
    const char* address;
    bool taken;
  };
  const Case cases[] = {{"service@example.org", true},
                        {"  first.last+tag@mail.example.org ", true},
                        {"a@b@host", false},
                        {"@host", false},
                        {"name@", false},
                        {"no-at-sign", false},
                        {"a@b.c?cc=x@y.z", false},
                        {"a@b.c&subject=x", false},
                        {"a b@host", false},
                        {"a@host/path", false},
                        {"mailto:a@host", false},
                        {"", false}};
  for (const Case& c : cases) {
    const QUrl u = MailUrl(QString::fromUtf8(c.address), "s");
    EXPECT_EQ(u.isValid(), c.taken) << c.address;
    if (c.taken) {
      EXPECT_EQ(u.path(), QString::fromUtf8(c.address).trimmed());
    }
  }
}
