#pragma once
// What the batch scorer takes from the test record it is started with: the
// score file, the remote folder, the server host and two system attributes
// (the floppy-copy mode and the delivery mode).
#include <QString>
#include <functional>

namespace rec {
struct TestRecordContent;
}

namespace batch {

class ScoreTable;

class SetupFile {
 public:
  using Log = std::function<void(const QString&)>;
  explicit SetupFile(Log log = {}) : log_(std::move(log)) {}

  // Store a non-empty value; return the stored text.
  QString AssignedPath(const QString& value = {});
  QString AssignedHost(const QString& value = {});
  // Store a value below 250; 255 only reads. Return the stored byte.
  int ByteSettingA(int value = 255);
  int ByteSettingB(int value = 255);

  // Attributes 1 and 9 of the ","-separated list (the test program's settings
  // 904 and 908); the others are not used and not checked.
  void ParseSystemAttributes(const QString& list);

  // Reads the record (unscrambled by its name) and applies its keys; the
  // score file goes to the table. False, logged, when it cannot be read.
  bool ReadSetupFile(const QString& path, ScoreTable& table);
  // The same on a record already read.
  void ApplyRecord(const rec::TestRecordContent& record, ScoreTable& table);

 private:
  void log(const QString& line) const {
    if (log_) log_(line);
  }
  Log log_;
  QString assignedPath_;
  QString assignedHost_;
  int byteA_ = 0;
  int byteB_ = 0;
};

}  // namespace batch
