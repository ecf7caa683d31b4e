#pragma once

#include "Cp1252Text.h"

#include <QStringList>

// The message box of the platform layer, on QMessageBox: the icon and the
// buttons follow the Windows style value, the owner is the active window (if
// any), and the result is the Windows id of the pressed button.
int QtMessageBoxA(const TCp1252Text& text, const TCp1252Text& caption, unsigned style);

// Makes QtMessageBoxA the function behind every ShowMsgBox.
void InstallQtMessageBox();

// Names the buttons of the boxes shown from now on, in the order of the
// style's buttons, for a question that "Ja" and "Nein" would not make plain;
// an empty list brings the usual names back.
void SetMsgBoxButtonTexts(QStringList texts);
