#pragma once
// The parts of a test that the candidate did not hear, each with why. A test
// whose sound failed must not pass for a normal one: each failure goes into
// the error report when it happens, and the list of them when the test ends.
#include <QMap>
#include <QString>

namespace run {

class UnheardParts {
 public:
  void Clear() { parts_.clear(); }
  bool Empty() const { return parts_.isEmpty(); }
  // Notes part n (file) as not heard. The error report line to write, or
  // empty when the part was noted already.
  QString Note(int part, const QString& file, const QString& why);
  // Part n was heard whole after all (played again once the sound was back).
  void Forget(int part) { parts_.remove(part); }
  // The closing line of the error report: every part not heard and why;
  // empty when every part was heard.
  QString Summary() const;

 private:
  QMap<int, QString> parts_;  // part -> why
};

}  // namespace run
