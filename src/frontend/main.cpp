#include "console/program_environment.h"
#include "frontend/launch.h"

int main(int argc, char** argv) { return frontend::launch(console::command_line_arguments(argc, argv)); }
