#pragma once
// One candidate's score as the batch scorer holds it in memory: the score
// record of the scoring engine, whose codec reads and writes the file.
#include "scoring/engine/scorerecord.h"

namespace batch {

using ScoreRow = scoring::ScoreRecord;

// Result slots, numbered as the sort keys (key k is results[k - 1]).
enum Result : int { Correct = 0, Errors = 1, Net = 2, Accuracy = 3, ErrorRate = 4, Speed = 5 };

}  // namespace batch
