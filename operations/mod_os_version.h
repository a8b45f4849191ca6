#pragma once
// ModOSVersion: operating-system version tests.

// True on the one platform release family whose write test mattered to the
// design; answered truthfully here: false.
bool IsWindowsVista() noexcept;
