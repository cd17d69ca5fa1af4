#pragma once
// What the test run's screens share: the set-up screen's values (the set-up
// screen keeps them in step with its controls), the clock the test screen
// reads, and a few helpers for texts and messages.
#include <QString>

#include "common/store.h"
#include "exam/record/setupvalues.h"

namespace run {

class TestClock;

// The set-up screen's values for the run under way.
rec::SetupValues& SetupScreenValues();

// The test screen's clock: an AnchoredClock unless a test installed another
// (not owned; nullptr restores it).
TestClock& testClock();
void SetTestClock(TestClock* c);
// Anchors the built-in clock on the wall clock now (the test screen's load).
void AnchorTestClock();

// Text `number` of the numbered store.
using common::StoreText;
int StoreInt(int number);

// A message box titled with the product title; OK only.
void ShowMessage(const QString& text, bool warning = false);

// The volume buttons: starts the desktop's volume mixer; when there is none
// a message says so (and the error report, under the procedure's name).
void OpenVolumeMixer(const QString& procedure);

// True when an audio part's file is there (the name as built, any letter
// case of the file itself).
bool AudioFileExists(const QString& path);

// "ZZZZZZZZ.ZZZ" or empty: a part that is not there to be played.
bool IsNoPart(const QString& file);

}  // namespace run
