#include "frontend/globals.h"

namespace frontend {

std::int32_t start = 0;
std::int32_t dt = 0;
bool devloper_mode = false;
const std::vector<std::string> Errorstr{};

}  // namespace frontend
