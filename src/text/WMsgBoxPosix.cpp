#include "WMsgBox.h"

int SystemMessageBox(const std::string& text, const std::string& caption, unsigned style)
{
    return ConsoleMessageBox(text, caption, style);
}
