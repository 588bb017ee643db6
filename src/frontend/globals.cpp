#include "frontend/globals.h"

namespace frontend {

std::int32_t start = 0;
std::int32_t dt = 0;
bool devloper_mode = false;
// Code 1: the playthrough ended with its player gone and its world unsaved.
const std::vector<std::string> Errorstr{"the world was not saved"};

}  // namespace frontend
