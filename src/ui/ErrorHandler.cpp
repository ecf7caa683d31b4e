#include "ErrorHandler.h"

#include "QtText.h"
#include "WMsgBox.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <new>

QString ApplicationTitle()
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}

TCp1252Text ErrorMessageText(const TCp1252Text& text)
{
    const std::string& bytes = text.Bytes();
    if (!bytes.empty() && static_cast<unsigned char>(bytes.back()) > '.')
        return TCp1252Text(bytes + '.');
    return text;
}

void ShowUnhandledError(const std::string& message)
{
    MessageBoxA(ErrorMessageText(ToCp1252Text(message)), ToCp1252Text(ApplicationTitle()),
                MsgBox::MB_ICONHAND | MsgBox::MB_OK);
}

void ShowCurrentException()
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        ShowUnhandledError("Nicht genug Arbeitsspeicher, um die Aktion auszuführen.");
    } catch (const std::exception& error) {
        ShowUnhandledError(error.what());
    } catch (...) {
        ShowUnhandledError("Unbekannter Fehler");
    }
}
