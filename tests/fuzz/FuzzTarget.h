// What the image fuzzer does with one input, shared with the test that replays findings.
#pragma once

#include <cstdint>
#include <string>

enum class FuzzReader { Bmp, Jpeg, Shape, Picture, Doll };

// The reader an input's first byte chooses, by its remainder by five: 0 to 3 choose the
// readers they chose before doll files came.
FuzzReader ReaderOf(std::uint8_t selector);

// The name an input of that reader is written under (the Load readers go by the name).
const char* InputName(FuzzReader reader);

// Reads `fileName` as the program would (Load's readers, the shape reading, the reader of
// dropped pictures, or the unpacking of a doll file, which must give only level pictures
// within the limits); returns normally for a picture or one of the program's errors, and
// checks that a picture is consistent and that reading it twice over differently filled
// fresh memory gives the same bytes. Any other outcome is
// left to escape (an exception) or aborts.
void ReadLikeTheProgram(FuzzReader reader, const std::string& fileName);

// Makes ready the allocator fill that ReadLikeTheProgram's two loads use, so that a byte a
// reader never writes differs between them; aborts where that cannot be done. The first
// ReadLikeTheProgram does it too; call it first where other threads will allocate.
void PrepareFreshMemoryFill();
