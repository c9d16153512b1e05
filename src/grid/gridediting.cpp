// Everything the table grid writes: a cell with its side effects, a
// commit over several rows, undo, inserts and deletes.
#include "grid/gridmodel.h"
#include "core/dates.h"

#include "core/appstate.h"
#include "core/dates.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/billrows.h"
#include "db/changelog.h"
#include "db/gridtables.h"
#include "db/numbering.h"
#include "db/parameters.h"
#include "db/parts.h"
#include "db/purchaseorders.h"
#include "db/vendors.h"
#include "db/recordcheck.h"
#include "grid/gridrows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <limits>
#include <map>
#include <memory>

namespace {
// A number column gives back what the row holds in its own spelling ("9.0"
// for the typed "9"): that is the same value, not another user's change.
bool SameStoredValue(const QString &stored, const QString &shown) {
  if (stored == shown)
    return true;
  bool storedIsNumber = false;
  bool shownIsNumber = false;
  const double a = stored.toDouble(&storedIsNumber);
  const double b = shown.toDouble(&shownIsNumber);
  return storedIsNumber && shownIsNumber && a == b;
}

constexpr long long kLargestNumber = std::numeric_limits<int>::max();

// How many parts and assemblies the delete question names before "…".
constexpr int kNamedInQuestion = 8;

} // namespace

void CGridModel::setResultCell(int row, int resultColumn, const QString &text) {
  if (resultColumn < 0)
    return;
  m_rows.setCell(row, resultColumn, text);
  for (int lc = 0; lc < listColumnCount(); ++lc)
    if (m_listToResult[lc] == resultColumn)
      Q_EMIT cellChanged(row, lc);
}

bool CGridModel::addMasterRecord(const QString &heading, const QString &text,
                                 QStringList &notes) {
  if (text.isEmpty())
    return true;
  bool added = false;
  if (m_table == AssyList && (heading.contains(QLatin1String("Ass")) ||
                              heading.contains(QLatin1String("Part")))) {
    // The assembly is made here; a part first named on a bill line is
    // bought until someone says otherwise.
    if (!EnsurePartRecord(text, heading.contains(QLatin1String("Ass")),
                          App().CurrentUser, TimestampText(), &added))
      return false;
    if (added)
      notes << Translate(QStringLiteral("Part Added"));
  } else if (m_table == RescList && heading.contains(QLatin1String("Reso"))) {
    if (!EnsureLabourResource(text, App().CurrentUser, TimestampText(),
                              &added))
      return false;
    if (added)
      notes << Translate(QStringLiteral("Resource Added"));
  } else if (m_table == PartList && (heading.contains(QLatin1String("Manuf")) ||
                                     heading.contains(QLatin1String("Dist")))) {
    if (!EnsureVendorRecord(text, App().CurrentUser, TimestampText(), &added))
      return false;
    if (added)
      notes << Translate(QStringLiteral("Vendor Added"));
  }
  return true;
}

bool CGridModel::updateRoutingCost(int row) {
  const int hours = FindColumnKey(QStringLiteral("HOUR"));
  const int rate = FindColumnKey(QStringLiteral("RATE"));
  const int cost = FindColumnKey(QStringLiteral("COST"));
  const int resource = FindColumnKey(QStringLiteral("RESOU"));
  if (hours < 0 || rate < 0 || cost < 0 || resource < 0)
    return true;
  QString rateText = ReadLabourRate(m_rows.cell(row, resource));
  if (TextToDouble(rateText) <= 0)
    rateText = QStringLiteral("1.00");
  const float amount =
      static_cast<float>(TextToDouble(m_rows.cell(row, hours))) *
      static_cast<float>(TextToDouble(rateText));
  const QString costText = Format("%0.2f", {amount});
  if (!WriteRoutingRateAndCost(tableName(), m_rows.id(row), rateText,
                               costText))
    return false;
  setResultCell(row, rate, rateText);
  setResultCell(row, cost, costText);
  m_routingWritten.insert(m_rows.id(row), {rateText, costText});
  return true;
}

bool CGridModel::stamp(int row) {
  const QString now = TimestampText();
  const QString user = App().CurrentUser;
  const int stampColumn = FindColumnKey(QStringLiteral("STAMP"));
  const int userColumn = FindColumnKey(QStringLiteral("USER"));
  // A statement naming a column the table lacks would fail a whole
  // multi-row edit, so only the columns that exist are stamped.
  if (!StampGridRecord(tableName(), m_rows.id(row),
                       stampColumn >= 0 ? &now : nullptr,
                       userColumn >= 0 ? &user : nullptr))
    return false;
  setResultCell(row, stampColumn, now);
  setResultCell(row, userColumn, user);
  return true;
}

