#include "core/tabledefs.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "core/utilities.h"

#include <QFile>

namespace {

const char* const kKeys[kTableCount] = {"ASSYLIST", "PARTLIST", "VENDLIST", "RESCLIST", "PURCLIST",
                                        "REQMLIST", "TASKLIST", "LABRLIST", "ALLOLIST", "MOVELIST", "HOLILIST",
                                        "REVSLIST", "CHNGLIST", "SRCLIST", "BRKLIST", "RATELIST", "PURCLINE"};
const char* const kNames[kTableCount] = {"AssyList", "PartList", "VendList", "RescList", "PurcList",
                                         "ReqmList", "TaskList", "LabrList", "AlloList", "MoveList", "HoliList",
                                         "RevsList", "ChngList", "SrcList", "BrkList", "RateList", "PurcLine"};

void clearFields(TableDefinition& definition)
{
    // The action codes stay: a definition read again keeps codes of fields it no longer has.
    for (int i = 0; i < kMaxColumns; ++i) {
        definition.headings[i].clear();
        definition.attributes[i].clear();
        definition.types[i].clear();
    }
    definition.fieldCount = 0;
}

} // namespace

QString TableKey(int table)
{
    return (table >= 0 && table < kTableCount) ? QString::fromLatin1(kKeys[table]) : QString();
}

QString TableSqlName(int table)
{
    return (table >= 0 && table < kTableCount) ? QString::fromLatin1(kNames[table]) : QString();
}

void ParseTableDefinition(const QByteArray& bytes, TableDefinition& definition)
{
    clearFields(definition);
    QString line;
    auto completeLine = [&definition](const QString& text) {
        if (text.startsWith(QLatin1Char(';')))
            return;
        const QStringList values = text.split(QLatin1Char(','));
        const int f = definition.fieldCount;
        definition.headings[f] = values.value(0);
        definition.actionCodes[f] = TextToInt(values.value(1));
        definition.attributes[f] = values.value(2);
        definition.types[f] = values.value(3);
        ++definition.fieldCount;
    };
    for (qsizetype pos = 2; pos + 1 < bytes.size() && definition.fieldCount < kMaxColumns; pos += 2) {
        const char16_t ch = static_cast<char16_t>(static_cast<unsigned char>(bytes[pos])
                                                  | (static_cast<unsigned char>(bytes[pos + 1]) << 8));
        if (ch == u'\r') {
            completeLine(line);
            line.clear();
        } else if (ch >= 0x20) {
            line += QChar(ch);
        }
    }
}

bool LoadTableDefinition(const QString& key, TableDefinition& definition)
{
    QFile file(App().ProgramFolder + key + QStringLiteral(".def"));
    if (!file.open(QIODevice::ReadOnly)) {
        clearFields(definition);
        ShowMessage(Translate(QStringLiteral("Missing Table Definition File:")) + key,
                    Translate(QStringLiteral("Missing File")));
        return false;
    }
    ParseTableDefinition(file.readAll(), definition);
    return true;
}

void LoadAllTableDefinitions()
{
    for (int t = 0; t < kTableCount; ++t) {
        LoadTableDefinition(TableKey(t), App().tables[t]);
        App().tables[t].name = TableSqlName(t);
    }
}

QString ToColumnName(const QString& heading)
{
    QString name = heading;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    const qsizetype hash = name.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        name = name.left(hash) + QStringLiteral("nBr");
    if (name.contains(QStringLiteral("Key")))
        return QStringLiteral("id");
    return name;
}

QString ToHeading(const QString& columnName)
{
    QString heading = columnName;
    heading.replace(QLatin1Char('_'), QLatin1Char(' '));
    const qsizetype nbr = heading.indexOf(QStringLiteral("nBr"));
    if (nbr >= 0)
        heading = heading.left(nbr) + QLatin1Char('#');
    if (heading.contains(QStringLiteral("id")))
        return QStringLiteral("Key");
    return heading;
}

bool IsUpperCaseColumn(const QString& tableKey, const QString& heading)
{
    const QString key = tableKey.toUpper();
    const QString h = heading.toUpper();
    if (key == QLatin1String("ASSYLIST"))
        return h.contains(QLatin1String("ASS")) || h.contains(QLatin1String("PART"));
    if (key == QLatin1String("PARTLIST"))
        return h.contains(QLatin1String("PART")) || h.contains(QLatin1String("MANUF"))
            || h.contains(QLatin1String("DIST"));
    if (key == QLatin1String("RESCLIST") || key == QLatin1String("REQMLIST"))
        return h.contains(QLatin1String("ASS"));
    if (key == QLatin1String("VENDLIST"))
        return h == QLatin1String("VENDOR") || h.contains(QLatin1String("DIST"));
    return false;
}

int FieldIndex(const TableDefinition& definition, const QString& column)
{
    for (int i = 0; i < definition.fieldCount; ++i)
        if (ToColumnName(definition.headings[i]) == column)
            return i;
    return -1;
}
