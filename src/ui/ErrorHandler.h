#pragma once

#include "Cp1252Text.h"

#include <QString>

#include <exception>
#include <string>
#include <utility>

// The application's title: the executable's file name without its
// extension, every letter after the first in lower case.
QString ApplicationTitle();

// The text of an error as the user sees it: "." appended when the last
// character's code lies above that of ".".
TCp1252Text ErrorMessageText(const TCp1252Text& text);

// The one place where an error that ended a user action is shown: a box with
// the application's title, the error icon and an OK button.
void ShowUnhandledError(const std::string& message);
// Shows the error that is being handled; call inside a catch block.
void ShowCurrentException();

// Wraps an event handler so that an error ends only that handler and is
// shown through ShowUnhandledError.
template <typename Handler>
auto Guarded(Handler handler)
{
    return [handler = std::move(handler)]() noexcept {
        try {
            handler();
        } catch (...) {
            ShowCurrentException();
        }
    };
}
