#include "scoring/forms/scoreraccessors.h"

#include "common/accessors.h"

namespace scorer {

QString GetScorerText() { return common::Setting300.get(); }

float GetScorerRatioA() { return common::Setting301.get(); }

float GetScorerRatioB() { return common::Setting303.get(); }

std::uint8_t ScorerByteSetting(int value) { return common::Setting307.set(value); }

}  // namespace scorer
