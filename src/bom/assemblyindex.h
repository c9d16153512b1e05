#pragma once
// The application-wide index of assembly names (App().assemblyNames with
// their "N"/"N." labels in App().assemblyLabels) and the column lookup the
// bill-of-materials code shares.
#include <QHash>
#include <QString>
#include <QStringList>

// The statements the tree view, the index and the assembly tree read are in
// src/db/billrows.h (kAssemblyViewQuery, ReadAssemblyIndexRows,
// ReadAssemblyTreeRows).
#include "db/billrows.h"

// First column whose heading contains key, both compared in upper case; -1 when none.
int BomColumn(const QueryResult& result, const QString& key);

// Rebuilds App().assemblyNames/assemblyLabels from rows with an "Ass" and a
// "Part" column: distinct names in first-occurrence order, labelled "N." when
// the assembly is used as a part of some line, "N" otherwise.
void RebuildAssemblyIndex(const QueryResult& result);

// A label without "." marks an assembly that no other assembly uses.
bool IsTopLevelLabel(const QString& label);

// Constant-time lookups into the index as it stood when constructed.
class AssemblyLookup
{
public:
    AssemblyLookup(); // from App()
    AssemblyLookup(const QStringList& names, const QStringList& labels);

    // Position in the index, -1 when the text is not an assembly.
    int indexOf(const QString& name) const { return m_positions.value(name, -1); }
    bool contains(const QString& name) const { return m_positions.contains(name); }
    const QStringList& names() const { return m_names; }
    // The top-level names in index order.
    QStringList topLevel() const;

private:
    QStringList m_names;
    QStringList m_labels;
    QHash<QString, int> m_positions;
};

// "Assembly contains itself: A > B > A"
QString CycleMessage(const QStringList& path, const QString& repeated);

// Runs the navigation view's statement and rebuilds the index from it, for
// callers that have no navigation view (koltctl, the tests).
void LoadAssemblyIndex();