EditResult CGridModel::writeCell(int c, int row, const QString &typed,
                                 QStringList &notes) {
  const QString heading = m_headings.value(c);
  const QString before = m_rows.cell(row, c);
  const QString text = IsUpperCaseColumn(TableKey(m_table), heading)
                           ? UpperCaseAscii(typed)
                           : typed;
  if (typed == before || text == before)
    return EditResult::Unchanged;

  // The value, its master record, the routing cost and the stamp land
  // together or not at all.
  Transaction transaction;
  m_rowGone = false;
  m_rowChanged = false;
  // Another user may have changed the value since it was shown: the edit
  // would overwrite what they wrote without anyone seeing it. The record is
  // read again under the write lock; the cell must still hold what the grid
  // shows. Other cells another user changed are shown after the edit.
  bool othersChanged = false;
  if (!recordAsShown(row, c, &othersChanged)) {
    transaction.fail();
    transaction.commit();
    return EditResult::Failed;
  }
  const TableDefinition &definition = App().tables[m_table];
  const int field = FieldIndex(definition, ToColumnName(heading));
  const QString type = field >= 0 ? definition.types[static_cast<size_t>(field)]
                                  : QStringLiteral("text");
  // The record's stamp is written with the value, unless the value is one
  // of the stamps itself (then the stamp follows, as it always did).
  const QString column = ToColumnName(heading);
  const bool stampsApart = column == QLatin1String("User") ||
                           column == QLatin1String("Time_Stamp");
  const QString now = TimestampText();
  const QString user = App().CurrentUser;
  const int stampColumn = FindColumnKey(QStringLiteral("STAMP"));
  const int userColumn = FindColumnKey(QStringLiteral("USER"));
  long long written = 0;
  bool ok = WriteGridCell(
      tableName(), column, type, m_rows.id(row), text, &written,
      !stampsApart && stampColumn >= 0 ? &now : nullptr,
      !stampsApart && userColumn >= 0 ? &user : nullptr);
  // Another program may have deleted the record since the rows were read:
  // an update of nothing is no success.
  if (ok && written == 0) {
    m_rowGone = true;
    ok = false;
  }
  ok = ok && addMasterRecord(heading, text, notes);
  if (ok)
    setResultCell(row, c, text);
  if (ok && m_table == RescList && heading.contains(QLatin1String("Resour")))
    ok = updateRoutingCost(row);
  if (stampsApart) {
    ok = ok && stamp(row);
  } else if (ok) {
    setResultCell(row, stampColumn, now);
    setResultCell(row, userColumn, user);
  }
  ok = ok && logEdit(row, heading, before, text);
  if (!ok)
    transaction.fail();
  if (!transaction.commit())
    return EditResult::Failed;
  if (othersChanged) {
    m_rows.invalidate();
    Q_EMIT rowsChanged();
  }
  if (m_recording && !m_undoing)
    m_recording->push_back({m_table, currentAssembly, m_rows.id(row), heading,
                            before, text, {}, {}});
  return EditResult::Changed;
}

bool CGridModel::logEdit(int row, const QString &heading,
                         const QString &before, const QString &after) {
  // The tables an engineering change is made of; the others (orders, tasks,
  // stock) keep their own history.
  if (m_table != PartList && m_table != AssyList && m_table != RescList &&
      m_table != VendList)
    return true;
  QString part;
  if (m_table == RescList) {
    part = currentAssembly;
  } else if (m_table != VendList) {
    const int partColumn =
        static_cast<int>(m_headings.indexOf(QStringLiteral("Part #")));
    part = partColumn >= 0 ? m_rows.cell(row, partColumn) : QString();
  }
  return RecordChanges(
      {{m_table, rowId(row), part, heading, before, after}});
}

bool CGridModel::logDeletes(const QList<int> &rows) {
  if (m_table != PartList && m_table != AssyList && m_table != RescList &&
      m_table != VendList)
    return true;
  // The record's key as the user knows it is the old value of a deletion.
  const int keyColumn = FindColumnKey(
      m_table == VendList ? QStringLiteral("VENDOR")
      : m_table == RescList ? QStringLiteral("STEP")
                            : QStringLiteral("PART"));
  const int partColumn = FindColumnKey(QStringLiteral("PART"));
  std::vector<ChangeEntry> entries;
  for (int r : rows) {
    if (r < 0 || r >= rowCount())
      continue;
    const QString key = keyColumn >= 0 ? m_rows.cell(r, keyColumn) : QString();
    const QString part = m_table == RescList ? currentAssembly
                         : partColumn >= 0   ? m_rows.cell(r, partColumn)
                                             : QString();
    entries.push_back({m_table, rowId(r), part, QStringLiteral("Deleted"),
                       key.isEmpty() ? rowId(r) : key, QString()});
  }
  return RecordChanges(entries);
}

