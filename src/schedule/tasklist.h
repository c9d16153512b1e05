#pragma once
// The task list: the production tasks of every requirement in one table,
// filtered by status and resource; a task is marked done here one by one, or
// opened in the task editor.
#include <QDialog>

class QComboBox;
class QTableWidget;

class CTaskList : public QDialog
{
    Q_OBJECT
public:
    explicit CTaskList(QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }
    QComboBox* statusFilter() const { return m_status; }
    QComboBox* resourceFilter() const { return m_resource; }
    // Reads the tasks again with the filters chosen.
    void load();
    // Marks the selected tasks "Done"; the number marked.
    int markSelectedDone();

private:
    void openTask(int row);

    QComboBox* m_status = nullptr;
    QComboBox* m_resource = nullptr;
    QTableWidget* m_table = nullptr;
};
