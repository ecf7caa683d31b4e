#pragma once

#include "PropertyList.h"

#include <QTableWidget>

// A read-only two-column view of a property list: one row per line, name and
// HTML code, under the title row "Eigenschaft", "Wert". An empty list shows
// one blank row. The list itself is kept unchanged, so what goes in comes
// back out byte for byte.
class TValueListEditor : public QTableWidget {
    Q_OBJECT

public:
    explicit TValueListEditor(QWidget* parent = nullptr);

    const TPropertyList& Strings() const { return m_strings; }
    void SetStrings(const TPropertyList& strings);
    void Clear() { SetStrings({}); }

private:
    void ShowRows();

    TPropertyList m_strings;
};
