#include "grid/gridmodel.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/parameters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <set>

namespace {

const char* const kTitles[kTableCount] = {
    "Bill of Materials", "Part Table", "Vendor Table", "Assembly Steps Table", "Purchase Order",
    "Orders",            "Task Table", "Labor Table",  "Allocation Table",
};

const char* const kLoadStatements[kTableCount] = {
    "Select * from AssyList where Assy='%s'",
    "Select * from PartList",
    "Select * from VendList",
    "Select * from RescList where Assy='%s'",
    "Select * from PurcList",
    "Select * from ReqmList",
    "",
    "Select * from LabrList",
    "Select * from AlloList",
};

// The "/"-separated items of a LIST or DROP attribute: everything after its first "/".
QStringList attributeItems(const QString& attribute)
{
    QStringList pieces = attribute.split(QLatin1Char('/'));
    pieces.removeFirst();
    return pieces;
}

} // namespace

EditorKind EditorKindOf(const QString& attribute)
{
    const QString keyword = attribute.left(4).toUpper();
    if (keyword == QLatin1String("EDIT"))
        return EditorKind::Edit;
    if (keyword == QLatin1String("LIST"))
        return EditorKind::List;
    if (keyword == QLatin1String("DROP"))
        return EditorKind::Drop;
    if (keyword == QLatin1String("DBST"))
        return EditorKind::Dbst;
    if (keyword == QLatin1String("PICT"))
        return EditorKind::Picture;
    if (keyword.startsWith(QLatin1String("DOC")))
        return EditorKind::Document;
    return EditorKind::None;
}

CGridModel::CGridModel()
{
    m_shown.fill(1);
}

QString CGridModel::Title(int table)
{
    return table >= 0 && table < kTableCount ? QString::fromLatin1(kTitles[table]) : QString();
}

QString CGridModel::LoadStatement(int table)
{
    return table >= 0 && table < kTableCount ? QString::fromLatin1(kLoadStatements[table]) : QString();
}

QString CGridModel::tableName() const
{
    const QString& name = App().tables[m_table].name;
    return name.isEmpty() ? TableSqlName(m_table) : name;
}

QString CGridModel::BuildStatement(int table)
{
    QString statement;
    if (table == AssyList || table == RescList)
        statement = SqlFormat(kLoadStatements[table], {currentAssembly});
    else
        statement = LoadStatement(table);
    if (table == AssyList && sortColumn.isEmpty()) {
        sortColumn = QStringLiteral("Item");
        sortDescending = false;
    }
    if (table == RescList && sortColumn.isEmpty()) {
        sortColumn = QStringLiteral("Step");
        sortDescending = false;
    }
    // A sort column left over from another table would fail the whole load.
    if (!sortColumn.isEmpty() && sortColumn != QLatin1String("id")
        && FieldIndex(App().tables[table], sortColumn) < 0)
        sortColumn.clear();
    if (statement.isEmpty())
        return statement;
    if (!sortColumn.isEmpty()) {
        statement += QStringLiteral(" order by ") + sortColumn;
        if (sortDescending)
            statement += QStringLiteral(" desc");
    } else {
        sortDescending = false;
    }
    return statement;
}

void CGridModel::SaveLayout(const std::vector<int>& listWidths, const std::vector<int>& displayOrder)
{
    if (m_lastLoaded < 0 || m_lastLoaded >= kTableCount)
        return;
    TableColumnLayout& layout = App().ColumnLayout[m_lastLoaded];
    for (int lc = 0; lc < listColumnCount() && lc < static_cast<int>(listWidths.size()); ++lc)
        if (!isErrColumn(lc))
            layout[resultColumn(lc)].width = listWidths[lc];
    for (int i = 0; i < static_cast<int>(displayOrder.size()) && i < kMaxColumns; ++i)
        layout[i].position = displayOrder[i];
}

