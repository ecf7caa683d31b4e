#pragma once

#include "RouterFile.h"
#include "RouterList.h"

#include <QDialog>

#include <string>

class QComboBox;
class QLabel;
class QPushButton;

// Merging and exporting, for the window's two buttons below the tab pages.

// Writes the names of all routers, in list order, to `path`. Throws
// TFileError when the file cannot be written, or when it is the definitions
// file at `definitionsPath`, which the names would replace.
void ExportRouterNames(const QString& path, const TRouterList& routers, const std::string& definitionsPath);

// "Router hinzumischen": offers the routers of another definitions file, in
// file order, for taking one of them over. The dialog owns the routers it
// read for as long as it exists.
class TMergeRouterDlg : public QDialog {
    Q_OBJECT

public:
    explicit TMergeRouterDlg(QWidget* owner);
    ~TMergeRouterDlg() override;

    // Reads the file into the dialog's own list (a missing file is created
    // empty) and shows its routers with the first one selected; warns when
    // only the start of a damaged file could be read. Throws TFileError when
    // the file cannot be read; the list is then empty.
    void LoadRouters(const QString& path);
    const TRouterList& Routers() const { return m_routers; }
    // The record of the router picked in ComboBox1; TListIndexError with -1
    // when the list is empty.
    const TRouterEntry& SelectedRouter() const;

    // Abbrechen, Escape and closing the dialog end it with Cancel (2).
    void reject() override;

private:
    TRouterList m_routers{TRouterList::TOrder::Unsorted};
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* Button2 = nullptr;
};
