// koltctl commands of the database layer: init, param, query.
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/copy.h"
#include "db/database.h"
#include "db/parameters.h"

namespace {

// The parameter's row, read so that a failed read and a missing row are told
// apart from an empty value: a script must never take either for "".
bool readParamRow(CtlContext& ctx, int n, QString& value)
{
    const QueryResult row = Query(SqlFormat("SELECT Param from GlobalParamList where ParamName = 'Param%i'", {n}));
    if (LastResultCode() != 0) {
        ctx.err << "param: Param" << n << " could not be read: " << LastErrorText() << "\n";
        return false;
    }
    if (row.rowCount == 0) {
        ctx.err << "param: Param" << n << " is missing from GlobalParamList\n";
        return false;
    }
    value = row.cell(0, 0);
    return true;
}

int runParam(CtlContext& ctx)
{
    const QString verb = ctx.args.value(0);
    bool numeric = false;
    const int n = ctx.args.value(1).toInt(&numeric);
    if (!numeric || n < 0 || n >= kParamCount) {
        ctx.err << "param: the number must be 0 to " << kParamCount - 1 << "\n";
        return kCtlUsage;
    }
    QString value;
    if (verb == QLatin1String("get") && ctx.args.size() == 2) {
        if (!readParamRow(ctx, n, value))
            return kCtlFailed;
        ctx.out << value << "\n";
        return kCtlOk;
    }
    if (verb == QLatin1String("set") && ctx.args.size() == 3) {
        // An update of a missing row changes nothing and fails nowhere.
        if (!readParamRow(ctx, n, value))
            return kCtlFailed;
        SetParam(n, ctx.args[2]);
        if (LastResultCode() != 0 || !readParamRow(ctx, n, value) || value != ctx.args[2]) {
            ctx.err << "param: Param" << n << " could not be written\n";
            return kCtlFailed;
        }
        return kCtlOk;
    }
    return kCtlUsage;
}

// A cell on one tab-separated line: its own tabs and line breaks would split
// it, so they are written as \t, \n and \r, and a backslash as \\.
QString escapedCell(const QString& cell)
{
    QString out;
    out.reserve(cell.size());
    for (const QChar c : cell) {
        switch (c.unicode()) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        default: out += c; break;
        }
    }
    return out;
}

int runQuery(CtlContext& ctx)
{
    if (ctx.args.size() != 1)
        return kCtlUsage;
    const QueryResult result = Query(ctx.args[0]);
    if (LastResultCode() != 0)
        return kCtlFailed;
    QStringList headings;
    for (int c = 0; c < result.columnCount; ++c)
        headings << escapedCell(result.headings[c]);
    if (result.rowCount > 0)
        ctx.out << headings.join(QLatin1Char('\t')) << "\n";
    for (int r = 0; r < result.rowCount; ++r) {
        QStringList row;
        for (int c = 0; c < result.columnCount; ++c)
            row << escapedCell(result.cell(r, c));
        ctx.out << row.join(QLatin1Char('\t')) << "\n";
    }
    return kCtlOk;
}

} // namespace

void RegisterDbCommands()
{
    RegisterCtlCommand({QStringLiteral("copy"), QStringLiteral("copy FROM TO"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 2)
                                return kCtlUsage;
                            const CopyOutcome outcome = CopyData(ctx.args[0], ctx.args[1]);
                            for (const QString& line : outcome.tables)
                                ctx.out << line << "\n";
                            return outcome.done ? kCtlOk : kCtlFailed;
                        },
                        false});
    RegisterCtlCommand({QStringLiteral("init"), QStringLiteral("init"), [](CtlContext& ctx) {
                            // The folder was initialised on the way in; say where it is.
                            ctx.out << App().DataFolder << "\n";
                            return kCtlOk;
                        }});
    RegisterCtlCommand({QStringLiteral("param"), QStringLiteral("param get N | param set N TEXT"), runParam});
    RegisterCtlCommand({QStringLiteral("query"), QStringLiteral("query SQL"), runQuery});
}
