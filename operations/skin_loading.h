#pragma once
// The skin-loading steps every skinned window runs when it loads: the skin
// component "SkinKit.SkinFramework" is created through the object runtime and
// told, by dispatch identifier, to load "Styles/Vista.skin" from the program
// folder (2), to attach to the window (3) and to apply its options (property
// 1 := 3). The style sheet then stays on the window.

#include <QString>

class QWidget;
class ErrorTrap;

// The program folder + "/Styles/Vista.skin".
QString SkinFilePath();

// Runs the three steps for `window`. Raises the run-time error of a failing
// step. When `trap` is given, the steps are marked as statements
// firstLine, firstLine + 10 and firstLine + 20 of the caller.
void LoadSkin(QWidget* window, ErrorTrap* trap = nullptr, int firstLine = 0);
