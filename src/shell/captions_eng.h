// The English interface texts, set once at start-up over both windows' design texts.
#pragma once

namespace orvgen {

void ApplyCaptions();

}  // namespace orvgen
