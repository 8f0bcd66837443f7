#pragma once

// The diffraction entry's "Test Mode" parameter as a set of switches. The
// host types a whole number; flag k is on when (m / 2^k) % 2 == 1 with
// truncating division, so a negative number, NaN, or one no 32-bit int holds
// switches nothing on.

namespace quelbrant {

struct TestModeFlags {
    bool log = false;                 // bit 0
    bool cmosMode = false;            // bit 3
    bool verboseLog = false;          // bit 4
    bool verificationReport = false;  // bit 5
};

TestModeFlags testModeFlags(double testMode);

}  // namespace quelbrant
