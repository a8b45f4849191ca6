// frmMain: the preferences dialog.

#include "desktop/main/frm_main.h"

#include "desktop/core/modal_runner.h"
#include "desktop/dialogs/frm_preferences.h"

// Shows a new preferences dialog modally, without an owner, and answers
// whether it changed the stored settings (the caller then re-applies the
// grid layout and searches again).
bool frmMain::ShowPreferencesDialog()
{
    frmPreferences dialog;
    RunModal(dialog);
    return dialog.IsPreferanceChange;
}
