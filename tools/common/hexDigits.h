// Hex digits of the tools' and the simulators' protocols, control channels and logs (kept apart
// from the product's own helpers, so they check the product rather than share its code).
#pragma once

// Value of one hex digit (either case), or -1.
inline int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
