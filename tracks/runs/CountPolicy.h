#pragma once

#include "protocol/LibraryProtocol.h"

#include <QtGlobal>

// What a Play Count or a Rating run writes: which library property, in what
// steps the user counts it (a play, a star), and the range the library keeps
// it in. The runs differ in nothing else.
struct CountPolicy
{
    const char *property; // the library's record key
    qint32 scale;         // library units per unit the user counts in
    qint32 minimum;
    qint32 maximum;
};

inline constexpr CountPolicy playCountPolicy{LibraryProtocol::Key::playedCount, 1, 0, 2147483647};
// Ratings go in stars of 20, up to five.
inline constexpr CountPolicy ratingPolicy{LibraryProtocol::Key::rating, 20, 0, 100};

enum class CountMode {
    Set = 0,           // every track gets setCount steps
    AddOrSubtract = 1, // every track's own value moves by setCount2 steps
};

// The value a run writes into a track that holds `current`: in Set mode
// setCount × scale; in AddOrSubtract mode current plus (add) or minus
// setCount2 × scale. Always within the policy's range, never wrapping: what
// would pass a bound stops at it.
qint32 newValue(const CountPolicy &policy, CountMode mode, bool add, qint32 setCount, qint32 setCount2,
                qint32 current);
