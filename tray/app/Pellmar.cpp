// Pellmar: the tray program. Takes no arguments; everything happens in its windows.
#include "tray/app/TrayProgram.h"

int main(int argc, char** argv) { return pellmar::RunTrayProgram(argc, argv); }
