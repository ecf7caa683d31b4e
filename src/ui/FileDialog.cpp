#include "FileDialog.h"

#include <QFileDialog>

namespace {

TFileDialog::TAnswer g_answer;

} // namespace

void TFileDialog::SetFilter(const QString& description, const QString& pattern)
{
    m_filterDescription = description;
    m_filterPattern = pattern;
}

bool TFileDialog::Execute()
{
    const std::optional<QString> chosen = g_answer ? g_answer(*this) : Run();
    if (!chosen || chosen->isEmpty())
        return false;
    m_fileName = *chosen;
    return true;
}

void TFileDialog::SetAnswerForTesting(TAnswer answer)
{
    g_answer = std::move(answer);
}

std::optional<QString> TFileDialog::Run() const
{
    QFileDialog dialog(m_owner);
    if (m_kind == TKind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    // A name that does not exist yet may be typed in either dialog.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!m_filterPattern.isEmpty())
        dialog.setNameFilter(m_filterDescription + QStringLiteral(" (") + m_filterPattern + QLatin1Char(')'));
    if (!m_directory.isEmpty())
        dialog.setDirectory(m_directory);
    if (!m_fileName.isEmpty())
        dialog.selectFile(m_fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
