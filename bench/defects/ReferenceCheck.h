#ifndef REFERENCECHECK_H
#define REFERENCECHECK_H

// Runs the encoder's whole upload sequence, the list merge and the CSV round
// trip on random lists against the step-by-step reference; prints the first
// difference to stderr and returns false when the fast paths disagree.
bool MatchesReference();

#endif
