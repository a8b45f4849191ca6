#pragma once
// The outside TIFF page counter as the command-line run uses it.

#include "cli/mod_master.h"

// Creates one TiffPageCounter for the whole run (raises 429 when the class
// is not registered) and returns a function that counts the pages of one
// file with it: the count, negative when the file cannot be counted. A
// failing call raises a run-time error.
PageCountFunction MakeTiffPageCounter();

// The same, with the TiffPageCounter created on the first count: for runs
// that are not expected to count, so that they never load the counter.
PageCountFunction MakeTiffPageCounterOnFirstUse();

// What to do when the TiffPageCounter cannot be created (error 429): the
// command that registers its module for this user.
QString PageCounterRegistrationHint();
