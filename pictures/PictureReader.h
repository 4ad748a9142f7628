// Reading a picture of any common format, for pictures a person hands the program.
#pragma once

#include <QByteArray>
#include <QImage>
#include <functional>
#include <string>

// Reads PNG, JPEG, BMP, GIF (its first frame), WebP, TIFF and whatever else Qt's readers
// know, turned upright as the camera recorded it. Only a regular file is opened, and without
// waiting (see ImageFile). PNG goes to the PNG library row by row, BMP to the framework's own
// reader (with its alpha), JPEG to the JPEG library, the rest to Qt's readers over the file
// itself. Transparent parts are laid on white. Returns a Format_RGB32 picture in which every
// byte was written. Raises the file-open error or the invalid-bitmap error naming the file; a
// picture past the readers' size limit is refused before it is decoded.
// A JPEG is read at the smallest of the JPEG library's reduced sizes (1/8 to 8/8, straight
// from the blocks) whose upright size `largeEnough` accepts, or at full size when it accepts
// none or is empty; one whose data ends before the picture does is refused as cut short.
QImage ReadPicture(const std::string& fileName, const std::function<bool(QSize)>& largeEnough = {});

// The same, for a sticker: transparent parts are kept, giving a Format_ARGB32 picture
// (unpremultiplied) in which every byte was written; a JPEG is read at full size.
QImage ReadPictureWithAlpha(const std::string& fileName);

// A PNG held in memory (a picture pasted as image/png), read by the same PNG reader within the
// same limits, its alpha kept as ReadPictureWithAlpha keeps it. Raises the invalid-bitmap
// error naming `name`.
QImage ReadPngWithAlpha(const QByteArray& bytes, const std::string& name);
