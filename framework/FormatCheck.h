// Checks a printf format text taken from the string table before it is
// used, so that a damaged or translated text cannot ask for arguments that
// are not passed, or for a width that makes the formatting allocate without
// bound. Pure code.
#pragma once

// True when the conversions of `format` are exactly `kinds` in order,
// literal "%%" aside: 'd' stands for one integer conversion (d, i, u, x or
// X), 's' for one %s. Flags may come first, then a width and a precision of
// at most two digits each (no precision on %s: it would cut the text);
// '*', length modifiers and any other conversion make it false.
bool FormatHasConversions(const char* format, const char* kinds);
