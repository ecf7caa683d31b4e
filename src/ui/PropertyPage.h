#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QPushButton;
class TCp1252LineEdit;
class TMySpeedButton;
class TPropertyListEditor;

// The tab page of status query 2, 3 or 4: the page request, the property
// list with its buttons for adding, changing, deleting and duplicating
// properties, and the two buttons that move a property up or down. The
// handlers work on this page's list.
class TPropertyPage : public QWidget {
    Q_OBJECT

public:
    // `statusQuery` is 2, 3 or 4.
    explicit TPropertyPage(int statusQuery, QWidget* parent = nullptr);

    TCp1252LineEdit* PageEdit() const { return m_pageEdit; }
    TPropertyListEditor* Editor() const { return VEditor; }

    // The request field stays with the window's editing controls; this sets
    // the list editor, its four buttons and, by the row-button rule, the
    // move buttons.
    void SetListEnabled(bool enable);

    void ValueAddBtnClick();
    void ValueEditBtnDblClick();
    void ValueDelBtnClick();
    void DupBtnClick();
    void RowUpBtnClick();
    void RowDownBtnClick();
    // The row-button rule: which move buttons of the page work.
    void ValueEditClick();
    void EnableUpButtons(bool on);
    void EnableDownButtons(bool on);

    // The names of the list, each once, in list order.
    std::vector<std::string> PropertyNames() const;
    // As the HTML code dialog would: the row of that name (ignoring case)
    // gets the code, otherwise the property is appended. The row is made
    // current.
    void TakeOverRule(const std::string& name, const std::string& code);

private:
    void ConnectHandlers();
    void MoveCurrentRow(int direction);

    TCp1252LineEdit* m_pageEdit = nullptr;
    TPropertyListEditor* VEditor = nullptr;
    QPushButton* ValueAddBtn = nullptr;
    QPushButton* ValueEditBtn = nullptr;
    QPushButton* ValueDelBtn = nullptr;
    QPushButton* DupBtn = nullptr;
    TMySpeedButton* RowUpBtn = nullptr;
    TMySpeedButton* RowDownBtn = nullptr;
};
