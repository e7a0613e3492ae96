#pragma once
// Number text as the C library's atof reads it, without the C library: the plug-in
// carries no C run-time, yet a user's "AmountInGameplay=0.5" must mean exactly what
// it means to every C program.

namespace lumavale {

// Exactly strtod(text, nullptr) in the "C" locale: leading white space, one optional
// sign, decimal or hexadecimal digits with an optional exponent, "inf", "infinity",
// "nan" and "nan(chars)" in any case; parsing stops at the first character that cannot
// continue the number; no number gives 0.0; overflow gives an infinity of the sign.
double ParseNumberText(const char* text);

// Where strtod(text, &end) would leave `end`: just past the number ParseNumberText
// reads, or `text` itself when there is none.
const char* NumberTextEnd(const char* text);

// The amount a setting's text stands for: ParseNumberText rounded to single precision.
float ParseAmount(const char* text);

}  // namespace lumavale
