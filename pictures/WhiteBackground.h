// Laying the transparent parts of a picture on white, as on paper.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>

// Lays `width` pixels of blue, green, red and unpremultiplied alpha (Format_ARGB32's bytes) on
// white, in place, blending each sample as c·a/255 + 255·(1 − a/255), rounded; every alpha
// byte becomes 0xFF, so that the row is one of Format_RGB32.
void LayRowOnWhite(std::uint8_t* pixels, int width);

// Turns `picture` into Format_RGB32, its transparent parts laid on white, converting in place
// where Qt can. Raises the invalid-bitmap error naming `fileName` when memory runs out.
void FlattenOnWhite(QImage& picture, const std::string& fileName);
