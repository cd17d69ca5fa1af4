#pragma once
// What a person reads of a system failure: the errors a desk meets in
// Traditional Chinese, the system's own text after them in brackets (it is in
// the C locale on most desks, and a helper may still want it).
#include <QString>

class QFileDevice;

namespace plat {

// An errno value: "磁碟空間不足(No space left on device)".
QString systemReason(int error);

// A file's failure: `error` (errno of the failing call) when it is set,
// else the kind of error the file reports, with its own text in brackets.
QString fileReason(const QFileDevice& f, int error = 0);

}  // namespace plat
