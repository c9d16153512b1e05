#include "bom/bomdiff.h"

#include "bom/revisions.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/tabledefs.h"
#include "core/utilities.h"
#include "db/changelog.h"

#include <QCollator>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

BomFileReader& fileReader()
{
    static BomFileReader reader;
    return reader;
}

// One part of one side: its lines taken together.
struct PartSide
{
    double quantity = 0;
    QStringList designators;
    bool present = false;
};

struct Side
{
    QStringList order; // parts in the order the bill first names them
    QHash<QString, PartSide> parts;
    QHash<QString, QString> designatorPart; // which part each designator labels
};

Side collect(const std::vector<BillLine>& lines)
{
    Side side;
    for (const BillLine& line : lines) {
        if (line.part.isEmpty())
            continue;
        PartSide& part = side.parts[line.part];
        if (!part.present) {
            part.present = true;
            side.order << line.part;
        }
        part.quantity += TextToDouble(line.quantity);
        for (const QString& designator : SplitDesignators(line.designators)) {
            if (!part.designators.contains(designator))
                part.designators << designator;
            side.designatorPart.insert(designator, line.part);
        }
    }
    QCollator natural;
    natural.setNumericMode(true);
    for (PartSide& part : side.parts)
        std::sort(part.designators.begin(), part.designators.end(),
                  [&natural](const QString& a, const QString& b) { return natural.compare(a, b) < 0; });
    return side;
}

QString joined(const QStringList& designators)
{
    return designators.join(QLatin1Char(','));
}

bool sameQuantity(double a, double b)
{
    return std::abs(a - b) < 1e-9 * std::max(1.0, std::max(std::abs(a), std::abs(b)));
}

} // namespace

QString BomChangeKindName(BomChangeKind kind)
{
    switch (kind) {
    case BomChangeKind::Added:
        return QStringLiteral("added");
    case BomChangeKind::Removed:
        return QStringLiteral("removed");
    case BomChangeKind::Quantity:
        return QStringLiteral("quantity");
    case BomChangeKind::Designators:
        return QStringLiteral("designators");
    case BomChangeKind::Part:
        return QStringLiteral("part");
    }
    return QString();
}

QStringList SplitDesignators(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    QStringList out;
    for (const QString& piece : text.split(separators, Qt::SkipEmptyParts))
        out << piece.toUpper();
    return out;
}

