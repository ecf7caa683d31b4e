#include "WMsgBox.h"

#include "Cp1252.h"

#include <iostream>
#include <utility>

using namespace MsgBox;

namespace {

int SafeDefaultAnswer(unsigned style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

TMessageBoxFunction& InstalledFunction()
{
    static TMessageBoxFunction function = SystemMessageBox;
    return function;
}

} // namespace

int ConsoleMessageBox(const TCp1252Text& text, const TCp1252Text& caption, unsigned style)
{
    std::cerr << ToUtf8(caption) << ": " << ToUtf8(text) << '\n';
    return SafeDefaultAnswer(style);
}

void SetMessageBoxFunction(TMessageBoxFunction function)
{
    InstalledFunction() = function ? std::move(function) : SystemMessageBox;
}

int MessageBoxA(const TCp1252Text& text, const TCp1252Text& caption, unsigned style)
{
    // Messages quote file names, router names and values as they came: the
    // box shows their control characters, never acts on them.
    return InstalledFunction()(TCp1252Text(EscapeControls(text.Bytes(), "\n")), caption, style);
}

unsigned MsgBoxStyle(TMsgBoxKind kind, TMsgBoxButtons buttons)
{
    static constexpr unsigned kindIcons[] = {MB_ICONEXCLAMATION, MB_ICONINFORMATION,
                                             MB_ICONQUESTION, MB_ICONHAND, MB_ICONQUESTION};
    static constexpr unsigned buttonValues[] = {MB_ABORTRETRYIGNORE, MB_OK, MB_OKCANCEL,
                                                MB_RETRYCANCEL, MB_YESNO, MB_YESNOCANCEL};
    unsigned style = MB_SETFOREGROUND;
    if (kind <= mkConfirmation)
        style += kindIcons[kind];
    for (unsigned bit = 0; bit < 6; ++bit) {
        if (buttons.bits & (1u << bit))
            style += buttonValues[bit];
    }
    return style;
}

TCp1252Text MsgBoxCaption(TMsgBoxKind kind)
{
    static const char* const captions[] = {"Fehler", "Information", "Frage", "Warnung", "Bestätigung"};
    return kind <= mkConfirmation ? ToCp1252Text(captions[kind]) : TCp1252Text();
}

int ShowMsgBox(const TCp1252Text& text, const TCp1252Text& caption, TMsgBoxKind kind,
               TMsgBoxButtons buttons)
{
    return MessageBoxA(text, caption.Empty() ? MsgBoxCaption(kind) : caption, MsgBoxStyle(kind, buttons));
}
