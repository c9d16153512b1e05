#pragma once
// The table grid's engine: which table is shown, how it is loaded, which
// columns the user sees, and every write the grid makes to the database.
// The window (CGridView) draws it and turns clicks and keys into calls here;
// koltctl drives the same calls from the command line.
#include "core/commandids.h"
#include "db/database.h"
#include "grid/errorcheck.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

// The grid tells its parent about edits of the bill or the routing and deletes.
constexpr int kCmdGridEdited = kCmdTreeRefresh;

// Widths outside this range are not believed when a layout is applied.
constexpr int kMinColumnWidth = 2;
constexpr int kMaxColumnWidth = 1000;
constexpr int kFallbackColumnWidth = 50;
constexpr int kErrColumnWidth = 70;

// The editor a column's attribute asks for.
enum class EditorKind { None, Edit, List, Drop, Dbst, Picture, Document };

class CGridModel : public QObject
{
    Q_OBJECT
public:
    CGridModel();

    static QString Title(int table);
    static QString LoadStatement(int table);

    // Loads or reloads a table: statement, layout, re-map, error check.
    void Load(int table);
    void Reload() { Load(m_table); }
    QString BuildStatement(int table);

    // Called at the start of every load so the window can commit its editor
    // and hand its column widths and order back (SaveLayout).
    std::function<void()> beforeLoad;
    // Widths per list column and the display order (list columns in the
    // order they are shown), as the window holds them now.
    void SaveLayout(const std::vector<int>& listWidths, const std::vector<int>& displayOrder);

    // --- state ---
    int table() const { return m_table; }
    int lastLoadedTable() const { return m_lastLoaded; }
    QString currentAssembly;
    QString sortColumn;
    bool sortDescending = false;
    QString searchText;
    bool selectLast = false;
    QString newRecordNumber;
    QueryResult& result() { return m_result; }
    const QueryResult& result() const { return m_result; }
    int rowCount() const { return m_result.rowCount; }
    unsigned errorWord(int row) const;

    // --- list columns (the shown columns, in result order) ---
    int listColumnCount() const { return static_cast<int>(m_listToResult.size()); }
    int resultColumn(int listColumn) const;
    int actionCode(int listColumn) const;
    QString attribute(int listColumn) const;
    QString listHeading(int listColumn) const;
    bool isReadOnly(int listColumn) const;
    bool isErrColumn(int listColumn) const { return actionCode(listColumn) == 99; }
    EditorKind editorKind(int listColumn) const;
    QString cellText(int row, int listColumn) const;
    QString rowId(int row) const { return m_result.cell(row, 0); }
    const std::vector<int>& listWidths() const { return m_listWidths; }
    // True for a list column whose width was never set (stored as automatic):
    // the window sizes it to what it shows.
    bool automaticWidth(int listColumn) const;
    // Display order after a load: list column 0 first, the saved order otherwise.
    const std::vector<int>& displayOrder() const { return m_displayOrder; }
    // Rows the load selected (search text) and the row to show, or -1.
    const QList<int>& rowsToSelect() const { return m_rowsToSelect; }
    int rowToShow() const { return m_rowToShow; }

    // First result column whose upper-cased heading contains the upper-cased key; -1.
    int FindColumnKey(const QString& key) const;
    // First list column whose heading contains key (exact case); 0 when none.
    int FindListColumn(const QString& key) const;

    // Items of a "LIST", "DROP" or "DBST" editor; for "DROP" also the item to preselect.
    QStringList EditorItems(int listColumn, int row, int* preselect = nullptr) const;

    // --- editing ---
    // The one write path of a cell; true when the cell changed.
    bool UpdateCell(int listColumn, int row, const QString& text);
    // Commit of an editor's text: the bill-of-materials checks, then the cell,
    // and every selected row with it when the edited row is among them.
    bool CommitEdit(int listColumn, int row, const QString& text, const QList<int>& selectedRows);
    // Copies source into folder (replacing a file of that name) and stores its
    // file name in the cell.
    bool AttachFile(int listColumn, int row, const QString& source, const QString& folder);
    // True when part is an assembly that uses assembly, directly or further up.
    bool IsParentAssembly(const QString& part, const QString& assembly);

    // --- record commands ---
    // Inserts a record with the table's defaults and reloads; false for
    // tables without an insert or when the statement failed.
    bool InsertRecord();
    // Asks "Are you sure?" and deletes the rows; false when not confirmed or failed.
    bool DeleteRecords(const QList<int>& rows);
    // A heading click: sort by that column, descending first, then toggling.
    void SortByListColumn(int listColumn);
    // Routing cost for display only, from LabrList's rates.
    void ComputeRoutingCost();

Q_SIGNALS:
    void parentCommand(int command);
    void loaded();
    // A cell's text changed without a reload.
    void cellChanged(int row, int listColumn);

private:
    QString tableName() const;
    void remapToDefinition(int table);
    void buildListColumns(int table);
    void stamp(int row);
    void addMasterRecord(const QString& heading, const QString& text);
    void updateRoutingCost(int row);
    void setResultCell(int row, int resultColumn, const QString& text);
    bool updateCellUnchecked(int listColumn, int row, const QString& text);

    int m_table = 0;
    int m_lastLoaded = -1;
    QueryResult m_result;
    QueryResult m_second;
    CErrorCheck m_errorCheck;
    std::array<int, kMaxColumns> m_shown{};
    std::array<int, kMaxColumns> m_readOnly{};
    std::vector<int> m_listToResult;
    std::vector<int> m_listActionCodes;
    std::vector<int> m_listWidths;
    std::vector<bool> m_listAutomaticWidths;
    std::vector<int> m_displayOrder;
    QList<int> m_rowsToSelect;
    int m_rowToShow = -1;
};

// The keyword of an attribute text: its first four characters, upper-cased.
EditorKind EditorKindOf(const QString& attribute);
