#pragma once

#include <QString>

class Bout;

// The result columns of one bout row that the end-of-bout evaluation may write.
struct BoutResult
{
    QString punkterot;  // column 8
    QString punkteblau; // column 15
    QString sieg;       // column 16
};

namespace Evaluation {

// Sets the automatic win types: more than two cautions give the opponent "DV"; in Greco-Roman
// more than three passivities give the opponent "DS". Reads the counters of the last recount;
// announces the bout's change whether or not a win type was set.
void applyAutomaticCodes(Bout& bout);

// Decides win type and team points from the bout's win types, technical points and counters.
// `result` holds the row's current columns 8, 15, 16; what no rule decides stays as it was.
// Throws the conversion error when a technical-point text is not an integer.
void decide(const Bout& bout, BoutResult& result);

} // namespace Evaluation
