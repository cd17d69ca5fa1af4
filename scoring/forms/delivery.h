#pragma once
// Delivery of the run's result (setting 908: copy, upload or both) and the
// ways out of the scorer.
//
// The upload window registers itself here; the score sheet starts it
// through StartUpload. While an attempt is in flight the sheet is disabled,
// so nobody can leave in the middle of an upload; the window reports the
// end of every attempt (completion, give-up, time-out, server close,
// cancel) through UploadAttemptEnded, which gives the sheet back.
#include <functional>

namespace scorer {

// What setting 908 asks of this run.
bool CopyAsked();    // 1, 4, 6, 7
bool UploadAsked();  // 2, 5, 6, 7

// The upload window's entry: shows the window and starts an attempt.
using UploadStarter = std::function<void()>;
void SetUploadStarter(UploadStarter start);
bool UploadAvailable();

// The delivery a run makes on its own when its sheet first shows: true the
// first time a run asks, false after. A resend is the person's (the upload
// window's send button, the right click on save).
bool TakeShowingDelivery();

// Called by the sheet. Without an upload window the attempt fails at once:
// "not available" goes to the error report and nothing counts as delivered.
void StartUpload();

// Called by the upload window when an attempt starts (the sheet is
// disabled) and when it ends (the sheet is enabled and shown again; a
// delivered result is remembered for the clean-up at exit).
void UploadAttemptStarted();
void UploadAttemptEnded(bool delivered);
bool UploadInFlight();

// What was delivered in this process.
void NoteCopied();
bool Copied();
bool Uploaded();
// A delivery setting 908 asked for has not succeeded (also when it was
// never tried): the score and result files must stay.
bool DeliveryOutstanding();

// Starts the batch scorer when setting 803 asks for it: 1, or 2 from the
// third test on.
void HandOverToBatchIfAsked();

// The end of the scorer. The run's own clean-up first; with `exitCleanUp`
// and setting 149 at 1 the work and result files go too, except the score
// and result files while a delivery is outstanding, and the record, score
// and result files once they were handed to the batch scorer. Then the
// program ends.
void EndScorer(bool exitCleanUp);

// Back to the start: a new scoring run (nothing of it delivered yet), or a
// test.
void ResetDelivery();

}  // namespace scorer
