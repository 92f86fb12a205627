#pragma once

#include <QString>

// Conversion of decimal text to an integer with the behaviour operators know from the old
// console: leading blanks are skipped, an optional sign, then digits only. Anything else
// throws UserError("'text' ist kein gültiger Integerwert").
int strToInt(const QString& text);

// Same rules, but gives `fallback` instead of throwing.
int strToIntDef(const QString& text, int fallback);

// The text of the conversion failure for `text`.
QString conversionErrorText(const QString& text);
