#include "bom/alternates.h"

#include "bom/explosion.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/bills.h"
#include "db/billrows.h"
#include "db/database.h"
#include "db/parts.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <functional>

QStringList SplitAlternates(const QString& text, const QString& part)
{
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    QStringList out;
    for (const QString& piece : text.split(separators, Qt::SkipEmptyParts)) {
        const QString name = UpperCaseAscii(piece);
        if (name != part && !out.contains(name))
            out << name;
    }
    return out;
}

QHash<QString, std::vector<AlternateStock>> LoadAlternates(const QString& assembly, const QStringList& parts)
{
    QHash<QString, std::vector<AlternateStock>> found;
    if (parts.isEmpty())
        return found;
    // Without the columns (a table set up before them) nothing is asked,
    // so a failed statement cannot spoil the caller's transaction.
    if (!TableHasColumn(QStringLiteral("PartList"), QStringLiteral("Alternates")))
        return found;
    QHash<QString, QStringList> names;
    QSet<QString> recordAlternates; // "PART\tALTERNATE": may stand in for every line
    for (const auto& [part, alternates] : ReadPartAlternates(parts))
        for (const QString& alternate : SplitAlternates(alternates, part)) {
            recordAlternates.insert(part + QLatin1Char('\t') + alternate);
            if (!names[part].contains(alternate))
                names[part] << alternate;
        }
    // A substitute stands in for its own lines only: its share is what those
    // lines need of the part per build, over what every line needs.
    QHash<QString, QHash<QString, double>> shares;
    if (!assembly.isEmpty() && TableHasColumn(QStringLiteral("AssyList"), QStringLiteral("Substitutes"))) {
        const std::vector<SubstituteLine> uses = ReadSubstituteLines(assembly);
        const QSet<QString> wanted(parts.begin(), parts.end());
        QHash<QString, std::vector<std::pair<QString, double>>> parents; // sub-assembly → (assembly, quantity)
        QSet<QString> assemblies;
        for (const SubstituteLine& use : uses)
            assemblies.insert(use.assembly);
        for (const SubstituteLine& use : uses)
            if (assemblies.contains(use.part))
                parents[use.part].emplace_back(use.assembly, use.quantity);
        // Units of each assembly in one build of the top; a bill that contains
        // itself was refused before, and the guard keeps a walk finite anyway.
        QHash<QString, double> per;
        QSet<QString> walking;
        std::function<double(const QString&)> unitsOf = [&](const QString& name) -> double {
            if (name == assembly)
                return 1;
            const auto known = per.constFind(name);
            if (known != per.constEnd())
                return known.value();
            if (walking.contains(name))
                return 0;
            walking.insert(name);
            double units = 0;
            for (const auto& [parent, quantity] : parents.value(name))
                units += unitsOf(parent) * quantity;
            walking.remove(name);
            per.insert(name, units);
            return units;
        };
        QHash<QString, double> need;
        QHash<QString, QHash<QString, double>> named;
        for (const SubstituteLine& use : uses) {
            if (!wanted.contains(use.part))
                continue;
            const double units = unitsOf(use.assembly) * use.quantity;
            need[use.part] += units;
            for (const QString& alternate : SplitAlternates(use.substitutes, use.part)) {
                named[use.part][alternate] += units;
                if (!names[use.part].contains(alternate))
                    names[use.part] << alternate;
            }
        }
        for (auto part = named.constBegin(); part != named.constEnd(); ++part)
            for (auto it = part.value().constBegin(); it != part.value().constEnd(); ++it)
                shares[part.key()][it.key()] = need.value(part.key()) > 0
                                                   ? std::min(1.0, it.value() / need.value(part.key()))
                                                   : 1.0;
    }
    if (names.isEmpty())
        return found;
    QStringList all;
    for (const QStringList& list : names)
        for (const QString& name : list)
            if (!all.contains(name))
                all << name;
    const QHash<QString, AlternateStock> stock = LoadAlternateRecords(all);
    for (auto it = names.constBegin(); it != names.constEnd(); ++it) {
        std::vector<AlternateStock>& list = found[it.key()];
        for (const QString& name : it.value()) {
            AlternateStock alternate = stock.value(name, AlternateStock{name, 0, QString(), QString()});
            if (!recordAlternates.contains(it.key() + QLatin1Char('\t') + name))
                alternate.share = shares.value(it.key()).value(name, 1.0);
            list.push_back(alternate);
        }
    }
    return found;
}

