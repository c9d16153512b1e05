#pragma once
// Finds parts by a fragment of text and returns the part number picked.
#include <QDialog>

class QLineEdit;
class QTreeWidget;

class CPartSearch : public QDialog
{
    Q_OBJECT
public:
    explicit CPartSearch(const QString& searchText, QWidget* parent = nullptr);

    // The text passed in, or the part number chosen with OK.
    QString searchText() const { return m_searchText; }
    void Search();
    QTreeWidget* list() const { return m_list; }
    QLineEdit* field() const { return m_field; }

    void accept() override;

private:
    QString m_searchText;
    QLineEdit* m_field = nullptr;
    QTreeWidget* m_list = nullptr;
};
