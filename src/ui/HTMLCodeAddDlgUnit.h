#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <string_view>

class QPushButton;
class TCp1252LineEdit;
class TCp1252Memo;

// The dialog in which the name and the HTML code of one property are
// entered. Created for one use, run modally and destroyed right after. It
// has no default button: Enter in either field moves the focus on.
class THTMLCodeAddDlg : public QDialog {
    Q_OBJECT

public:
    // What Run returns.
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    explicit THTMLCodeAddDlg(QWidget* owner);

    // Texts are Windows-1252. A code that the user left as it was shown
    // comes back with exactly the bytes it was set with, line breaks
    // included.
    void SetName(std::string_view name);
    std::string Name() const;
    void SetCode(std::string_view code);
    std::string Code() const;

    // Shows the dialog modally, centred on the screen; mrOk or mrCancel.
    int Run();

    // While a hook is set, Run hands the dialog to it instead of showing it
    // modally and returns what the hook returns. For tests, which fill in
    // and answer the dialog in place of the user.
    using TRunHook = std::function<int(THTMLCodeAddDlg&)>;
    static void SetRunHook(TRunHook hook);

    void done(int result) override;
    // Escape and the frame's close box press Abbrechen.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void LabelEditExit();
    void TrimtextEdit();
    // Enter, whatever modifiers are held, moves the focus on.
    bool EnterKeyPress();
    // Leaving the field in focus, as a click on OK would.
    void ExitFocusedField();

    TCp1252LineEdit* LabelEdit = nullptr;
    TCp1252Memo* HTMLCodeEdit = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    std::string m_setCode;
    QString m_shownCode;
};
