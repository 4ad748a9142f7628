// The folder the program works in when it is started from the desktop's menu: made on the
// first start, with the sample doll copied in where a picture is missing. Nothing that is
// there already is ever replaced.
#pragma once

#include <string>

// The folder in the user's home that the menu entry uses: "$HOME/Kavinel".
std::string DollFolderPath();

// Makes `folder` (and its parents) unless it exists, and copies each of the doll's two
// pictures from `samples` that the folder lacks. Into a folder that held neither (a first
// start) it also copies the pictures of the sample's inner dolls ("シェイプ2.bmp",
// "テクスチャ2.bmp", …), each unless its name is taken. Raises the framework's file errors,
// naming the folder or file that failed.
void PrepareDollFolder(const std::string& folder, const std::string& samples);

// Whether `folder` holds a doll, or the start of one: either of its two pictures is there
// (under any kind of file), so that the program rather reports the one that is missing.
bool HoldsDoll(const std::string& folder);