void CGridModel::remapToDefinition(int table)
{
    const TableDefinition& definition = App().tables[table];
    bool matches = m_result.columnCount == definition.fieldCount + 1;
    for (int c = 1; matches && c < m_result.columnCount; ++c)
        matches = m_result.headings[c] == definition.headings[c - 1];
    if (matches)
        return;

    QueryResult mapped;
    mapped.columnCount = std::min(definition.fieldCount + 1, kMaxColumns);
    mapped.rowCount = m_result.rowCount;
    mapped.headings[0] = QStringLiteral("id");
    std::vector<int> source(mapped.columnCount, -1);
    source[0] = 0;
    for (int c = 1; c < mapped.columnCount; ++c) {
        mapped.headings[c] = definition.headings[c - 1];
        for (int s = 1; s < m_result.columnCount; ++s)
            if (m_result.headings[s] == mapped.headings[c]) {
                source[c] = s;
                break;
            }
    }
    mapped.cells.resize(static_cast<size_t>(mapped.rowCount) * mapped.columnCount);
    for (int r = 0; r < mapped.rowCount; ++r)
        for (int c = 0; c < mapped.columnCount; ++c)
            if (source[c] >= 0)
                mapped.cells[static_cast<size_t>(r) * mapped.columnCount + c] = m_result.cell(r, source[c]);
    m_result = std::move(mapped);
}

void CGridModel::buildListColumns(int table)
{
    const TableDefinition& definition = App().tables[table];
    const TableColumnLayout& layout = App().ColumnLayout[table];
    m_listToResult.clear();
    m_listActionCodes.clear();
    m_listWidths.clear();
    m_listAutomaticWidths.clear();
    for (int c = 1; c < m_result.columnCount && c <= definition.fieldCount; ++c) {
        const QString& attribute = definition.attributes[c - 1];
        const QString heading = Translate(m_result.headings[c]);
        const bool err = heading == QLatin1String("Err");
        const bool shown = err || (attribute != QLatin1String("Blank") && layout[c].shown != 0);
        if (!shown)
            continue;
        int width = layout[c].width;
        if (width < kMinColumnWidth || width > kMaxColumnWidth)
            width = kFallbackColumnWidth;
        width = std::max(width, 10 * static_cast<int>(heading.size()));
        if (err)
            width = kErrColumnWidth;
        m_listToResult.push_back(c);
        m_listActionCodes.push_back(definition.actionCodes[c - 1]);
        m_listWidths.push_back(width);
        m_listAutomaticWidths.push_back(!err && layout[c].width < 0);
    }

    // The saved order, as far as it still names list columns; list column 0 first.
    const int n = listColumnCount();
    m_displayOrder.clear();
    std::vector<bool> used(n, false);
    for (int i = 0; i < n; ++i) {
        const int lc = layout[i].position;
        if (lc >= 0 && lc < n && !used[lc]) {
            used[lc] = true;
            m_displayOrder.push_back(lc);
        }
    }
    for (int lc = 0; lc < n; ++lc)
        if (!used[lc])
            m_displayOrder.push_back(lc);
    if (n > 0 && m_displayOrder[0] != 0) {
        const auto zero = std::find(m_displayOrder.begin(), m_displayOrder.end(), 0);
        std::iter_swap(m_displayOrder.begin(), zero);
    }
}

