#pragma once
// The command-line help: the text file "Velmora-CommandLine-Help.txt"
// beside the program, shown in the help window when a display is there and
// printed to standard output otherwise.

#include <QString>

// The program folder + "/Velmora-CommandLine-Help.txt".
QString HelpFilePath();

// Reads the help text; false when the file cannot be read.
bool ReadHelpText(QString& text);
