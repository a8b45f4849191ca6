// frmMain: export of the file list.

#include "desktop/main/frm_main.h"

void frmMain::mnuExport_Click() {}
void frmMain::cmdExport_Click() {}
