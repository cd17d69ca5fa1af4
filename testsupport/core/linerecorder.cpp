#include "testsupport/core/linerecorder.h"

namespace plat {

bool LineRecorder::PrintLine(const QString& line) {
  error_ = failWith;
  if (!failWith && failAtLine > 0 && lines.size() + 1 >= failAtLine) error_ = kPrinterError;
  if (error_) return false;
  lines << line;
  return true;
}

bool LineRecorder::PrintImage(const QImage&) {
  error_ = failWith;
  if (failWith) return false;
  ++imageCount;
  return true;
}

bool LineRecorder::EndDoc() {
  ++ended;
  error_ = failWith;
  if (failWith) return false;
  if (!lines.isEmpty()) docs << lines;
  lines.clear();
  return true;
}

void LineRecorder::KillDoc() {
  ++killed;
  lines.clear();
}

}  // namespace plat
