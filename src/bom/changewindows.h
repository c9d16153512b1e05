#pragma once
// The windows of engineering changes: where a part is used, replacing a part
// everywhere, and comparing two bills with its printout. Each reads its
// fields and calls the bom engine for the work.
#include "bom/bomdiff.h"
#include "bom/replacepart.h"
#include "controls/dialogstyle.h"

class QLineEdit;
class QLabel;
class QTableWidget;

class CWhereUsed : public CDarkDialog
{
    Q_OBJECT
public:
    explicit CWhereUsed(const QString& part, QWidget* parent = nullptr);
    void find();
    QTableWidget* table() const { return m_table; }

private:
    QLineEdit* m_part = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_summary = nullptr;
};

class CReplacePart : public CDarkDialog
{
    Q_OBJECT
public:
    explicit CReplacePart(const QString& oldPart, QWidget* parent = nullptr);
    QLineEdit* newEdit() const { return m_new; }
    QTableWidget* table() const { return m_table; }
    // Lists the lines the replace would change; true when it may be made.
    bool preview();
    // Makes the replace the list shows; true when it was made.
    bool replace();

private:
    QLineEdit* m_old = nullptr;
    QLineEdit* m_new = nullptr;
    QLineEdit* m_assembly = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_summary = nullptr;
    ReplacePlan m_plan;
    bool m_changed = false;
};

class CCompareBills : public CDarkDialog
{
    Q_OBJECT
public:
    // Compares the assembly's previous revision with its bill now, when it has one.
    explicit CCompareBills(const QString& assembly, QWidget* parent = nullptr);
    bool compare();
    void print();
    QTableWidget* table() const { return m_table; }

private:
    QLineEdit* m_before = nullptr;
    QLineEdit* m_after = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_summary = nullptr;
    QString m_beforeLabel;
    QString m_afterLabel;
    std::vector<BomChange> m_changes;
};
