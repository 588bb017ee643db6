#include "console/program_environment.h"
#include "frontend/launch.h"

int main(int argc, char** argv) {
  console::open_closed_standard_streams();
  return frontend::launch(console::command_line_arguments(argc, argv));
}
