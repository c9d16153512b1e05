#include "grid/gridmodel.h"
#include "db/gridtables.h"
#include "db/vendors.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"

#include <QSet>
#include <algorithm>
#include <set>

namespace {

const char* const kTitles[kTableCount] = {
    "Bill of Materials", "Part Table", "Vendor Table", "Assembly Steps Table", "Purchase Order",
    "Orders",            "Task Table", "Labor Table",  "Allocation Table", "Stock Movements", "Holidays",
    "Bill Revisions", "Change Log", "Sources", "Price Breaks", "Currency Rates", "Purchase Order Lines",
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

CGridModel::CGridModel() = default;

QString CGridModel::Title(int table)
{
    return table >= 0 && table < kTableCount ? QString::fromLatin1(kTitles[table]) : QString();
}

QString CGridModel::LoadStatement(int table)
{
    return GridLoadTemplate(table);
}

QString CGridModel::tableName() const
{
    const QString& name = App().tables[m_table].name;
    return name.isEmpty() ? TableSqlName(m_table) : name;
}

QString CGridModel::BuildStatement(int table)
{
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
    if (LoadStatement(table).isEmpty())
        return QString();
    if (sortColumn.isEmpty())
        sortDescending = false;
    return GridLoadStatement(table, currentAssembly, sortColumn, sortDescending);
}

GridScope CGridModel::scope(int table) const
{
    GridScope scope;
    scope.table = tableName();
    scope.perAssembly = table == AssyList || table == RescList;
    scope.assembly = currentAssembly;
    scope.filter = m_filter;
    if (!m_filter.isEmpty())
        for (int lc = 0; lc < listColumnCount(); ++lc) {
            const QString column = columnOf(resultColumn(lc));
            if (!isErrColumn(lc) && !column.isEmpty())
                scope.filterColumns << column;
        }
    scope.sortColumn = sortColumn;
    scope.sortKnown = !sortColumn.isEmpty() && m_tableHas.value(ToHeading(sortColumn));
    scope.descending = sortDescending;
    scope.numeric = m_sortNumeric;
    return scope;
}

QString CGridModel::columnOf(int resultColumn) const
{
    if (resultColumn == 0)
        return QStringLiteral("id");
    const QString& heading = m_headings.value(resultColumn);
    return m_tableHas.value(heading) ? ToColumnName(heading) : QString();
}

bool CGridModel::sortsAsNumbers() const
{
    if (sortColumn.isEmpty() || sortColumn == QLatin1String("id") || !m_tableHas.value(ToHeading(sortColumn)))
        return false;
    const TableDefinition& definition = App().tables[m_table];
    const int field = FieldIndex(definition, sortColumn);
    const QString type = field >= 0 ? definition.types[static_cast<size_t>(field)].trimmed().toLower() : QString();
    // Number columns sort as numbers already; a text column does when all it holds are numbers.
    if (type != QLatin1String("text") && !type.isEmpty())
        return false;
    return GridSortsAsNumbers(scope(m_table));
}

bool CGridModel::refreshRows()
{
    if (LoadStatement(m_table).isEmpty()) {
        m_rows.setSource(QString(), QString(), {}, QString(), m_headings);
        m_totalRows = 0;
        return true;
    }
    m_sortNumeric = sortsAsNumbers();
    const GridScope shown = scope(m_table);
    SqlArgs whereArgs;
    const QString where = GridCondition(shown, whereArgs);
    m_rows.setSource(shown.table, where, whereArgs, GridOrderClause(shown), m_headings);
    const bool ok = m_rows.Refresh();
    m_totalRows = m_filter.isEmpty() ? m_rows.count() : static_cast<int>(GridRowTotal(shown));
    return ok;
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

void CGridModel::buildListColumns(int table)
{
    const TableDefinition& definition = App().tables[table];
    const TableColumnLayout& layout = App().ColumnLayout[table];
    m_listToResult.clear();
    m_listActionCodes.clear();
    m_listWidths.clear();
    m_listAutomaticWidths.clear();
    for (int c = 1; c < columnCount() && c <= definition.fieldCount; ++c) {
        const QString& attribute = definition.attributes[c - 1];
        const QString heading = Translate(m_headings[c]);
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
    // Another table's filter text means nothing here.
    if (table != m_lastLoaded && !m_filter.isEmpty()) {
        m_filter.clear();
        Q_EMIT filterChanged(m_filter);
    }
    m_table = table;
    BuildStatement(table); // settles the sort column

    const TableDefinition& definition = App().tables[table];
    m_headings = QStringList{QStringLiteral("id")};
    for (int f = 0; f < definition.fieldCount && f + 1 < kMaxColumns; ++f)
        m_headings << definition.headings[f];
    m_tableHas.clear();
    if (!LoadStatement(table).isEmpty())
        for (const QString& name : TableColumnNames(tableName()))
            m_tableHas.insert(ToHeading(name), true);
    m_readOnly.fill(0);
    for (int f = 0; f < definition.fieldCount && f + 1 < kMaxColumns; ++f)
        m_readOnly[f + 1] = definition.attributes[f].toUpper().contains(QLatin1String("READ")) ? 1 : 0;
    buildListColumns(table);

    // The check reads and marks the whole table (or the whole bill) before
    // any row is shown, so the rows read next carry the new words.
    if (table <= RescList && !LoadStatement(table).isEmpty()) {
        SqlArgs args;
        const QString where = GridBaseCondition(scope(table), args);
        m_errorCheck.Check(table, tableName(), where, args);
    } else {
        m_errorCheck.Clear();
    }
    m_rateOf.clear();
    m_routingWritten.clear();
    m_showRoutingCost = false;
    if (table == RescList)
        ComputeRoutingCost();
    refreshRows();
    selectSearchedRows();
    if (selectLast && rowCount() > 0) {
        // The new record wherever the order puts it; the last row otherwise.
        const int inserted = m_insertedId >= 0 ? rowOfId(m_insertedId) : -1;
        m_rowToShow = inserted >= 0 ? inserted : rowCount() - 1;
        m_rowsToSelect = {m_rowToShow};
    }
    selectLast = false;
    m_insertedId = -1;

    m_lastLoaded = table;
    Q_EMIT loaded();
    Q_EMIT parentCommand(kCmdGridLoaded);
    statusAfterLoad();
}

void CGridModel::selectSearchedRows()
{
    m_rowsToSelect.clear();
    m_rowToShow = -1;
    const QString column = columnOf(2);
    if (searchText.isEmpty() || column.isEmpty() || rowCount() == 0)
        return;
    const std::vector<long long> found = GridIdsHolding(scope(m_table), column, searchText);
    if (found.empty())
        return;
    const QString wanted = searchText.toUpper();
    const QSet<long long> ids(found.begin(), found.end());
    for (int r = 0; r < rowCount(); ++r)
        if (ids.contains(m_rows.id(r)) && m_rows.cell(r, 2).toUpper() == wanted) {
            m_rowsToSelect.append(r);
            m_rowToShow = r;
        }
}

void CGridModel::statusAfterLoad()
{
    if (m_table <= RescList && m_errorCheck.Ran())
        Q_EMIT status(m_errorCheck.SummaryLine());
    else
        Q_EMIT status(QString());
}

void CGridModel::RefreshRows()
{
    refreshRows();
    m_rowsToSelect.clear();
    m_rowToShow = -1;
    Q_EMIT rowsChanged();
}

void CGridModel::SetFilter(const QString& text)
{
    if (text == m_filter)
        return;
    m_filter = text;
    refreshRows();
    m_rowsToSelect.clear();
    m_rowToShow = -1;
    Q_EMIT rowsChanged();
}

void CGridModel::SortByListColumn(int listColumn)
{
    const int c = resultColumn(listColumn);
    if (c < 0)
        return;
    const QString name = ToColumnName(m_headings[c]);
    if (name == sortColumn) {
        sortDescending = !sortDescending;
    } else {
        sortColumn = name;
        sortDescending = true;
    }
    // The data did not change: only the order is read again, and the
    // columns stay as the user has them.
    if (beforeLoad)
        beforeLoad();
    refreshRows();
    m_rowsToSelect.clear();
    m_rowToShow = -1;
    Q_EMIT rowsChanged();
}

int CGridModel::sortListColumn() const
{
    if (sortColumn.isEmpty())
        return -1;
    for (int lc = 0; lc < listColumnCount(); ++lc)
        if (ToColumnName(m_headings[m_listToResult[lc]]) == sortColumn)
            return lc;
    return -1;
}

QString CGridModel::rowId(int row) const
{
    const long long id = m_rows.id(row);
    return id < 0 && row >= rowCount() ? QString() : QString::number(id);
}

QString CGridModel::cell(int row, int resultColumn) const
{
    if (row < 0 || row >= rowCount())
        return QString();
    if (m_showRoutingCost && (resultColumn == m_costColumn || resultColumn == m_rateColumn)) {
        // Routing cost on load: shown from LabrList's rate, never written;
        // a step edited since shows what the edit wrote.
        const QString stored = m_rows.cell(row, resultColumn);
        const auto written = m_routingWritten.constFind(m_rows.id(row));
        if (written != m_routingWritten.constEnd())
            return resultColumn == m_rateColumn ? written->first : written->second;
        const auto it = m_rateOf.constFind(m_rows.cell(row, m_resourceColumn));
        if (resultColumn == m_rateColumn)
            return it == m_rateOf.constEnd() ? stored : *it;
        const QString rate = it == m_rateOf.constEnd() ? QString() : *it;
        return Format("%0.2f", {static_cast<float>(TextToDouble(m_rows.cell(row, m_hoursColumn)))
                                    * static_cast<float>(TextToDouble(rate))});
    }
    return m_rows.cell(row, resultColumn);
}

unsigned CGridModel::errorWord(int row) const
{
    return m_errorCheck.wordOfId(m_rows.id(row));
}

QueryResult CGridModel::ShownRows() const
{
    QueryResult shown;
    shown.columnCount = std::min(columnCount(), kMaxColumns);
    for (int c = 0; c < shown.columnCount; ++c)
        shown.headings[c] = m_headings[c];
    if (LoadStatement(m_table).isEmpty())
        return shown;
    const QueryResult read = ReadGridShownRecords(scope(m_table));
    std::vector<int> source(static_cast<size_t>(shown.columnCount), -1);
    source[0] = 0;
    for (int c = 1; c < shown.columnCount; ++c)
        for (int s = 1; s < read.columnCount; ++s)
            if (read.headings[s] == shown.headings[c]) {
                source[static_cast<size_t>(c)] = s;
                break;
            }
    shown.rowCount = read.rowCount;
    shown.cells.resize(static_cast<size_t>(shown.rowCount) * static_cast<size_t>(shown.columnCount));
    for (int r = 0; r < shown.rowCount; ++r)
        for (int c = 0; c < shown.columnCount; ++c)
            if (source[static_cast<size_t>(c)] >= 0)
                shown.cells[static_cast<size_t>(r) * shown.columnCount + c] = read.cell(r, source[static_cast<size_t>(c)]);
    return shown;
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

int CGridModel::listColumnOf(int resultColumn) const
{
    const auto it = std::find(m_listToResult.begin(), m_listToResult.end(), resultColumn);
    return it == m_listToResult.end() ? -1 : static_cast<int>(it - m_listToResult.begin());
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
    const QString heading = Translate(m_headings[c]);
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
    const int c = resultColumn(listColumn);
    return c < 0 ? QString() : cell(row, c);
}

QString CGridModel::displayText(int row, int listColumn) const
{
    const QString text = cellText(row, listColumn);
    if (text.isEmpty())
        return text;
    // Words the program itself writes into these columns are shown in the
    // user's language; what is stored stays English, as every rule reads it.
    const QString heading = tableHeading(listColumn);
    if (heading != QLatin1String("Status") && heading != QLatin1String("Category") && heading != QLatin1String("Make"))
        return text;
    // Keyed with the column: "Make" the value is not "Make" the heading.
    const QString key = heading + QLatin1Char('=') + text;
    const QString translated = Translate(key);
    return translated == key ? text : translated;
}

int CGridModel::FindColumnKey(const QString& key) const
{
    const QString wanted = key.toUpper();
    for (int c = 0; c < columnCount(); ++c)
        if (m_headings[c].toUpper().contains(wanted))
            return c;
    return -1;
}

int CGridModel::FindListColumn(const QString& key) const
{
    for (int lc = 0; lc < listColumnCount(); ++lc)
        if (m_headings[m_listToResult[lc]].contains(key))
            return lc;
    return 0;
}

QStringList CGridModel::EditorItems(int listColumn, int row, int* preselect) const
{
    const QString attr = attribute(listColumn);
    const QString cellValue = cellText(row, listColumn);
    QStringList items;
    int selected = -1;
    switch (EditorKindOf(attr)) {
    case EditorKind::List: {
        items = attributeItems(attr);
        // An item that already begins with a value stands for it.
        std::set<QString> lowered;
        for (const QString& item : items)
            lowered.insert(item.toLower());
        // The values of the whole table (or bill), not only the rows the filter lets through.
        const QString column = columnOf(resultColumn(listColumn));
        QStringList values;
        if (!column.isEmpty() && !LoadStatement(m_table).isEmpty())
            values = ReadGridColumnValues(scope(m_table), column);
        for (const QString& value : values) {
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
        selected = TextToInt(cellValue);
        if (selected < 0 || selected >= items.size())
            selected = 0;
        break;
    }
    case EditorKind::Dbst: {
        for (const QString& piece : ReadDefinitionList(attr.mid(5)))
            items.append(Translate(piece));
        std::sort(items.begin(), items.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        for (int i = 0; i < items.size(); ++i)
            if (items[i].startsWith(cellValue)) {
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

void CGridModel::ComputeRoutingCost()
{
    m_hoursColumn = FindColumnKey(QStringLiteral("HOUR"));
    m_rateColumn = FindColumnKey(QStringLiteral("RATE"));
    m_costColumn = FindColumnKey(QStringLiteral("COST"));
    m_resourceColumn = FindColumnKey(QStringLiteral("RESOU"));
    m_rateOf.clear();
    m_routingWritten.clear();
    m_showRoutingCost = m_table == RescList && m_hoursColumn >= 0 && m_rateColumn >= 0 && m_costColumn >= 0
                        && m_resourceColumn >= 0;
    if (!m_showRoutingCost)
        return;
    // The first record of a resource names its rate.
    m_rateOf = ReadLabourRates();
}
