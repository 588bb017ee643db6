#include "world/tables.h"

void fill_gailv() {}
