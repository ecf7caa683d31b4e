#pragma once

#include "Cp1252Text.h"

#include <cstdint>
#include <functional>

// Every message and question of the program goes through ShowMsgBox. It
// computes the style of a Windows message box and hands it to the installed
// platform function, which shows the box and returns the pressed button.

enum TMsgBoxKind : std::uint8_t {
    mkError,
    mkInformation,
    mkQuestion,
    mkWarning,
    mkConfirmation,
};

enum TMsgBoxButton : std::uint8_t {
    btnAbortRetryIgnore,
    btnOK,
    btnOKCancel,
    btnRetryCancel,
    btnYesNo,
    btnYesNoCancel,
};

// A set of TMsgBoxButton, one bit per element. Bits 6 and 7 are ignored.
struct TMsgBoxButtons {
    std::uint8_t bits = 0;

    constexpr TMsgBoxButtons() = default;
    constexpr TMsgBoxButtons(TMsgBoxButton button) : bits(std::uint8_t(1u << button)) {}
    static constexpr TMsgBoxButtons FromBits(std::uint8_t bits)
    {
        TMsgBoxButtons set;
        set.bits = bits;
        return set;
    }
};

// Style bits and button ids of the Windows message box.
namespace MsgBox {
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_TYPEMASK = 0xF;
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;
constexpr unsigned MB_SETFOREGROUND = 0x10000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
} // namespace MsgBox

// Shows a modal box in front of the active window and returns the id of the
// pressed button.
using TMessageBoxFunction =
    std::function<int(const TCp1252Text& text, const TCp1252Text& caption, unsigned style)>;

// The desktop system's message box, the one that ShowMsgBox uses unless
// another function is installed: on Windows the modal box owned by the active
// window; elsewhere ConsoleMessageBox, as the core knows no window system
// there (the editor installs its own box).
int SystemMessageBox(const TCp1252Text& text, const TCp1252Text& caption, unsigned style);

// Writes the message to standard error and answers the box's safe choice (OK,
// Cancel, Abort or No): for console programs and tests, which must never wait
// for a box.
int ConsoleMessageBox(const TCp1252Text& text, const TCp1252Text& caption, unsigned style);

// Installs the function behind every message box; an empty function restores
// SystemMessageBox.
void SetMessageBoxFunction(TMessageBoxFunction function);

// Calls the installed function.
int MessageBoxA(const TCp1252Text& text, const TCp1252Text& caption, unsigned style);

unsigned MsgBoxStyle(TMsgBoxKind kind, TMsgBoxButtons buttons);
TCp1252Text MsgBoxCaption(TMsgBoxKind kind);

// An empty caption shows the caption of the kind. A message (UTF-8) comes
// here through ToCp1252Text.
int ShowMsgBox(const TCp1252Text& text, const TCp1252Text& caption = {},
               TMsgBoxKind kind = mkInformation, TMsgBoxButtons buttons = btnOK);
