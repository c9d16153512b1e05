#include "bom/assemblyindex.h"

#include "bom/explosion.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "db/database.h"

#include <QSet>


int BomColumn(const QueryResult& result, const QString& key)
{
    const QString upperKey = key.toUpper();
    for (int c = 0; c < result.columnCount; ++c)
        if (result.headings[c].toUpper().contains(upperKey))
            return c;
    return -1;
}

void RebuildAssemblyIndex(const QueryResult& result)
{
    AppState& app = App();
    app.assemblyNames.clear();
    app.assemblyLabels.clear();
    const int assyColumn = BomColumn(result, QStringLiteral("Ass"));
    const int partColumn = BomColumn(result, QStringLiteral("Part"));
    if (assyColumn < 0)
        return;
    QSet<QString> seen;
    QSet<QString> usedAsPart;
    for (int r = 0; r < result.rowCount; ++r) {
        const QString& name = result.cell(r, assyColumn);
        if (partColumn >= 0)
            usedAsPart.insert(result.cell(r, partColumn));
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.insert(name);
        app.assemblyNames << name;
    }
    for (int i = 0; i < app.assemblyNames.size(); ++i)
        app.assemblyLabels << Format(usedAsPart.contains(app.assemblyNames[i]) ? "%i." : "%i", {i + 1});
}

bool IsTopLevelLabel(const QString& label)
{
    return !label.contains(QLatin1Char('.'));
}

AssemblyLookup::AssemblyLookup() : AssemblyLookup(App().assemblyNames, App().assemblyLabels) {}

AssemblyLookup::AssemblyLookup(const QStringList& names, const QStringList& labels)
    : m_names(names), m_labels(labels)
{
    m_positions.reserve(names.size());
    for (int i = 0; i < names.size(); ++i)
        if (!m_positions.contains(names[i]))
            m_positions.insert(names[i], i);
}

QStringList AssemblyLookup::topLevel() const
{
    QStringList top;
    for (int i = 0; i < m_names.size(); ++i)
        if (IsTopLevelLabel(m_labels.value(i)))
            top << m_names[i];
    return top;
}

QString CycleMessage(const QStringList& path, const QString& repeated)
{
    QStringList names = path;
    names << repeated;
    return Translate(QStringLiteral("Assembly contains itself")) + QStringLiteral(": ") + names.join(QStringLiteral(" > "));
}

void LoadAssemblyIndex()
{
    // The index needs two columns of the lines, not the join the view once read.
    RebuildAssemblyIndex(ReadAssemblyIndexRows());
}
