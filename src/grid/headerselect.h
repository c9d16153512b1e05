#pragma once
// Lets the user choose which columns of the current table the grid shows.
#include <QDialog>

class QListWidget;

class CHeaderSelect : public QDialog
{
    Q_OBJECT
public:
    explicit CHeaderSelect(int table, QWidget* parent = nullptr);
    QListWidget* list() const { return m_list; }
    // Writes the check marks into ColumnLayout and closes with OK.
    void accept() override;

private:
    int m_table;
    QListWidget* m_list = nullptr;
};
