#include "cache/TestModeFlags.h"

#include "geometry/HostNumbers.h"

namespace quelbrant {

TestModeFlags testModeFlags(double testMode)
{
    TestModeFlags flags;
    const std::optional<int> m = hostDoubleAsInt(testMode);
    if (!m || *m < 0)
        return flags;
    const auto bit = [&](int k) { return ((*m >> k) & 1) == 1; };
    flags.log = bit(0);
    flags.cmosMode = bit(3);
    flags.verboseLog = bit(4);
    flags.verificationReport = bit(5);
    return flags;
}

}  // namespace quelbrant
