// Laying the transparent parts of a picture on white, as on paper.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>

// Lays `width` pixels of blue, green, red and unpremultiplied alpha (Format_ARGB32's bytes) on
// white, in place, blending each sample as c·a/255 + 255·(1 − a/255), rounded; every alpha
// byte becomes 0xFF, so that the row is one of Format_RGB32.
void LayRowOnWhite(std::uint8_t* pixels, int width);

// What a reader does with a picture's transparent parts: lays them on white, as for a skin,
// or keeps them, as for a sticker.
enum class TAlpha { LaidOnWhite, Kept };

// Turns `picture` into the format a reader returns, converting in place where Qt can:
// Format_RGB32 with its transparent parts laid on white, or Format_ARGB32 (unpremultiplied)
// with its alpha kept. Raises the invalid-bitmap error naming `fileName` when memory runs out.
void FinishAlpha(QImage& picture, const std::string& fileName, TAlpha alpha);