std::vector<BomChange> DiffBills(const std::vector<BillLine>& before, const std::vector<BillLine>& after)
{
    const Side old = collect(before);
    const Side now = collect(after);
    std::vector<BomChange> changes;

    // A part swapped on the very same designators is one change, not a
    // removal and an addition: the board is the same, the part is not.
    QHash<QString, QString> swappedTo;
    QHash<QString, QString> swappedFrom;
    {
        QHash<QString, QString> addedByDesignators;
        for (const QString& part : now.order)
            if (!old.parts.contains(part) && !now.parts[part].designators.isEmpty())
                addedByDesignators.insert(joined(now.parts[part].designators), part);
        for (const QString& part : old.order) {
            if (now.parts.contains(part) || old.parts[part].designators.isEmpty())
                continue;
            const QString key = joined(old.parts[part].designators);
            const QString replacement = addedByDesignators.value(key);
            if (!replacement.isEmpty() && !swappedFrom.contains(replacement)) {
                swappedTo.insert(part, replacement);
                swappedFrom.insert(replacement, part);
            }
        }
    }

    for (const QString& part : old.order) {
        const PartSide& was = old.parts[part];
        if (swappedTo.contains(part)) {
            const QString replacement = swappedTo.value(part);
            const PartSide& is = now.parts[replacement];
            changes.push_back({BomChangeKind::Part, part, part, replacement, joined(was.designators)});
            if (!sameQuantity(was.quantity, is.quantity))
                changes.push_back({BomChangeKind::Quantity, replacement, PlainNumber(was.quantity),
                                   PlainNumber(is.quantity), QString()});
            continue;
        }
        if (!now.parts.contains(part)) {
            changes.push_back({BomChangeKind::Removed, part, PlainNumber(was.quantity), QString(),
                               joined(was.designators)});
            continue;
        }
        const PartSide& is = now.parts[part];
        if (!sameQuantity(was.quantity, is.quantity))
            changes.push_back(
                {BomChangeKind::Quantity, part, PlainNumber(was.quantity), PlainNumber(is.quantity), QString()});
        if (was.designators != is.designators) {
            QStringList notes;
            QStringList movedIn;
            QHash<QString, QStringList> movedInFrom;
            for (const QString& d : is.designators) {
                const QString from = old.designatorPart.value(d);
                if (!from.isEmpty() && from != part && now.parts.contains(from))
                    movedInFrom[from] << d;
            }
            QHash<QString, QStringList> movedOutTo;
            for (const QString& d : was.designators) {
                const QString to = now.designatorPart.value(d);
                if (!to.isEmpty() && to != part && old.parts.contains(to))
                    movedOutTo[to] << d;
            }
            QStringList fromParts = movedInFrom.keys();
            fromParts.sort();
            for (const QString& from : fromParts)
                notes << Format("moved from %s: %s", {from, joined(movedInFrom[from])});
            QStringList toParts = movedOutTo.keys();
            toParts.sort();
            for (const QString& to : toParts)
                notes << Format("moved to %s: %s", {to, joined(movedOutTo[to])});
            changes.push_back({BomChangeKind::Designators, part, joined(was.designators), joined(is.designators),
                               notes.join(QStringLiteral("; "))});
        }
    }
    for (const QString& part : now.order) {
        if (old.parts.contains(part) || swappedFrom.contains(part))
            continue;
        const PartSide& is = now.parts[part];
        // A designator the old bill gave to another part now labels a part
        // that is new to the bill: the place is reused, and whoever fits
        // the board must not take the old part for it.
        QStringList reused;
        for (const QString& d : is.designators) {
            const QString was = old.designatorPart.value(d);
            if (!was.isEmpty() && was != part)
                reused << Format("%s (was %s)", {d, was});
        }
        QString note = joined(is.designators);
        if (!reused.isEmpty())
            note += QStringLiteral("; reused: ") + reused.join(QStringLiteral(", "));
        changes.push_back({BomChangeKind::Added, part, QString(), PlainNumber(is.quantity), note});
    }
    return changes;
}

QString BomChangeLine(const BomChange& change)
{
    QString line = BomChangeKindName(change.kind) + QLatin1Char('\t') + change.part + QLatin1Char('\t')
                   + change.oldValue + QLatin1Char('\t') + change.newValue;
    if (!change.note.isEmpty())
        line += QLatin1Char('\t') + change.note;
    return line;
}

void SetBomFileReader(BomFileReader reader)
{
    fileReader() = std::move(reader);
}

bool LoadBomSide(const QString& side, std::vector<BillLine>& lines, QString* label, QString* error)
{
    const QFileInfo file(side);
    if (file.isFile()) {
        if (label)
            *label = file.fileName();
        if (!fileReader()) {
            if (error)
                *error = Translate(QStringLiteral("Bill files cannot be read here"));
            return false;
        }
        return fileReader()(side, lines, error);
    }
    const qsizetype at = side.lastIndexOf(QLatin1Char('@'));
    const QString assembly = UpperCaseAscii((at >= 0 ? side.left(at) : side).trimmed());
    const QString revision = at >= 0 ? side.mid(at + 1).trimmed().toUpper() : QString();
    if (assembly.isEmpty()) {
        if (error)
            *error = Translate(QStringLiteral("Enter an assembly, ASSY@REV or a bill file"));
        return false;
    }
    if (label)
        *label = assembly + QLatin1Char('@') + (revision.isEmpty() ? CurrentRevision(assembly) : revision);
    return LoadBillRevision(assembly, revision, lines, error);
}

bool LogBillChanges(const QString& assembly, const std::vector<BillLine>& before)
{
    bool read = false;
    const std::vector<BillLine> after = LoadBillLines(assembly, &read);
    if (!read)
        return false;
    std::vector<ChangeEntry> entries;
    for (const BomChange& change : DiffBills(before, after))
        entries.push_back({AssyList, assembly, change.kind == BomChangeKind::Part ? change.newValue : change.part,
                           BomChangeKindName(change.kind), change.oldValue, change.newValue});
    return RecordChanges(entries);
}