bool CGridModel::isQuantityColumn(const QString &heading) const {
  const QString column = ToColumnName(heading);
  switch (m_table) {
  case AssyList:
  case AlloList:
  case ReqmList:
    return column == QLatin1String("Quan");
  case PartList:
    return column == QLatin1String("Stock") ||
           column == QLatin1String("On_Order") ||
           column == QLatin1String("Allocated") ||
           column == QLatin1String("Min_Stock");
  default:
    return false;
  }
}

bool CGridModel::recordAsShown(int row, int editedColumn, bool *othersChanged) {
  *othersChanged = false;
  const QueryResult now = ReadGridRecord(tableName(), m_rows.id(row));
  if (LastResultCode() != 0)
    return false;
  if (now.rowCount == 0) {
    m_rowGone = true;
    return false;
  }
  for (int c = 1; c < static_cast<int>(m_headings.size()); ++c) {
    const QString &heading = m_headings[c];
    int column = -1;
    for (int n = 1; n < now.columnCount && column < 0; ++n)
      if (now.headings[n] == heading)
        column = n;
    if (column < 0 || SameStoredValue(now.cell(0, column), m_rows.cell(row, c)))
      continue;
    if (c == editedColumn) {
      m_rowChanged = true;
      // Who changed it, when the record's stamp moved since it was shown.
      m_changedBy.clear();
      m_changedAt.clear();
      // The read names its columns as headings ("Time Stamp").
      const int userColumn = FindColumn(now, ToHeading(QStringLiteral("User")));
      const int timeColumn = FindColumn(now, ToHeading(QStringLiteral("Time_Stamp")));
      int shownTime = -1;
      for (int h = 1; h < static_cast<int>(m_headings.size()) && shownTime < 0; ++h)
        if (ToColumnName(m_headings[h]) == QLatin1String("Time_Stamp"))
          shownTime = h;
      if (timeColumn >= 0 && !now.cell(0, timeColumn).isEmpty() &&
          (shownTime < 0 || now.cell(0, timeColumn) != m_rows.cell(row, shownTime))) {
        m_changedAt = now.cell(0, timeColumn);
        m_changedBy = userColumn >= 0 ? now.cell(0, userColumn) : QString();
      }
      return false;
    }
    *othersChanged = true;
  }
  return true;
}

void CGridModel::writeFailed() {
  // Whatever the cells were given, they show again what the database holds.
  m_lastEdit = EditResult::Failed;
  const QString reason =
      m_rowGone      ? Translate(QStringLiteral("the record no longer exists"))
      : m_rowChanged && !m_changedAt.isEmpty()
          ? ChangedByText(Translate(QStringLiteral("this record")), m_changedBy,
                          m_changedAt)
      : m_rowChanged ? Translate(QStringLiteral(
                           "another user changed this record meanwhile; it is "
                           "shown again as it is now"))
                     : LastErrorText();
  // A record another desk deleted leaves the view, rather than staying as
  // an empty row.
  if (m_rowGone)
    refreshRows();
  else
    m_rows.invalidate();
  m_routingWritten.clear();
  Q_EMIT rowsChanged();
  ShowMessage(Translate(QStringLiteral("The change was not saved:")) +
                  QLatin1Char(' ') + reason,
              QStringLiteral("Database Status"));
}

bool CGridModel::UpdateCell(int listColumn, int row, const QString &text) {
  const int c = resultColumn(listColumn);
  m_lastEdit = EditResult::Unchanged;
  if (row < 0 || row >= rowCount() || c < 1)
    return false;
  std::vector<CellChange> step;
  m_recording = &step;
  QStringList notes;
  m_lastEdit = writeCell(c, row, text, notes);
  m_recording = nullptr;
  if (m_lastEdit == EditResult::Failed) {
    writeFailed();
    return false;
  }
  if (m_batch) {
    m_batch->insert(m_batch->end(), step.begin(), step.end());
    if (m_batchNotes)
      *m_batchNotes << notes;
    return m_lastEdit == EditResult::Changed;
  }
  if (!step.empty())
    m_undo.push_back(std::move(step));
  for (const QString &note : notes)
    ShowMessage(note);
  return m_lastEdit == EditResult::Changed;
}

bool CGridModel::refuseEdit(const QString &reason) {
  m_lastEdit = EditResult::Refused;
  if (m_batch)
    m_refusal = reason;
  else
    ShowMessage(reason);
  return false;
}

