#include "frontend/program.h"

int main() { return frontend::run_program(); }
