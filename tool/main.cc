#include "tool/run_tool.h"

int main(int argc, char** argv) { return RunTool(argc, argv); }
