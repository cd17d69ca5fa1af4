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

TEST(MailUrl, OnlyAPlainAddress) {
  EXPECT_FALSE(MailUrl("a@b.c?cc=x@y.z", "s").isValid());
  EXPECT_FALSE(MailUrl("", "s").isValid());
}
