#pragma once

// How long the program's fades and slides take: the tool switch, the page
// change, the drop hint, the drop highlight and the back button all move at
// one pace.
namespace Motion {
inline constexpr int fadeMs = 250;
} // namespace Motion