QHash<QString, AlternateStock> LoadAlternateRecords(const QStringList& parts)
{
    QHash<QString, AlternateStock> stock;
    if (parts.isEmpty())
        return stock;
    // The maker's number is only wanted by the export; a shop without the
    // column still has the stock.
    const bool mpn = TableHasColumn(QStringLiteral("PartList"), QStringLiteral("Mfr_Part_nBr"));
    for (const PartStockRecord& row : ReadPartStockRecords(parts, mpn))
        if (!stock.contains(row.part))
            stock.insert(row.part, {row.part, row.stock - row.allocated, row.manufacturer, row.manufacturerPart});
    return stock;
}

QueryResult WithAlternateColumns(const QueryResult& bill)
{
    const int part = FindColumn(bill, QStringLiteral("Part"));
    const int substitutes = FindColumn(bill, QStringLiteral("Substitutes"));
    if (part < 0 || bill.rowCount == 0)
        return bill;
    QStringList parts;
    for (int r = 0; r < bill.rowCount; ++r)
        if (!bill.cell(r, part).isEmpty() && !parts.contains(bill.cell(r, part)))
            parts << bill.cell(r, part);
    const QHash<QString, std::vector<AlternateStock>> ofParts = LoadAlternates(QString(), parts);
    // Per line: the part's alternates, then its own substitutes.
    std::vector<QStringList> perLine(static_cast<size_t>(bill.rowCount));
    QStringList named;
    size_t widest = 0;
    for (int r = 0; r < bill.rowCount; ++r) {
        QStringList& list = perLine[static_cast<size_t>(r)];
        for (const AlternateStock& alternate : ofParts.value(bill.cell(r, part)))
            list << alternate.part;
        if (substitutes >= 0)
            for (const QString& name : SplitAlternates(bill.cell(r, substitutes), bill.cell(r, part)))
                if (!list.contains(name))
                    list << name;
        for (const QString& name : list)
            if (!named.contains(name))
                named << name;
        widest = std::max(widest, static_cast<size_t>(list.size()));
    }
    if (widest == 0)
        return bill;
    const QHash<QString, AlternateStock> records = LoadAlternateRecords(named);
    // The row keeps within the columns a result holds.
    widest = std::min(widest, static_cast<size_t>((kMaxColumns - bill.columnCount) / 2));
    QueryResult out = bill;
    out.columnCount = bill.columnCount + static_cast<int>(2 * widest);
    out.cells.assign(static_cast<size_t>(out.rowCount) * static_cast<size_t>(out.columnCount), QString());
    for (size_t n = 0; n < widest; ++n) {
        out.headings[static_cast<size_t>(bill.columnCount) + 2 * n] = Format("Alternate %i Manufacturer", {static_cast<int>(n + 1)});
        out.headings[static_cast<size_t>(bill.columnCount) + 2 * n + 1] = Format("Alternate %i MPN", {static_cast<int>(n + 1)});
    }
    for (int r = 0; r < bill.rowCount; ++r) {
        for (int c = 0; c < bill.columnCount; ++c)
            out.setCell(r, c, bill.cell(r, c));
        const QStringList& list = perLine[static_cast<size_t>(r)];
        for (size_t n = 0; n < widest && n < static_cast<size_t>(list.size()); ++n) {
            const AlternateStock record = records.value(list[static_cast<qsizetype>(n)]);
            // Without a maker's number the part number is what a buyer can quote.
            out.setCell(r, bill.columnCount + static_cast<int>(2 * n), record.manufacturer);
            out.setCell(r, bill.columnCount + static_cast<int>(2 * n + 1),
                        record.mfrPart.isEmpty() ? list[static_cast<qsizetype>(n)] : record.mfrPart);
        }
    }
    return out;
}
