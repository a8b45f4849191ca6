// frmMain: the handlers that belong to the file search, the result grid,
// the page commands, the export, the preferences dialog and the grid's
// context menu. They are wired to their buttons, menus and the folder tree
// already, and do nothing until their own files implement them: each later
// file takes its definitions out of this one.
//
//   file search        frm_main_search.cpp         cmdSearch_Click, cboFilterPattern_Click,
//                                                  ftvFolder_SelectionChange, FillComboBoxes
//   result grid        frm_main_grid.cpp           PrepareResultGrid, InitFiles, RefreshGrid,
//                                                  LoadGridColumns, getSelectedFileinfo
//   page commands      frm_main_page_commands.cpp  cmdSplit_Click, cmdAppendTifffile_Click,
//                                                  cmdDeleteTiffPage_Click
//   export             frm_main_export.cpp         mnuExport_Click, cmdExport_Click
//   preferences        frm_main_preferences.cpp    ShowPreferencesDialog
//   context menu       frm_main_context_menu.cpp   mnuCtx*_Click

#include "desktop/main/frm_main.h"

// Page commands.
void frmMain::cmdSplit_Click() {}
void frmMain::cmdAppendTifffile_Click() {}
void frmMain::cmdDeleteTiffPage_Click() {}

// Export.
void frmMain::mnuExport_Click() {}
void frmMain::cmdExport_Click() {}

// Preferences dialog: no dialog yet, so nothing changed.
bool frmMain::ShowPreferencesDialog() { return false; }

// Context menu.
void frmMain::mnuCtxOpen_Click() {}
void frmMain::mnuCtxOpenFolder_Click() {}
void frmMain::mnuCtxPrintFile_Click() {}
void frmMain::mnuCtxSelectAll_Click() {}
void frmMain::mnuCtxInvSelect_Click() {}
void frmMain::mnuCtxDeSelectAll_Click() {}
void frmMain::mnuCtxCheckSelection_Click() {}
void frmMain::mnuCtxUnCheckSelection_Click() {}
void frmMain::mnuCtxCheckInvertSelection_Click() {}
