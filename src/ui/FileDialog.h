#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// A file-open or file-save dialog that keeps its settings between uses, as
// the window's OpenDialog and SaveDialog do: the file name chosen last is
// offered again next time. The save dialog appends no extension and asks
// nothing before an existing file is replaced.
class TFileDialog {
public:
    enum class TKind { Open, Save };

    TFileDialog(TKind kind, QWidget* owner) : m_kind(kind), m_owner(owner) {}

    TKind Kind() const { return m_kind; }
    // One filter entry, for instance "Textdateien" and "*.txt"; none by default.
    void SetFilter(const QString& description, const QString& pattern);
    const QString& FilterDescription() const { return m_filterDescription; }
    const QString& FilterPattern() const { return m_filterPattern; }
    void SetFileName(const QString& fileName) { m_fileName = fileName; }
    const QString& FileName() const { return m_fileName; }
    // The folder shown when no file name is preset.
    void SetDirectory(const QString& directory) { m_directory = directory; }
    const QString& Directory() const { return m_directory; }

    // Runs the dialog modally. True when the user chose a file, whose path
    // FileName then holds; false when the user cancelled.
    bool Execute();

    // In place of the dialog, every Execute asks `answer`, which returns the
    // chosen path or nothing for Cancel. Empty restores the dialog. For tests.
    using TAnswer = std::function<std::optional<QString>(const TFileDialog&)>;
    static void SetAnswerForTesting(TAnswer answer);

private:
    std::optional<QString> Run() const;

    TKind m_kind;
    QWidget* m_owner;
    QString m_filterDescription;
    QString m_filterPattern;
    QString m_fileName;
    QString m_directory;
};
