#pragma once
// Letting the program's window messages run in the middle of a long
// operation, so repaints, progress and button presses are not held up.

// Runs the queued window messages; does nothing without an application object.
void YieldToMessageLoop();
