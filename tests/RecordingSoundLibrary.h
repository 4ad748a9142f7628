// A test double of the sound library that records every call in order.
#pragma once

#include <string>
#include <vector>

// "GGSSetDevice(-1, 0)", "GGSStop()", "GGSFree()", in call order.
extern std::vector<std::string> SoundLibraryCalls;
