#pragma once

#include <QString>
#include <cstdint>

// The integer a text field's text reads as, the way a desktop user expects a number field to
// read: leading blanks, an optional sign, then digits up to the first other character ("12s" is
// 12); 0 when there are none, clamped to the 32-bit range rather than wrapping.
int32_t IntegerValueOfText(const QString &text);
