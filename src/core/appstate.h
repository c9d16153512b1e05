#pragma once
// The process-wide settings every subsystem reads: where the program and the
// data live, who works, the table definitions, the grid's column layout, the
// dictionary and the index of assemblies.
#include "core/dictionary.h"
#include "core/tabledefs.h"

#include <QString>
#include <QStringList>
#include <array>

struct ColumnSetting
{
    qint32 shown = 1;
    qint32 width = -1; // -1: automatic
    qint32 position = 0;
};

using TableColumnLayout = std::array<ColumnSetting, kMaxColumns>;
using ColumnLayoutTable = std::array<TableColumnLayout, kTableCount>;

ColumnLayoutTable DefaultColumnLayout();

struct AppState
{
    QString ProgramFolder; // ends in "/"
    QString DataFolder;    // holds kolt.db; no trailing "/"
    QString PictureFolder;
    QString DocumentFolder;
    QString CurrentUser;
    QString CurrentCurrency;
    std::array<TableDefinition, kTableCount> tables;
    ColumnLayoutTable ColumnLayout = DefaultColumnLayout();
    int language = 0;
    Dictionary dictionary;
    // Assembly names and their "N"/"N." labels, kept by the BOM subsystem.
    QStringList assemblyNames;
    QStringList assemblyLabels;
    bool TreeRebuildFlag = false;
};

AppState& App();

// Whether a data location names a database server ("postgresql://..." or
// "postgres://...") rather than a folder holding kolt.db.
bool IsServerAddress(const QString& location);
// A location written as a URI other than a server address ("file:kolt",
// "x?mode=memory"): SQLite would read it as one, with a shop that keeps
// nothing or options nobody chose, so it is refused as a data location.
bool IsUriLocation(const QString& location);

// Where attached pictures and documents live: DataFolder + "/Picture" and
// "/Document" beside kolt.db; with the data on a server, the Picture and
// Document folders of the settings (a shared folder, usually), else the same
// names in the default local data folder.
QString DataPictureFolder();
QString DataDocumentFolder();
