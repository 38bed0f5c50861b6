// The little the program needs from its platform, kept apart from the portable code.
#pragma once

namespace orvgen {

// Makes the standard streams fit for bulk output: raw bytes with "\n" line ends, no
// buffering of their own (the program writes in large blocks), and a write to a closed
// pipe reported as an error rather than ending the process.
void PrepareStandardStreams();

}  // namespace orvgen
