// Conditions: what IFEX tests and ELSE looks back on.
#pragma once

namespace orvinta::engine {

// Evaluates a condition text (numbers compared, bits tested, texts compared without regard to
// case, or, with no operator, whether a file or folder exists), applies a leading "!", stores
// the outcome as the last condition and returns it. A text comparison cuts the text with a zero
// at its operator.
bool EvaluateCondition(char16_t* text);

}  // namespace orvinta::engine
