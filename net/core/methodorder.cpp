#include "net/core/methodorder.h"

#include "platform/core/compat.h"

namespace net {

MethodStep MethodOrder::Revolve(QStringView order) {
  MethodStep step;
  const qsizetype letterAt = 2 * pair_ - 2;
  const QChar letter = letterAt >= 0 && letterAt < order.size() ? order[letterAt] : QChar();
  QString tag;
  if (letter == u'A') {
    current_ = Method::Ftp;
    tag = "A>";
  } else if (letter == u'B') {
    current_ = Method::Http;
    tag = "B>";
  } else if (letter == u'C') {
    current_ = Method::Tcp;
    tag = "C>";
  }
  if (!tag.isEmpty()) step.logLine = tag + QString::number(try_);

  const qsizetype digitAt = 2 * pair_ - 1;
  int tries = 0;
  if (digitAt >= 0 && digitAt < order.size() && order[digitAt].isDigit() && order[digitAt].unicode() < 128)
    tries = order[digitAt].unicode() - u'0';

  if (try_ < tries) {
    ++try_;
  } else {
    try_ = 1;
    const int pairs = static_cast<int>(plat::RoundHalfEven(order.size() / 2.0).value_or(0));
    if (pair_ < pairs) {
      ++pair_;
    } else {
      pair_ = 1;
      step.wrapped = true;
    }
  }
  return step;
}

}  // namespace net