void CGridModel::Load(int table)
{
    if (beforeLoad)
        beforeLoad();
    if (table < 0 || table >= kTableCount)
        return;
    m_table = table;

    const QString statement = BuildStatement(table);
    m_result.columnCount = 0;
    m_result.rowCount = 0;
    m_result.cells.clear();
    if (!statement.isEmpty()) {
        headingsCaptured = 0;
        RunQuery(m_result, statement);
    }

    const TableDefinition& definition = App().tables[table];
    m_shown.fill(0);
    m_readOnly.fill(0);
    for (int c = 1; c < kMaxColumns; ++c)
        m_shown[c] = App().ColumnLayout[table][c].shown;
    for (int f = 0; f < definition.fieldCount && f + 1 < kMaxColumns; ++f)
        m_readOnly[f + 1] = definition.attributes[f].toUpper().contains(QLatin1String("READ")) ? 1 : 0;

    remapToDefinition(table);
    buildListColumns(table);
    if (table == RescList)
        ComputeRoutingCost();
    m_errorCheck.Run(m_result, table);

    m_rowsToSelect.clear();
    m_rowToShow = -1;
    if (!searchText.isEmpty() && m_result.columnCount > 2) {
        const QString wanted = searchText.toUpper();
        for (int r = 0; r < m_result.rowCount; ++r)
            if (m_result.cell(r, 2).toUpper() == wanted) {
                m_rowsToSelect.append(r);
                m_rowToShow = r;
            }
    }
    if (selectLast && m_result.rowCount > 0) {
        m_rowToShow = m_result.rowCount - 1;
        m_rowsToSelect = {m_rowToShow};
    }
    selectLast = false;

    m_lastLoaded = table;
    Q_EMIT loaded();
    Q_EMIT parentCommand(kCmdGridLoaded);
}

unsigned CGridModel::errorWord(int row) const
{
    const auto& words = m_errorCheck.words();
    return row >= 0 && row < static_cast<int>(words.size()) ? words[row] : 0u;
}

bool CGridModel::automaticWidth(int listColumn) const
{
    return listColumn >= 0 && listColumn < static_cast<int>(m_listAutomaticWidths.size())
           && m_listAutomaticWidths[static_cast<size_t>(listColumn)];
}

int CGridModel::resultColumn(int listColumn) const
{
    return listColumn >= 0 && listColumn < listColumnCount() ? m_listToResult[listColumn] : -1;
}

int CGridModel::actionCode(int listColumn) const
{
    return listColumn >= 0 && listColumn < listColumnCount() ? m_listActionCodes[listColumn] : 0;
}

QString CGridModel::attribute(int listColumn) const
{
    const int c = resultColumn(listColumn);
    return c >= 1 ? App().tables[m_table].attributes[c - 1] : QString();
}

QString CGridModel::listHeading(int listColumn) const
{
    const int c = resultColumn(listColumn);
    if (c < 0)
        return QString();
    const QString heading = Translate(m_result.headings[c]);
    return heading == QLatin1String("Err") ? QString() : heading;
}

bool CGridModel::isReadOnly(int listColumn) const
{
    const int c = resultColumn(listColumn);
    return c >= 0 && m_readOnly[c] != 0;
}

EditorKind CGridModel::editorKind(int listColumn) const
{
    return EditorKindOf(attribute(listColumn));
}

QString CGridModel::cellText(int row, int listColumn) const
{
    return m_result.cell(row, resultColumn(listColumn));
}

int CGridModel::FindColumnKey(const QString& key) const
{
    const QString wanted = key.toUpper();
    for (int c = 0; c < m_result.columnCount; ++c)
        if (m_result.headings[c].toUpper().contains(wanted))
            return c;
    return -1;
}

int CGridModel::FindListColumn(const QString& key) const
{
    for (int lc = 0; lc < listColumnCount(); ++lc)
        if (m_result.headings[m_listToResult[lc]].contains(key))
            return lc;
    return 0;
}

