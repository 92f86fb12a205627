#pragma once

class MatchRecord;

namespace GridRules {

// Gives every bout row without an order number the number after the highest one found above
// it; numbers already present never change. Throws the conversion error at an order cell that
// is not a decimal integer (rows above keep the numbers just given).
void numberBouts(MatchRecord& record);

} // namespace GridRules
