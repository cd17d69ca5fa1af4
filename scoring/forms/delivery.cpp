#include "scoring/forms/delivery.h"

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/filenames.h"
#include "common/store.h"
#include "platform/gui/form.h"
#include "scoring/engine/scorer.h"
#include "scoring/forms/scoresheet.h"

namespace scorer {

namespace {

struct DeliveryState {
  UploadStarter starter;
  bool inFlight = false;
  bool showingDelivered = false;  // the run's own delivery on its first sheet
  bool copied = false;
  bool uploaded = false;
  bool handedOver = false;  // the batch scorer was started to read this run's files
};

DeliveryState& D() {
  static DeliveryState d;
  return d;
}

// The sheet, when it is there (it may have been unloaded on the way out).
成績單* Sheet() {
  return plat::forms::exists<成績單>() ? &plat::forms::get<成績單>() : nullptr;
}

}  // namespace

bool CopyAsked() {
  switch (common::Setting908.get()) {
    case 1:
    case 4:
    case 6:
    case 7: return true;
    default: return false;
  }
}

bool UploadAsked() {
  switch (common::Setting908.get()) {
    case 2:
    case 5:
    case 6:
    case 7: return true;
    default: return false;
  }
}

bool TakeShowingDelivery() {
  if (D().showingDelivered) return false;
  D().showingDelivered = true;
  return true;
}

void SetUploadStarter(UploadStarter start) { D().starter = std::move(start); }

bool UploadAvailable() { return static_cast<bool>(D().starter); }

void StartUpload() {
  if (!D().starter) {
    common::WriteErrorLog(QStringLiteral("frmClient>not available: the result was not uploaded"));
    return;
  }
  D().starter();
}

void UploadAttemptStarted() {
  D().inFlight = true;
  if (成績單* s = Sheet()) s->setEnabled(false);
}

void UploadAttemptEnded(bool delivered) {
  D().inFlight = false;
  if (delivered) D().uploaded = true;
  GiveSheetBack();
}

bool UploadInFlight() { return D().inFlight; }

void NoteCopied() { D().copied = true; }
bool Copied() { return D().copied; }
bool Uploaded() { return D().uploaded; }

bool DeliveryOutstanding() { return (CopyAsked() && !D().copied) || (UploadAsked() && !D().uploaded); }

void HandOverToBatchIfAsked() {
  const int mode = common::Setting803.get();
  if (mode == 1 || (mode == 2 && common::TestNumber.get() > 2)) {
    scoring::ReturnToTypingProgram(0);
    D().handedOver = true;
  }
}

void EndScorer(bool exitCleanUp) {
  // The batch scorer reads the record, the score file and the result line
  // after this program has ended: they are not deleted under it.
  const bool handedOver = D().handedOver;
  const bool keep = DeliveryOutstanding() || handedOver;
  scoring::CleanUpAfterRun(keep);
  if (exitCleanUp && common::SystemIniValue(149).asInt() == 1) {
    const int records = handedOver ? 0 : 1;
    common::CleanTempFiles(1, records, records, keep ? 0 : 1, keep ? 0 : 1, 1);
    // Logged after the clean-up, which empties the error report too.
    if (handedOver)
      common::WriteErrorLog(QStringLiteral("CleanTempFiles>record, score and result files kept: handed to the batch scorer"));
    else if (keep)
      common::WriteErrorLog(QStringLiteral("CleanTempFiles>score and result files kept: their delivery did not succeed"));
  }
  plat::app().EndProgram(0);
}

void ResetDelivery() {
  DeliveryState& d = D();
  d.inFlight = false;
  d.showingDelivered = false;
  d.copied = false;
  d.uploaded = false;
  d.handedOver = false;
}

}  // namespace scorer
