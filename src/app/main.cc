#include "app/program.h"

int main(int argc, char** argv) { return tarnik::RunProgram(argc, argv); }