QStringList CGridModel::EditorItems(int listColumn, int row, int* preselect) const
{
    const QString attr = attribute(listColumn);
    const QString cell = cellText(row, listColumn);
    QStringList items;
    int selected = -1;
    switch (EditorKindOf(attr)) {
    case EditorKind::List: {
        items = attributeItems(attr);
        // An item that already begins with a value stands for it.
        std::set<QString> lowered;
        for (const QString& item : items)
            lowered.insert(item.toLower());
        const int c = resultColumn(listColumn);
        for (int r = 0; r < m_result.rowCount; ++r) {
            const QString& value = m_result.cell(r, c);
            if (value.isEmpty())
                continue;
            const QString key = value.toLower();
            const auto it = lowered.lower_bound(key);
            if (it != lowered.end() && it->startsWith(key))
                continue;
            lowered.insert(key);
            items.append(value);
        }
        std::sort(items.begin(), items.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        break;
    }
    case EditorKind::Drop: {
        for (const QString& item : attributeItems(attr))
            items.append(Translate(item));
        selected = TextToInt(cell);
        if (selected < 0 || selected >= items.size())
            selected = 0;
        break;
    }
    case EditorKind::Dbst: {
        const QString answer = QueryText(attr.mid(5), true);
        for (const QString& piece : answer.split(QLatin1Char('|')))
            if (!piece.isEmpty())
                items.append(Translate(piece));
        std::sort(items.begin(), items.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        for (int i = 0; i < items.size(); ++i)
            if (items[i].startsWith(cell)) {
                selected = i;
                break;
            }
        break;
    }
    default:
        break;
    }
    if (preselect)
        *preselect = selected;
    return items;
}

void CGridModel::setResultCell(int row, int resultColumn, const QString& text)
{
    if (resultColumn < 0)
        return;
    m_result.setCell(row, resultColumn, text);
    for (int lc = 0; lc < listColumnCount(); ++lc)
        if (m_listToResult[lc] == resultColumn)
            Q_EMIT cellChanged(row, lc);
}

void CGridModel::addMasterRecord(const QString& heading, const QString& text)
{
    if (text.isEmpty())
        return;
    if (m_table == AssyList && (heading.contains(QLatin1String("Ass")) || heading.contains(QLatin1String("Part")))) {
        if (QueryText(SqlFormat("Select Part_nBr from PartList where Part_nBr = '%s'", {text}), false).isEmpty()) {
            QueryText(SqlFormat("Insert into PartList (Part_nBr,Description,User,Revision,Time_Stamp,Currency) "
                                "values ('%s','%s %s','%s','%s','%s','%s')",
                                {text, text, Translate(QStringLiteral("Description")), App().CurrentUser,
                                 QStringLiteral("A"), TimestampText(), App().CurrentCurrency}),
                      false);
            ShowMessage(Translate(QStringLiteral("Part Added")));
        }
    } else if (m_table == RescList && heading.contains(QLatin1String("Reso"))) {
        if (QueryText(SqlFormat("Select Resource from LabrList where Resource = '%s'", {text}), false).isEmpty()) {
            QueryText(SqlFormat("Insert into LabrList (Resource,User,Time_Stamp) values ('%s','%s','%s')",
                                {text, App().CurrentUser, TimestampText()}),
                      false);
            ShowMessage(Translate(QStringLiteral("Resource Added")));
        }
    } else if (m_table == PartList
               && (heading.contains(QLatin1String("Manuf")) || heading.contains(QLatin1String("Dist")))) {
        if (QueryText(SqlFormat("Select Vendor from VendList where Vendor = '%s'", {text}), false).isEmpty()) {
            QueryText(SqlFormat("Insert into VendList (Vendor,User,Time_Stamp) values ('%s','%s','%s')",
                                {text, App().CurrentUser, TimestampText()}),
                      false);
            ShowMessage(Translate(QStringLiteral("Vendor Added")));
        }
    }
}

void CGridModel::updateRoutingCost(int row)
{
    const int hours = FindColumnKey(QStringLiteral("HOUR"));
    const int rate = FindColumnKey(QStringLiteral("RATE"));
    const int cost = FindColumnKey(QStringLiteral("COST"));
    const int resource = FindColumnKey(QStringLiteral("RESOU"));
    if (hours < 0 || rate < 0 || cost < 0 || resource < 0)
        return;
    const QString id = rowId(row);
    QString rateText = QueryText(
        SqlFormat("Select Rate from LabrList where Resource='%s'", {m_result.cell(row, resource)}), false);
    if (TextToDouble(rateText) <= 0)
        rateText = QStringLiteral("1.00");
    QueryText(SqlFormat("Update RescList Set Rate = '%s' where id = '%s'", {rateText, id}), false);
    setResultCell(row, rate, rateText);
    const float amount = static_cast<float>(TextToDouble(m_result.cell(row, hours)))
                         * static_cast<float>(TextToDouble(rateText));
    const QString costText = Format("%0.2f", {amount});
    setResultCell(row, cost, costText);
    QueryText(SqlFormat("Update %s Set Cost = '%s' where id = '%s'", {tableName(), costText, id}), false);
}

void CGridModel::stamp(int row)
{
    const QString now = TimestampText();
    const QString user = App().CurrentUser;
    const int stampColumn = FindColumnKey(QStringLiteral("STAMP"));
    const int userColumn = FindColumnKey(QStringLiteral("USER"));
    // A statement naming a column the table lacks would fail a whole
    // multi-row edit, so only the columns that exist are stamped.
    if (stampColumn >= 0 && userColumn >= 0)
        QueryText(SqlFormat("Update %s Set Time_Stamp='%s',User='%s' where id='%s'",
                            {tableName(), now, user, rowId(row)}),
                  false);
    else if (userColumn >= 0)
        QueryText(SqlFormat("Update %s Set User='%s' where id='%s'", {tableName(), user, rowId(row)}), false);
    else if (stampColumn >= 0)
        QueryText(SqlFormat("Update %s Set Time_Stamp='%s' where id='%s'", {tableName(), now, rowId(row)}),
                  false);
    setResultCell(row, stampColumn, now);
    setResultCell(row, userColumn, user);
}

bool CGridModel::UpdateCell(int listColumn, int row, const QString& text)
{
    if (row < 0 || row >= m_result.rowCount || resultColumn(listColumn) < 1)
        return false;
    return updateCellUnchecked(listColumn, row, text);
}

bool CGridModel::updateCellUnchecked(int listColumn, int row, const QString& typed)
{
    const int c = resultColumn(listColumn);
    if (typed == m_result.cell(row, c))
        return false;
    const QString heading = m_result.headings[c];
    const QString text = IsUpperCaseColumn(TableKey(m_table), heading) ? UpperCaseAscii(typed) : typed;
    QueryText(SqlFormat("Update %s Set %s = '%s' where id = '%s'", {tableName(), ToColumnName(heading), text, rowId(row)}),
              false);
    setResultCell(row, c, text);
    addMasterRecord(heading, text);
    if (m_table == RescList && heading.contains(QLatin1String("Resour")))
        updateRoutingCost(row);
    stamp(row);
    return true;
}

bool CGridModel::IsParentAssembly(const QString& part, const QString& assembly)
{
    // Any name that heads a bill counts, whether or not the index of
    // assemblies has been built in this process.
    headingsCaptured = 0;
    RunQuery(m_second, QStringLiteral("Select Assy,Part_nBr from AssyList"));
    QHash<QString, QStringList> parents; // part -> the assemblies that use it
    bool partHeadsBill = App().assemblyNames.contains(part);
    for (int r = 0; r < m_second.rowCount; ++r) {
        parents[m_second.cell(r, 1)].append(m_second.cell(r, 0));
        if (m_second.cell(r, 0) == part)
            partHeadsBill = true;
    }
    if (!partHeadsBill)
        return false;
    // Each assembly is visited once, so data that already holds a cycle ends the walk.
    QSet<QString> visited{assembly};
    QStringList pending{assembly};
    while (!pending.isEmpty()) {
        const QString current = pending.takeLast();
        for (const QString& parent : parents.value(current)) {
            if (parent == part)
                return true;
            if (!visited.contains(parent)) {
                visited.insert(parent);
                pending.append(parent);
            }
        }
    }
    return false;
}

bool CGridModel::CommitEdit(int listColumn, int row, const QString& text, const QList<int>& selectedRows)
{
    const int c = resultColumn(listColumn);
    if (c < 1 || row < 0 || row >= m_result.rowCount)
        return false;
    if (m_table == AssyList && listColumn == FindListColumn(QStringLiteral("Part"))) {
        App().TreeRebuildFlag = true;
        const QString assembly = m_result.cell(row, FindColumnKey(QStringLiteral("ASSY")));
        // Compared as it will be stored: part numbers are kept in upper case.
        const QString part = IsUpperCaseColumn(TableKey(m_table), m_result.headings[c]) ? UpperCaseAscii(text) : text;
        if (!part.isEmpty() && part == assembly) {
            ShowMessage(Translate(QStringLiteral("Error:Part Number is the same as the Assembly")));
            return false;
        }
        if (!part.isEmpty() && IsParentAssembly(part, assembly)) {
            ShowMessage(Translate(QStringLiteral("Error:Part Number is a parent Assembly")));
            return false;
        }
    }

    bool changed = false;
    if (selectedRows.contains(row) && selectedRows.size() > 1) {
        QList<int> rows = selectedRows;
        std::sort(rows.begin(), rows.end());
        std::unique_ptr<WaitScope> wait;
        if (rows.size() > 3)
            wait = std::make_unique<WaitScope>(Translate(QStringLiteral("Update Database...")), 0,
                                               static_cast<int>(rows.size()));
        Transaction transaction;
        int done = 0;
        for (int r : rows) {
            if (r >= 0 && r < m_result.rowCount)
                changed = updateCellUnchecked(listColumn, r, text) || changed;
            if (wait)
                wait->setPosition(++done);
        }
        if (!transaction.commit()) {
            // All rows or none: show what the database really holds.
            ShowMessage(LastErrorText(), QStringLiteral("Database Status"));
            wait.reset();
            Reload();
            return false;
        }
    } else {
        changed = UpdateCell(listColumn, row, text);
    }
    if (m_table == AssyList || m_table == RescList)
        Q_EMIT parentCommand(kCmdGridEdited);
    return changed;
}

bool CGridModel::InsertRecord()
{
    const QString now = TimestampText();
    const QString user = App().CurrentUser;
    auto nextNumber = [this](const char* key, int step) {
        const int c = FindColumnKey(QString::fromLatin1(key));
        int largest = 0;
        for (int r = 0; c >= 0 && r < m_result.rowCount; ++r)
            largest = std::max(largest, TextToInt(m_result.cell(r, c)));
        return Format("%i", {largest + step});
    };

    Transaction transaction;
    switch (m_table) {
    case AssyList:
        QueryText(SqlFormat("Insert into AssyList (Assy,Quan,Item,Time_Stamp,User) values ('%s',%i,%s,'%s','%s')",
                            {currentAssembly, 1, nextNumber("ITEM", 1), now, user}),
                  false);
        break;
    case PartList:
        QueryText(SqlFormat("Insert into PartList (Price,Revision,Currency,Time_Stamp,User) values "
                            "(%0.2f,'%s','%s','%s','%s')",
                            {0.0, QStringLiteral("A"), App().CurrentCurrency, now, user}),
                  false);
        break;
    case VendList:
        QueryText(QStringLiteral("Insert into VendList (Vendor) values ('New Vendor')"), false);
        break;
    case RescList:
        QueryText(SqlFormat("Insert into RescList (Assy,Step,Time_Stamp,User) values ('%s','%s','%s','%s')",
                            {currentAssembly, nextNumber("STEP", 10), now, user}),
                  false);
        break;
    case PurcList: {
        const int number = TextToInt(GetParam(ParamLastPurchaseOrder)) + 1;
        newRecordNumber = Format("P%0.4i", {number});
        QueryText(SqlFormat("Insert into PurcList (PO_nBr,Date,Status,Time_Stamp,User) values "
                            "('%s','%s','%s','%s','%s')",
                            {newRecordNumber, now, QStringLiteral("Pending"), now, user}),
                  false);
        SetParam(ParamLastPurchaseOrder, Format("%i", {number}));
        break;
    }
    case ReqmList: {
        const int number = TextToInt(GetParam(ParamLastRequirement)) + 1;
        newRecordNumber = Format("REQ%0.4i", {number});
        QueryText(SqlFormat("Insert into ReqmList (Order_nBr,Created,Status,Date,User) values "
                            "('%s','%s','%s','%s','%s')",
                            {newRecordNumber, now, QStringLiteral("Created"), now, user}),
                  false);
        SetParam(ParamLastRequirement, Format("%i", {number}));
        break;
    }
    case LabrList:
        QueryText(QStringLiteral("Insert into LabrList (Resource) values ('New Resource')"), false);
        break;
    default:
        return false;
    }
    const bool ok = transaction.commit();
    if (!ok)
        ShowMessage(LastErrorText(), QStringLiteral("Database Status"));
    selectLast = ok;
    sortColumn.clear();
    Reload();
    return ok;
}

bool CGridModel::DeleteRecords(const QList<int>& rows)
{
    if (rows.isEmpty())
        return false;
    if (ShowMessage(Translate(QStringLiteral("Are you sure?")), Translate(QStringLiteral("Delete")),
                    kButtonsYesNoCancel)
        != kAnswerYes)
        return false;
    Transaction transaction;
    for (int r : rows)
        if (r >= 0 && r < m_result.rowCount)
            QueryText(SqlFormat("Delete from %s where id = '%s'", {tableName(), rowId(r)}), false);
    const bool ok = transaction.commit();
    if (!ok)
        ShowMessage(LastErrorText(), QStringLiteral("Database Status"));
    Reload();
    if (m_table == AssyList)
        App().TreeRebuildFlag = true;
    Q_EMIT parentCommand(kCmdGridEdited);
    return ok;
}

void CGridModel::SortByListColumn(int listColumn)
{
    const int c = resultColumn(listColumn);
    if (c < 0)
        return;
    const QString name = ToColumnName(m_result.headings[c]);
    if (name == sortColumn) {
        sortDescending = !sortDescending;
    } else {
        sortColumn = name;
        sortDescending = true;
    }
    Reload();
}

void CGridModel::ComputeRoutingCost()
{
    const int hours = FindColumnKey(QStringLiteral("HOUR"));
    const int rate = FindColumnKey(QStringLiteral("RATE"));
    const int cost = FindColumnKey(QStringLiteral("COST"));
    const int resource = FindColumnKey(QStringLiteral("RESOU"));
    if (hours < 0 || rate < 0 || cost < 0 || resource < 0 || m_result.rowCount == 0)
        return;
    QueryResult rates;
    headingsCaptured = 0;
    RunQuery(rates, QStringLiteral("Select Resource,Rate from LabrList"));
    QHash<QString, QString> rateOf;
    for (int r = 0; r < rates.rowCount; ++r)
        if (!rateOf.contains(rates.cell(r, 0)))
            rateOf.insert(rates.cell(r, 0), rates.cell(r, 1));
    for (int r = 0; r < m_result.rowCount; ++r) {
        const auto it = rateOf.constFind(m_result.cell(r, resource));
        const QString rateText = it == rateOf.constEnd() ? QString() : *it;
        if (it != rateOf.constEnd())
            m_result.setCell(r, rate, rateText);
        const float amount = static_cast<float>(TextToDouble(m_result.cell(r, hours)))
                             * static_cast<float>(TextToDouble(rateText));
        m_result.setCell(r, cost, Format("%0.2f", {amount}));
    }
}

bool CGridModel::AttachFile(int listColumn, int row, const QString& source, const QString& folder)
{
    const QFileInfo info(source);
    const QString name = info.fileName();
    if (name.isEmpty())
        return false;
    QDir().mkpath(folder);
    const QString target = folder + QLatin1Char('/') + name;
    if (QFileInfo(target).canonicalFilePath() != info.canonicalFilePath()) {
        QFile::remove(target);
        if (!QFile::copy(source, target))
            ShowMessage(TranslateLabel(QStringLiteral("The file could not be copied:")) + QLatin1Char(' ') + target);
    }
    return UpdateCell(listColumn, row, name);
}
