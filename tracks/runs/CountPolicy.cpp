#include "tracks/runs/CountPolicy.h"

#include <algorithm>

qint32 newValue(const CountPolicy &policy, CountMode mode, bool add, qint32 setCount, qint32 setCount2,
                qint32 current)
{
    // 64 bits hold any product and sum of 32-bit values here, so the bounds
    // are applied to the true result.
    qint64 value = 0;
    if (mode == CountMode::Set) {
        value = qint64(setCount) * policy.scale;
    } else {
        const qint64 step = qint64(setCount2) * policy.scale;
        value = add ? qint64(current) + step : qint64(current) - step;
    }
    return qint32(std::clamp<qint64>(value, policy.minimum, policy.maximum));
}
