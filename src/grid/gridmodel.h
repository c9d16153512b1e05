#pragma once
// The table grid's engine: which table is shown, how it is loaded, which
// columns the user sees, and every write the grid makes to the database.
// The window (CGridView) draws it and turns clicks and keys into calls here;
// koltctl drives the same calls from the command line.
//
// Rows are read on demand (CGridRows): the grid never holds a copy of a
// whole table, so sorting and the filter run in the database.
#include "core/commandids.h"
#include "db/database.h"
#include "db/gridtables.h"
#include "grid/errorcheck.h"
#include "grid/gridrows.h"

#include <QHash>
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

// How the last edit ended.
enum class EditResult { Unchanged, Changed, Refused, Failed };

// One cell change, kept so that it can be undone.
struct CellChange
{
    int table = 0;
    QString assembly;
    long long id = -1;
    QString heading;
    QString before;
    QString after;
    // A deleted record: its columns and values, written back by an undo.
    QStringList recordColumns;
    QStringList recordValues;
};

// One cell of a block written at once (paste, fill, clearing).
struct CellWrite
{
    int row = -1;
    int listColumn = -1;
    QString text;
};

class CGridModel : public QObject
{
    Q_OBJECT
public:
    CGridModel();

    static QString Title(int table);
    static QString LoadStatement(int table);

    // Loads or reloads a table: statement, layout, error check, rows.
    void Load(int table);
    void Reload() { Load(m_table); }
    // Reads the rows again as they are stored now (another desk wrote):
    // deleted records leave, new ones come, the columns stay as they are.
    void RefreshRows();
    // The whole statement of a table as shown (sorted, without the filter):
    // what a reader that wants every row runs.
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

    // --- rows, read on demand ---
    int rowCount() const { return m_rows.count(); }
    // Rows of the table (or the assembly's bill) before the filter.
    int totalRowCount() const { return m_totalRows; }
    QString rowId(int row) const;
    int rowOfId(long long id) const { return m_rows.rowOfId(id); }
    // Result columns: 0 is the record id, then the definition's fields.
    int columnCount() const { return static_cast<int>(m_headings.size()); }
    QString heading(int resultColumn) const { return m_headings.value(resultColumn); }
    QString cell(int row, int resultColumn) const;
    // Every row as shown (filter and order), read in one go for a reader
    // that needs them all (the CSV export); the grid itself keeps none.
    QueryResult ShownRows() const;
    unsigned errorWord(int row) const;
    const CErrorCheck& errorCheck() const { return m_errorCheck; }

    // --- filter: the rows holding the text in any shown column ---
    void SetFilter(const QString& text);
    QString filter() const { return m_filter; }

    // --- list columns (the shown columns, in result order) ---
    int listColumnCount() const { return static_cast<int>(m_listToResult.size()); }
    int resultColumn(int listColumn) const;
    int listColumnOf(int resultColumn) const;
    int actionCode(int listColumn) const;
    QString attribute(int listColumn) const;
    QString listHeading(int listColumn) const;
    // The heading of the list column as the table names it (untranslated).
    QString tableHeading(int listColumn) const { return heading(resultColumn(listColumn)); }
    bool isReadOnly(int listColumn) const;
    bool isErrColumn(int listColumn) const { return actionCode(listColumn) == 99; }
    EditorKind editorKind(int listColumn) const;
    QString cellText(int row, int listColumn) const;
    // The cell as shown: status, category and Make values in the user's language.
    QString displayText(int row, int listColumn) const;
    const std::vector<int>& listWidths() const { return m_listWidths; }
    // True for a list column whose width was never set (stored as automatic):
    // the window sizes it to what it shows.
    bool automaticWidth(int listColumn) const;
    // Display order after a load: list column 0 first, the saved order otherwise.
    const std::vector<int>& displayOrder() const { return m_displayOrder; }
    // Rows the load selected (search text) and the row to show, or -1.
    const QList<int>& rowsToSelect() const { return m_rowsToSelect; }
    int rowToShow() const { return m_rowToShow; }
    // The list column sorted by, -1 when the table keeps its own order.
    int sortListColumn() const;

    // First result column whose upper-cased heading contains the upper-cased key; -1.
    int FindColumnKey(const QString& key) const;
    // First list column whose heading contains key (exact case); 0 when none.
    int FindListColumn(const QString& key) const;

    // Items of a "LIST", "DROP" or "DBST" editor; for "DROP" also the item to preselect.
    QStringList EditorItems(int listColumn, int row, int* preselect = nullptr) const;

    // --- editing ---
    // The one write path of a cell; true when the cell changed. A write the
    // database refused is reported and the cell shows what it holds.
    bool UpdateCell(int listColumn, int row, const QString& text);
    // Commit of an editor's text: the bill-of-materials checks, then the cell,
    // and every selected row with it when the edited row is among them.
    bool CommitEdit(int listColumn, int row, const QString& text, const QList<int>& selectedRows);
    EditResult lastEditResult() const { return m_lastEdit; }
    // Copies source into folder (replacing a file of that name) and stores its
    // file name in the cell.
    bool AttachFile(int listColumn, int row, const QString& source, const QString& folder);
    // True when part is an assembly that uses assembly, directly or further up.
    bool IsParentAssembly(const QString& part, const QString& assembly);

