#pragma once

#include <string>

// The message box of the platform layer, on QMessageBox: the icon and the
// buttons follow the Windows style value, the owner is the active window (if
// any), and the result is the Windows id of the pressed button.
int QtMessageBoxA(const std::string& text, const std::string& caption, unsigned style);

// Makes QtMessageBoxA the function behind every ShowMsgBox.
void InstallQtMessageBox();
