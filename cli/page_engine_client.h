#pragma once
// Whether the page engine can be created, as every operation of the run
// creates it.

#include <QString>

// Creates one page-engine control by its ProgID and releases it; raises
// 429 when it cannot be created (not registered for this user, or its
// module not loadable).
void CheckPageEngine();

// What to do when the page engine cannot be created (error 429): the
// command that registers its module for this user.
QString PageEngineRegistrationHint();
