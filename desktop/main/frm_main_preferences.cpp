// frmMain: the preferences dialog.

#include "desktop/main/frm_main.h"

bool frmMain::ShowPreferencesDialog() { return false; }
