#include "bom/revisions.h"

#include "bom/bomdiff.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/tabledefs.h"
#include "core/utilities.h"
#include "db/changelog.h"
#include "db/database.h"

#include <QHash>
#include <algorithm>

namespace {

QString escapeCell(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QStringList splitEscaped(const QString& line)
{
    QStringList cells(1);
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\t')) {
            cells << QString();
        } else if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            const QChar n = line[++i];
            cells.last() += n == QLatin1Char('t')   ? QChar(u'\t')
                            : n == QLatin1Char('n') ? QChar(u'\n')
                            : n == QLatin1Char('r') ? QChar(u'\r')
                                                    : n;
        } else {
            cells.last() += c;
        }
    }
    return cells;
}

bool allLetters(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            return false;
    return true;
}

QString shownRevision(const QString& stored)
{
    return stored.trimmed().isEmpty() ? QStringLiteral("A") : stored.trimmed();
}

} // namespace

QString NextRevisionLetter(const QString& current)
{
    const QString letters = shownRevision(current).toUpper();
    if (!allLetters(letters))
        return QStringLiteral("A");
    // Counting in base 26 with digits A..Z and no zero, as spreadsheet columns do.
    QString next = letters;
    qsizetype i = next.size() - 1;
    while (i >= 0) {
        if (next[i] != QLatin1Char('Z')) {
            next[i] = QChar(next[i].unicode() + 1);
            return next;
        }
        next[i] = QLatin1Char('A');
        --i;
    }
    return QLatin1Char('A') + next;
}

QString EncodeBillLines(const std::vector<BillLine>& lines)
{
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(lines.size()));
    for (const BillLine& line : lines)
        rows << escapeCell(line.item) + QLatin1Char('\t') + escapeCell(line.part) + QLatin1Char('\t')
                    + escapeCell(line.quantity) + QLatin1Char('\t') + escapeCell(line.designators) + QLatin1Char('\t')
                    + escapeCell(line.notes);
    return rows.join(QLatin1Char('\n'));
}

std::vector<BillLine> DecodeBillLines(const QString& text)
{
    std::vector<BillLine> lines;
    if (text.isEmpty())
        return lines;
    for (const QString& row : text.split(QLatin1Char('\n'))) {
        const QStringList cells = splitEscaped(row);
        BillLine line;
        line.item = cells.value(0);
        line.part = cells.value(1);
        line.quantity = cells.value(2);
        line.designators = cells.value(3);
        line.notes = cells.value(4);
        lines.push_back(line);
    }
    return lines;
}

bool KeepRevisions(const QStringList& assemblies, const QString& note, std::vector<KeptRevision>* kept)
{
    if (assemblies.isEmpty())
        return true;
    Transaction transaction;
    bool ok = transaction.active();
    bool read = false;
    const auto bills = LoadBillsOf(assemblies, &read);
    ok = ok && read;
    const auto stored = PartRevisions(assemblies, &read);
    ok = ok && read;
    QHash<QString, QString> letters;
    for (const auto& [part, revision] : stored)
        letters.insert(part, revision);

    const QString stamp = TimestampText();
    const QString user = App().CurrentUser.isEmpty() ? CurrentUserName() : App().CurrentUser;
    std::vector<RevisionRecord> records;
    std::vector<std::pair<QString, QString>> moved;
    std::vector<ChangeEntry> changes;
    for (const auto& [assembly, lines] : bills) {
        RevisionRecord record;
        record.assembly = assembly;
        record.revision = shownRevision(letters.value(assembly));
        record.note = note;
        record.lineCount = static_cast<int>(lines.size());
        record.lines = EncodeBillLines(lines);
        record.date = stamp.left(10);
        record.user = user;
        record.stamp = stamp;
        records.push_back(record);
        const QString next = NextRevisionLetter(record.revision);
        moved.emplace_back(assembly, next);
        changes.push_back({PartList, assembly, assembly, QStringLiteral("Revision"), letters.value(assembly), next});
        if (kept)
            kept->push_back({assembly, record.revision, next, record.lineCount});
    }
    ok = ok && StoreRevisions(records) && SetPartRevisions(moved) && RecordChanges(changes);
    if (!ok)
        transaction.fail();
    return transaction.commit() && ok;
}