    // Writes the cells as one undo step, each checked as if it were typed;
    // the first refusal stops the block and says which row and column.
    // Read-only cells are refused too, unless skipReadOnly (clearing a
    // selection passes over them). True when every cell was written.
    bool WriteCells(const std::vector<CellWrite>& writes, bool skipReadOnly = false);
    // A block of tab-separated lines from a spreadsheet, its top left cell at
    // row and the first of listColumns (the shown columns from there on).
    bool PasteBlock(int row, const std::vector<int>& listColumns, const QString& text);
    // The cells as tab-separated lines, one per row, as a spreadsheet copies them.
    QString CopyBlock(const QList<int>& rows, const std::vector<int>& listColumns) const;

    // Runs the error check again after an edit, so the marks of the edited
    // rows are current without an Error Check.
    void RecheckErrors();

    // --- undo of this session's edits, newest first ---
    bool CanUndo() const { return !m_undo.empty(); }
    // Writes the old values of the last edit back through UpdateCell; shows
    // the table it was made in first. False when there was nothing to undo
    // or the write failed.
    bool Undo();

    // --- record commands ---
    // Inserts a record with the table's defaults and reloads; false for
    // tables without an insert or when the statement failed.
    bool InsertRecord();
    // Asks "Are you sure?" (naming the bills that use a part first) and
    // deletes the rows; false when not confirmed or failed.
    bool DeleteRecords(const QList<int>& rows);
    // A heading click: sort by that column, descending first, then toggling.
    void SortByListColumn(int listColumn);
    // Rates of LabrList for the routing cost shown on load.
    void ComputeRoutingCost();

Q_SIGNALS:
    void parentCommand(int command);
    // A table was loaded: columns and rows are new.
    void loaded();
    // Same columns, other rows (sort, filter, a failed write).
    void rowsChanged();
    // A cell's text changed without a reload.
    void cellChanged(int row, int listColumn);
    // The filter was changed by the grid itself (cleared for an insert or undo).
    void filterChanged(const QString& text);
    // A line for the status bar: the check's summary, an undo, a failure.
    void status(const QString& text);

private:
    QString tableName() const;
    // The rows shown of the table, as the database layer reads them.
    GridScope scope(int table) const;
    bool sortsAsNumbers() const;
    QString columnOf(int resultColumn) const;
    bool refreshRows();
    void buildListColumns(int table);
    void selectSearchedRows();
    void statusAfterLoad();
    bool stamp(int row);
    bool addMasterRecord(const QString& heading, const QString& text, QStringList& notes);
    bool updateRoutingCost(int row);
    void setResultCell(int row, int resultColumn, const QString& text);
    EditResult writeCell(int resultColumn, int row, const QString& typed, QStringList& notes);
    void writeFailed();
    // The record is still there and its edited cell still holds what the
    // row shows; *othersChanged tells whether another cell changed meanwhile.
    bool recordAsShown(int row, int editedColumn, bool* othersChanged);
    // The change log's row for a stored edit, in the edit's transaction.
    bool logEdit(int row, const QString& heading, const QString& before, const QString& after);
    // The change log's rows for records about to be deleted.
    bool logDeletes(const QList<int>& rows);
    // The column holds a quantity the engines compute with (a bill line, an
    // allocation, a requirement, a stock figure).
    bool isQuantityColumn(const QString& heading) const;
    bool nextNumber(const char* key, int step, QString& number);
    bool refuseEdit(const QString& reason);
    bool restoreRecord(const CellChange& change);
    // The order numbers of deleted records of the purchase orders.
    static QStringList purchaseOrderNumbers(const std::vector<CellChange>& records);
    QString usageOfParts(const QList<int>& rows) const;

    int m_table = 0;
    int m_lastLoaded = -1;
    QStringList m_headings;
    QHash<QString, bool> m_tableHas; // column names the table really has
    CGridRows m_rows;
    int m_totalRows = 0;
    QString m_filter;
    bool m_sortNumeric = false;
    long long m_insertedId = -1; // the record InsertRecord added, until the next load
    CErrorCheck m_errorCheck;
    std::array<int, kMaxColumns> m_readOnly{};
    std::vector<int> m_listToResult;
    std::vector<int> m_listActionCodes;
    std::vector<int> m_listWidths;
    std::vector<bool> m_listAutomaticWidths;
    std::vector<int> m_displayOrder;
    QList<int> m_rowsToSelect;
    int m_rowToShow = -1;
    // Routing cost shown on load: LabrList's rate per resource.
    QHash<QString, QString> m_rateOf;
    int m_hoursColumn = -1, m_rateColumn = -1, m_costColumn = -1, m_resourceColumn = -1;
    bool m_showRoutingCost = false;
    // Rate and cost a resource edit wrote, by record id, until the next load.
    QHash<long long, std::pair<QString, QString>> m_routingWritten;
    EditResult m_lastEdit = EditResult::Unchanged;
    std::vector<std::vector<CellChange>> m_undo;
    std::vector<CellChange>* m_recording = nullptr;
    bool m_undoing = false;
    // Inside WriteCells: changes gather into one step, a refusal is kept
    // for the message that says where.
    std::vector<CellChange>* m_batch = nullptr;
    QStringList* m_batchNotes = nullptr;
    QString m_refusal;
    // The last write found its record deleted by another program.
    bool m_rowGone = false;
    bool m_rowChanged = false; // another program changed the record since it was shown
    QString m_changedBy;       // and who stamped it then, when the stamp moved
    QString m_changedAt;
};

// The keyword of an attribute text: its first four characters, upper-cased.
EditorKind EditorKindOf(const QString& attribute);
