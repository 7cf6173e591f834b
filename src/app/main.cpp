#include "app/AppMain.h"

int main(int argc, char** argv) { return RunQuendo(argc, argv); }
