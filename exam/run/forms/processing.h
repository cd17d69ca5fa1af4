#pragma once
// 處理下, the processing screen: after time-up or leave it has the test record
// written, starts the scorer, and ends the test program (handing over to
// the download window first when its network link is up).
#include <QPointer>
#include <QString>
#include <cstdint>

#include "platform/gui/form.h"

class QLabel;
class QLineEdit;

namespace plat {
class FormTimer;
}

namespace rec {
struct ProcessingNames;
}

namespace net {
class FrmDownload3;
}

namespace run {

class 處理下 : public plat::Form {
 public:
  處理下();

  QLineEdit* Text1;  // the test record's path (set by the set-up screen)
  QLineEdit* Text2;  // the result file name
  QLabel* Label1;
  plat::FormTimer* Timer1;  // 300 ms

  std::int16_t Counter = 0;
  // The record handed to the scorer (the path written, which may differ
  // from Text1 when the proctor chose another folder); empty when the
  // proctor went on without one.
  QString HandedOffRecord;

  void Timer1_Timer();
  void SetStateNine();

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Resize() override;

 private:
  void HandOver();
  // One try at the record; false when it was not written whole.
  bool WriteRecord(const rec::ProcessingNames& names);
  void Finish();

  QPointer<net::FrmDownload3> download_;
  bool waitingForDownload_ = false;
  bool settlingRecord_ = false;  // the record's boxes are up
};

}  // namespace run
