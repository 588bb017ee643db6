#pragma once
// The words each voice has for a save file's problem (voices.cpp hands them
// to its voices).

#include <string>

#include "persistence/result.h"

namespace play {

std::string describe_zh(const persistence::Problem& problem);
std::string describe_en(const persistence::Problem& problem);
std::string describe_dev(const persistence::Problem& problem);

}  // namespace play
