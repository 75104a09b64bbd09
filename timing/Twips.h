#pragma once

// Window geometry is given in twips, as the layouts were designed; the screen takes 15 twips
// per pixel.
namespace Twips {

constexpr int px(int twips) {
    return twips / 15;
}

// Widths of the main window: normal, and widened for the wave-start buttons.
inline constexpr int NormalWidth = 9495;
inline constexpr int WaveWidth = 13035;

} // namespace Twips
