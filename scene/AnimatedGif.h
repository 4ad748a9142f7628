// Animated GIF pictures made in memory: frames of true colour reduced to 256 colours with
// dithering (libimagequant), so that photos do not band, and written as a GIF that loops
// for ever (giflib).
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

// Encodes `frames`, all of one size, as a GIF that shows each for `delayMilliseconds`
// (in hundredths of a second, as GIF counts) and starts again after the last. Black stays
// exactly black. A library failure raises ETavoError with the library's reason.
std::vector<std::uint8_t> EncodeAnimatedGif(const std::vector<QImage>& frames,
                                            int delayMilliseconds);
