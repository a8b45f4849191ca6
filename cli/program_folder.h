#pragma once
// The folder the running program stands in: its side files (the help text)
// and the module of its windows are found there. It needs no application
// object, so the program can ask before it has one.

#include <QString>

QString ProgramFolder();
