// frmMain: the result grid's context menu and the tick commands.

#include "desktop/main/frm_main.h"

void frmMain::mnuCtxOpen_Click() {}
void frmMain::mnuCtxOpenFolder_Click() {}
void frmMain::mnuCtxPrintFile_Click() {}
void frmMain::mnuCtxSelectAll_Click() {}
void frmMain::mnuCtxInvSelect_Click() {}
void frmMain::mnuCtxDeSelectAll_Click() {}
void frmMain::mnuCtxCheckSelection_Click() {}
void frmMain::mnuCtxUnCheckSelection_Click() {}
void frmMain::mnuCtxCheckInvertSelection_Click() {}
