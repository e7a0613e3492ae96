// LumavaleCheck.exe: the settings check as a console program. Everything it asks of
// the operating system goes through the plug-in's door (platform.h) and its own
// (system.h).

#include "checker/report.h"

int main(int argc, char** argv) { return lumavale::check::RunChecker(argc, argv); }