bool CGridModel::IsParentAssembly(const QString &part,
                                  const QString &assembly) {
  // Any name that heads a bill counts, whether or not the index of
  // assemblies has been built in this process.
  QHash<QString, QStringList> parents; // part -> the assemblies that use it
  bool partHeadsBill = App().assemblyNames.contains(part);
  {
    // Columns id, Assy, Part_nBr; the walk needs only the index built from it.
    const QueryResult links = ReadAssemblyLinks();
    for (int r = 0; r < links.rowCount; ++r) {
      parents[links.cell(r, 2)].append(links.cell(r, 1));
      if (links.cell(r, 1) == part)
        partHeadsBill = true;
    }
  }
  if (!partHeadsBill)
    return false;
  // Each assembly is visited once, so data that already holds a cycle ends the
  // walk.
  QSet<QString> visited{assembly};
  QStringList pending{assembly};
  while (!pending.isEmpty()) {
    const QString current = pending.takeLast();
    for (const QString &parent : parents.value(current)) {
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

bool CGridModel::CommitEdit(int listColumn, int row, const QString &typed,
                            const QList<int> &selectedRows) {
  const int c = resultColumn(listColumn);
  m_lastEdit = EditResult::Unchanged;
  if (c < 1 || row < 0 || row >= rowCount())
    return false;
  // A date cell holds one form, whatever the typist's: readers compare and
  // sort dates as text, and a free text there would be read as no date.
  QString text = typed;
  if (m_headings[c].contains(QLatin1String("Date")) && !typed.trimmed().isEmpty()) {
    const QDate date = ParseUserDate(typed);
    if (!date.isValid()) {
      m_lastEdit = EditResult::Refused;
      ShowMessage(TranslateLabel(QStringLiteral("Not a date:")) + QLatin1Char(' ') + typed);
      return false;
    }
    text = IsoDate(date);
  }
  if (m_table == AssyList &&
      listColumn == FindListColumn(QStringLiteral("Part"))) {
    App().TreeRebuildFlag = true;
    const QString assembly = cell(row, FindColumnKey(QStringLiteral("ASSY")));
    // Compared as it will be stored: part numbers are kept in upper case.
    const QString part = IsUpperCaseColumn(TableKey(m_table), m_headings[c])
                             ? UpperCaseAscii(text)
                             : text;
    if (!part.isEmpty() && part == assembly)
      return refuseEdit(Translate(
          QStringLiteral("Error:Part Number is the same as the Assembly")));
    if (!part.isEmpty() && IsParentAssembly(part, assembly))
      return refuseEdit(
          Translate(QStringLiteral("Error:Part Number is a parent Assembly")));
  }

  // A quantity the engines would have to guess at ("0x10", "1e20", "-1")
  // never reaches the database: they refuse such a stored text.
  QString quantityError;
  if (isQuantityColumn(m_headings[c]) &&
      !ParseStoredQuantity(text, nullptr, &quantityError)) {
    m_lastEdit = EditResult::Refused;
    ShowMessage(Translate(QStringLiteral("The change was not saved:")) +
                    QLatin1Char(' ') + quantityError,
                QStringLiteral("Database Status"));
    return false;
  }

  bool changed = false;
  if (selectedRows.contains(row) && selectedRows.size() > 1) {
    QList<int> rows = selectedRows;
    std::sort(rows.begin(), rows.end());
    std::unique_ptr<WaitScope> wait;
    if (rows.size() > 3)
      wait = std::make_unique<WaitScope>(
          Translate(QStringLiteral("Update Database...")), 0,
          static_cast<int>(rows.size()));
    std::vector<CellChange> step;
    m_recording = &step;
    QStringList notes;
    Transaction transaction;
    bool failed = false;
    int done = 0;
    for (int r : rows) {
      if (r >= 0 && r < rowCount() && !failed) {
        const EditResult result = writeCell(c, r, text, notes);
        failed = result == EditResult::Failed;
        changed = changed || result == EditResult::Changed;
      }
      if (wait)
        wait->setPosition(++done);
    }
    m_recording = nullptr;
    if (failed)
      transaction.fail();
    if (!transaction.commit()) {
      // All rows or none: show what the database really holds.
      wait.reset();
      writeFailed();
      return false;
    }
    m_lastEdit = changed ? EditResult::Changed : EditResult::Unchanged;
    if (!step.empty())
      m_undo.push_back(std::move(step));
    notes.removeDuplicates();
    for (const QString &note : notes)
      ShowMessage(note);
  } else {
    changed = UpdateCell(listColumn, row, text);
    if (m_lastEdit == EditResult::Failed)
      return false;
  }
  // A column no rule reads leaves every word as it was: no need to read
  // the table again (on a distant server that is most of an edit's time).
  if (changed && !m_batch && CErrorCheck::RulesRead(m_table, m_headings[c]))
    RecheckErrors();
  if ((m_table == AssyList || m_table == RescList) && !m_batch)
    Q_EMIT parentCommand(kCmdGridEdited);
  return changed;
}

void CGridModel::RecheckErrors() {
  // The whole table or bill, as a load checks it: a duplicate needs its
  // twin, and an edit can end a fault of another row too.
  if (m_table > RescList || !m_errorCheck.Ran())
    return;
  SqlArgs args;
  const QString where = GridBaseCondition(scope(m_table), args);
  m_errorCheck.Check(m_table, tableName(), where, args);
  // The rows read next carry the words just written.
  m_rows.invalidate();
  Q_EMIT status(m_errorCheck.SummaryLine());
}

bool CGridModel::Undo() {
  if (m_undo.empty()) {
    Q_EMIT status(Translate(QStringLiteral("Nothing to undo")));
    return false;
  }
  const std::vector<CellChange> step = m_undo.back();
  const CellChange &first = step.front();
  // The edit is undone where it was made: its table and, for a bill or a
  // routing, its assembly.
  const bool perAssembly = first.table == AssyList || first.table == RescList;
  const bool otherAssembly = perAssembly && first.assembly != currentAssembly;
  if (perAssembly)
    currentAssembly = first.assembly;
  if (first.table != m_table) {
    static const int kShowCommands[kTableCount] = {kCmdShowAssyList,
                                                   kCmdShowPartList,
                                                   kCmdShowVendList,
                                                   kCmdShowRescList,
                                                   kCmdShowPurcList,
                                                   kCmdShowReqmList,
                                                   0,
                                                   kCmdShowLabrList,
                                                   0,
                                                   0,
                                                   0,
                                                   0,
                                                   0,
                                                   kCmdShowSrcList,
                                                   kCmdShowBrkList,
                                                   kCmdShowRateList,
                                                   0};
    // The main window switches its menus with the table; alone, the grid loads
    // it.
    if (kShowCommands[first.table] != 0)
      Q_EMIT parentCommand(kShowCommands[first.table]);
    if (first.table != m_table)
      Load(first.table);
  } else if (otherAssembly) {
    Reload();
  }
  m_undo.pop_back();

  if (!first.recordColumns.isEmpty()) {
    // Deleted records come back with their ids, so the other tables that
    // name them by id find them again.
    Transaction transaction;
    for (const CellChange &change : step)
      restoreRecord(change);
    if (first.table == PurcList)
      RefreshPurchaseLines(purchaseOrderNumbers(step));
    if (!transaction.commit()) {
      ShowMessage(Translate(QStringLiteral("The change was not saved:")) +
                      QLatin1Char(' ') + LastErrorText(),
                  QStringLiteral("Database Status"));
      m_undo.push_back(step);
      return false;
    }
    if (m_table == AssyList)
      App().TreeRebuildFlag = true;
    if (!m_filter.isEmpty()) {
      m_filter.clear();
      Q_EMIT filterChanged(m_filter);
    }
    Reload();
    m_lastEdit = EditResult::Changed;
    Q_EMIT parentCommand(kCmdGridEdited);
    Q_EMIT status(Translate(QStringLiteral("Undone:")) + QLatin1Char(' ') +
                  Translate(QStringLiteral("Delete")) + QStringLiteral(" (") +
                  QString::number(step.size()) + QLatin1Char(')'));
    return true;
  }

  m_undoing = true;
  for (auto change = step.rbegin(); change != step.rend(); ++change) {
    int row = rowOfId(change->id);
    if (row < 0 && !m_filter.isEmpty()) {
      // The filter hides the row: show every row again.
      SetFilter(QString());
      Q_EMIT filterChanged(QString());
      row = rowOfId(change->id);
    }
    const int c = m_headings.indexOf(change->heading);
    if (row < 0 || c < 1) {
      ShowMessage(Translate(QStringLiteral(
                      "The record of this change no longer exists:")) +
                  QLatin1Char(' ') + change->after);
      continue;
    }
    QStringList notes;
    const EditResult result = writeCell(c, row, change->before, notes);
    if (result == EditResult::Failed && m_rowGone) {
      m_rows.invalidate();
      Q_EMIT rowsChanged();
      ShowMessage(Translate(QStringLiteral(
                      "The record of this change no longer exists:")) +
                  QLatin1Char(' ') + change->after);
      continue;
    }
    if (result == EditResult::Failed) {
      m_undoing = false;
      writeFailed();
      // Kept, so that it can be tried again once the database lets it.
      m_undo.push_back(step);
      return false;
    }
    for (const QString &note : notes)
      ShowMessage(note);
  }
  m_undoing = false;
  m_lastEdit = EditResult::Changed;
  RecheckErrors();
  if (m_table == AssyList || m_table == RescList)
    Q_EMIT parentCommand(kCmdGridEdited);
  Q_EMIT status(Translate(QStringLiteral("Undone:")) + QLatin1Char(' ') +
                Translate(first.heading) + QStringLiteral(" = ") +
                first.before);
  return true;
}

bool CGridModel::nextNumber(const char *key, int step, QString &number) {
  const int c = FindColumnKey(QString::fromLatin1(key));
  const QString column = columnOf(c);
  const long long largest =
      column.isEmpty() ? 0 : LargestGridNumber(scope(m_table), column);
  if (largest + step > kLargestNumber)
    return false;
  number = Format("%i", {largest + step});
  return true;
}

bool CGridModel::InsertRecord() {
  const QString now = TimestampText();
  const QString user = App().CurrentUser;
  auto refuse = [](const QString &text) {
    ShowMessage(Translate(text), Translate(QStringLiteral("Insert")));
    return false;
  };
  if ((m_table == AssyList || m_table == RescList) &&
      currentAssembly.trimmed().isEmpty())
    return refuse(
        QStringLiteral("Choose an assembly first: a new line needs one."));

  NewGridRecord record;
  record.table = m_table;
  record.assembly = currentAssembly;
  record.stamp = now;
  record.user = user;
  record.currency = App().CurrentCurrency;
  int counter = -1;
  switch (m_table) {
  case AssyList:
    if (!nextNumber("ITEM", 1, record.number))
      return refuse(QStringLiteral(
          "No item number after 2147483647: renumber the items first."));
    break;
  case RescList:
    if (!nextNumber("STEP", 10, record.number))
      return refuse(QStringLiteral(
          "No step number after 2147483647: renumber the steps first."));
    break;
  case PartList:
  case VendList:
  case LabrList:
    break;
  case PurcList:
  case ReqmList:
    counter =
        m_table == PurcList ? ParamLastPurchaseOrder : ParamLastRequirement;
    break;
  default:
    return false;
  }

  Transaction transaction;
  if (counter >= 0) {
    // Read and written back inside the one write transaction: two
    // programs can never hand out the same number. A counter set back
    // below the records does not hand out a taken number either.
    const long long base = NumberingBase(counter);
    if (base < 0) {
      const QString error = LastErrorText();
      transaction.fail();
      transaction.commit();
      return refuse(Translate(QStringLiteral("The record was not added:")) +
                    QLatin1Char(' ') + error);
    }
    const long long next = base + 1;
    if (next > kLargestNumber) {
      transaction.fail();
      return refuse(
          m_table == PurcList
              ? QStringLiteral("No purchase order number after 2147483647.")
              : QStringLiteral("No order number after 2147483647."));
    }
    newRecordNumber =
        Format(m_table == PurcList ? "P%0.4i" : "REQ%0.4i", {next});
    record.number = newRecordNumber;
    if (InsertGridRecord(record))
      SetParam(counter, Format("%i", {next}));
  } else {
    InsertGridRecord(record);
  }
  // Read under the same write lock: no other desk's record can be newer.
  m_insertedId = LargestRecordId(tableName());
  const bool ok = transaction.commit();
  if (!ok)
    ShowMessage(LastCommitOutcomeUnknown()
                    ? LastErrorText()
                    : Translate(QStringLiteral("The record was not added:")) +
                          QLatin1Char(' ') + LastErrorText(),
                QStringLiteral("Database Status"));
  selectLast = ok;
  sortColumn.clear();
  // The new row holds nothing the filter looks for: show every row.
  if (ok && !m_filter.isEmpty()) {
    m_filter.clear();
    Q_EMIT filterChanged(m_filter);
  }
  Reload();
  return ok;
}

QString CGridModel::usageOfParts(const QList<int> &rows) const {
  if (m_table != PartList)
    return QString();
  const int part = FindColumnKey(QStringLiteral("PART"));
  QStringList numbers;
  for (int r : rows) {
    const QString number = cell(r, part);
    if (!number.isEmpty() && !numbers.contains(number))
      numbers << number;
  }
  if (numbers.isEmpty())
    return QString();
  const auto uses = ReadAssembliesUsing(numbers);
  std::map<QString, QStringList> assemblies;
  for (const auto &[number, assembly] : uses)
    assemblies[number] << assembly;
  QStringList lines;
  for (const auto &[number, names] : assemblies) {
    if (lines.size() == kNamedInQuestion) {
      lines << QStringLiteral("…");
      break;
    }
    QStringList shown = names.mid(0, kNamedInQuestion);
    if (names.size() > kNamedInQuestion)
      shown << QStringLiteral("…");
    lines << number + QStringLiteral(": ") +
                 Translate(QStringLiteral("used in")) + QLatin1Char(' ') +
                 QString::number(names.size()) + QLatin1Char(' ') +
                 Translate(names.size() == 1 ? QStringLiteral("assembly")
                                             : QStringLiteral("assemblies")) +
                 QStringLiteral(": ") + shown.join(QStringLiteral(", "));
  }
  return lines.join(QLatin1Char('\n'));
}

bool CGridModel::DeleteRecords(const QList<int> &rows) {
  if (rows.isEmpty())
    return false;
  // A part still named by bills leaves lines without a part record: say where.
  const QString usage = usageOfParts(rows);
  const QString question = Translate(QStringLiteral("Are you sure?"));
  if (ShowMessage(usage.isEmpty() ? question
                                  : usage + QStringLiteral("\n\n") + question,
                  Translate(QStringLiteral("Delete")),
                  kButtonsYesNo) != kAnswerYes)
    return false;
  std::vector<long long> ids;
  for (int r : rows)
    if (r >= 0 && r < rowCount())
      ids.push_back(m_rows.id(r));
  if (ids.empty())
    return false;
  Transaction transaction;
  // Logged while the rows can still be read.
  if (!logDeletes(rows))
    transaction.fail();
  // The whole records, read under the write lock, so that an undo writes
  // back exactly what was deleted, lines and all.
  const QStringList columns = TableColumns(tableName());
  std::vector<CellChange> step;
  // Records that could not be read first could not be brought back.
  if (columns.isEmpty())
    transaction.fail();
  else {
    const QueryResult records = ReadGridRecords(tableName(), columns, ids);
    if (LastResultCode() != 0)
      transaction.fail();
    for (int r = 0; r < records.rowCount; ++r) {
      CellChange change;
      change.table = m_table;
      change.assembly = currentAssembly;
      change.heading = QStringLiteral("Delete");
      change.recordColumns = columns;
      // Column 0 of a result is the id, whatever it was called.
      for (int c = 0; c < columns.size() && c < records.columnCount; ++c)
        change.recordValues << records.cell(r, c);
      change.id = change.recordValues.value(0).toLongLong();
      step.push_back(std::move(change));
    }
  }
  if (transaction.ok())
    DeleteGridRecords(tableName(), ids);
  // An order's lines go with it (or stay with a record of the same number).
  if (transaction.ok() && m_table == PurcList &&
      !RefreshPurchaseLines(purchaseOrderNumbers(step)))
    transaction.fail();
  const bool ok = transaction.commit();
  if (!ok)
    ShowMessage(Translate(QStringLiteral("Nothing was deleted:")) +
                    QLatin1Char(' ') + LastErrorText(),
                QStringLiteral("Database Status"));
  else if (!step.empty())
    m_undo.push_back(std::move(step));
  Reload();
  if (m_table == AssyList)
    App().TreeRebuildFlag = true;
  Q_EMIT parentCommand(kCmdGridEdited);
  return ok;
}

bool CGridModel::AttachFile(int listColumn, int row, const QString &source,
                            const QString &folder) {
  const QFileInfo info(source);
  const QString name = info.fileName();
  if (name.isEmpty())
    return false;
  QDir().mkpath(folder);
  const QString target = folder + QLatin1Char('/') + name;
  if (QFileInfo(target).canonicalFilePath() != info.canonicalFilePath()) {
    QFile::remove(target);
    if (!QFile::copy(source, target)) {
      ShowMessage(
          TranslateLabel(QStringLiteral("The file could not be copied:")) +
          QLatin1Char(' ') + target);
      return false;
    }
  }
  return UpdateCell(listColumn, row, name);
}

bool CGridModel::WriteCells(const std::vector<CellWrite> &writes,
                            bool skipReadOnly) {
  if (writes.empty())
    return true;
  std::vector<CellChange> step;
  QStringList notes;
  m_batch = &step;
  m_batchNotes = &notes;
  m_refusal.clear();
  std::unique_ptr<WaitScope> wait;
  if (writes.size() > 50)
    wait = std::make_unique<WaitScope>(
        Translate(QStringLiteral("Update Database...")), 0,
        static_cast<int>(writes.size()));
  bool complete = true;
  int done = 0;
  for (const CellWrite &write : writes) {
    if (wait)
      wait->setPosition(++done);
    if (write.row < 0 || write.row >= rowCount() || write.listColumn < 0 ||
        write.listColumn >= listColumnCount())
      continue;
    const EditorKind kind = editorKind(write.listColumn);
    const bool typeable = !isReadOnly(write.listColumn) &&
                          kind != EditorKind::None &&
                          kind != EditorKind::Picture &&
                          kind != EditorKind::Document;
    // A file name only arrives through its file dialog, which copies the file.
    const bool fileName =
        kind == EditorKind::Picture || kind == EditorKind::Document;
    if (!typeable && !(fileName && write.text.isEmpty())) {
      if (skipReadOnly || cellText(write.row, write.listColumn) == write.text)
        continue;
      refuseEdit(Translate(QStringLiteral("This cell cannot be changed.")));
    } else if (kind == EditorKind::List && !write.text.isEmpty() &&
               !EditorItems(write.listColumn, write.row)
                    .contains(write.text)) {
      // A list cell takes only what its list offers, as its editor does.
      refuseEdit(TranslateLabel(QStringLiteral("The value is not in the list:")) +
                 QLatin1Char(' ') + write.text);
    } else {
      CommitEdit(write.listColumn, write.row, write.text, {});
    }
    if (m_lastEdit == EditResult::Refused || m_lastEdit == EditResult::Failed) {
      complete = false;
      const QString where =
          Translate(QStringLiteral("Stopped at row")) + QLatin1Char(' ') +
          QString::number(write.row + 1) + QStringLiteral(", ") +
          Translate(QStringLiteral("column")) + QLatin1Char(' ') +
          listHeading(write.listColumn);
      const bool refused = m_lastEdit == EditResult::Refused;
      const QString reason = m_refusal;
      m_batch = nullptr;
      m_batchNotes = nullptr;
      wait.reset();
      // A failed write has said why already; a refusal says it here.
      if (refused)
        ShowMessage(reason.isEmpty() ? where
                                     : reason + QStringLiteral("\n\n") + where,
                    Translate(QStringLiteral("Paste")));
      else
        Q_EMIT status(where);
      break;
    }
  }
  m_batch = nullptr;
  m_batchNotes = nullptr;
  if (!step.empty())
    m_undo.push_back(std::move(step));
  notes.removeDuplicates();
  for (const QString &note : notes)
    ShowMessage(note);
  RecheckErrors();
  if (m_table == AssyList || m_table == RescList)
    Q_EMIT parentCommand(kCmdGridEdited);
  return complete;
}

bool CGridModel::PasteBlock(int row, const std::vector<int> &listColumns,
                            const QString &text) {
  QString block = text;
  block.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  // A spreadsheet ends its last line with a line break: no empty row follows.
  if (block.endsWith(QLatin1Char('\n')))
    block.chop(1);
  if (block.isEmpty() || row < 0 || listColumns.empty())
    return false;
  std::vector<CellWrite> writes;
  const QStringList lines = block.split(QLatin1Char('\n'));
  for (int l = 0; l < lines.size(); ++l) {
    if (row + l >= rowCount()) {
      ShowMessage(Translate(QStringLiteral(
                      "The block is longer than the table: the lines past "
                      "its last row are left out.")),
                  Translate(QStringLiteral("Paste")));
      break;
    }
    const QStringList cells = lines[l].split(QLatin1Char('\t'));
    for (int c = 0; c < cells.size() && c < static_cast<int>(listColumns.size());
         ++c)
      writes.push_back({row + l, listColumns[static_cast<size_t>(c)],
                        cells[c]});
  }
  return WriteCells(writes);
}

QString CGridModel::CopyBlock(const QList<int> &rows,
                              const std::vector<int> &listColumns) const {
  QStringList lines;
  for (int r : rows) {
    QStringList cells;
    for (int lc : listColumns) {
      QString value = cellText(r, lc);
      // Tabs and line breaks inside a cell would split it on the way back.
      value.replace(QLatin1Char('\t'), QLatin1Char(' '))
          .replace(QLatin1Char('\n'), QLatin1Char(' '))
          .remove(QLatin1Char('\r'));
      cells << value;
    }
    lines << cells.join(QLatin1Char('\t'));
  }
  return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QStringList CGridModel::purchaseOrderNumbers(
    const std::vector<CellChange> &records) {
  QStringList numbers;
  for (const CellChange &record : records) {
    const qsizetype column =
        record.recordColumns.indexOf(QStringLiteral("PO_nBr"));
    if (column >= 0)
      numbers << record.recordValues.value(column);
  }
  numbers.removeDuplicates();
  return numbers;
}

bool CGridModel::restoreRecord(const CellChange &change) {
  const TableDefinition &definition = App().tables[change.table];
  QStringList types;
  for (const QString &column : change.recordColumns) {
    const int field = FieldIndex(definition, column);
    types << (column == QLatin1String("id") ? QStringLiteral("integer")
              : field >= 0 ? definition.types[static_cast<size_t>(field)]
                           : QStringLiteral("text"));
  }
  return RestoreGridRecord(tableName(), change.recordColumns, types,
                           change.recordValues);
}
