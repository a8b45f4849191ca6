#pragma once

// Shows "About Stavren Control" modally when a GUI application is running
// and this is its thread; returns at once otherwise.
void ShowStavrenAboutDialog();