bool ReviseAssembly(const QString& assemblyName, const QString& note, KeptRevision* kept, QString* error)
{
    const QString assembly = UpperCaseAscii(assemblyName.trimmed());
    bool read = false;
    const std::vector<BillLine> lines = LoadBillLines(assembly, &read);
    if (read && lines.empty() && PartRecordCount(assembly) <= 0) {
        if (error)
            *error = Format(qPrintable(Translate(QStringLiteral("%s has no bill of materials"))), {assembly});
        return false;
    }
    std::vector<KeptRevision> done;
    if (!read || !KeepRevisions({assembly}, note, &done) || done.empty()) {
        if (error)
            *error = LastErrorText();
        return false;
    }
    if (kept)
        *kept = done.front();
    return true;
}

QString CurrentRevision(const QString& assembly)
{
    return shownRevision(PartRevision(assembly));
}

bool LoadBillRevision(const QString& assemblyName, const QString& revisionName, std::vector<BillLine>& lines,
                      QString* error)
{
    const QString assembly = UpperCaseAscii(assemblyName.trimmed());
    const QString revision = revisionName.trimmed().toUpper();
    bool read = false;
    if (revision.isEmpty() || revision == CurrentRevision(assembly)) {
        lines = LoadBillLines(assembly, &read);
        if (read && lines.empty() && PartRecordCount(assembly) <= 0) {
            if (error)
                *error = Format(qPrintable(Translate(QStringLiteral("%s has no bill of materials"))), {assembly});
            return false;
        }
        if (!read && error)
            *error = LastErrorText();
        return read;
    }
    const std::vector<RevisionRecord> kept = LoadRevisions(assembly, true, &read);
    if (!read) {
        if (error)
            *error = LastErrorText();
        return false;
    }
    // A letter kept twice (a revise, then the record's letter typed back)
    // names its latest bill.
    for (auto it = kept.rbegin(); it != kept.rend(); ++it)
        if (it->revision.compare(revision, Qt::CaseInsensitive) == 0) {
            lines = DecodeBillLines(it->lines);
            return true;
        }
    if (error)
        *error = Format(qPrintable(Translate(QStringLiteral("%s has no revision %s"))), {assembly, revision});
    return false;
}

ItemNumbering::ItemNumbering(const std::vector<BillLine>& before)
{
    int highest = 0;
    for (const BillLine& line : before) {
        m_byPart[line.part].push_back(m_old.size());
        for (const QString& designator : SplitDesignators(line.designators))
            m_byDesignator[designator].push_back(m_old.size());
        m_old.push_back({line.designators, line.item, false});
        highest = std::max(highest, TextToInt(line.item));
    }
    m_next = highest + 1;
}

QString ItemNumbering::take(const QString& part, const QString& designators)
{
    Old* found = nullptr;
    const auto lines = m_byPart.constFind(part);
    if (lines != m_byPart.constEnd())
        for (const size_t at : *lines) {
            Old& old = m_old[at];
            if (old.taken)
                continue;
            if (old.designators == designators) {
                found = &old;
                break;
            }
            if (!found)
                found = &old;
        }
    // A new part on the places of an old line is that line with its part
    // changed, as the comparison reports it: it keeps the line's number.
    if (!found)
        for (const QString& designator : SplitDesignators(designators)) {
            const auto places = m_byDesignator.constFind(designator);
            if (places == m_byDesignator.constEnd())
                continue;
            for (const size_t at : *places)
                if (!m_old[at].taken) {
                    found = &m_old[at];
                    break;
                }
            if (found)
                break;
        }
    if (found && !found->item.isEmpty()) {
        found->taken = true;
        return found->item;
    }
    return QString::number(m_next++);
}
