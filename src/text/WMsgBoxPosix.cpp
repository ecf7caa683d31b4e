#include "WMsgBox.h"

int SystemMessageBox(const TCp1252Text& text, const TCp1252Text& caption, unsigned style)
{
    return ConsoleMessageBox(text, caption, style);
}
