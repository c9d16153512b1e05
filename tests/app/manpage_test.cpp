// The manual page of koltctl against the README's command table and the
// commands koltctl itself knows: a command added to one and not the others
// fails here.
#include "support/testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// The words that name a command in a usage line: "partinfo [--service URL]
// search TEXT" is "partinfo search", "print bom ASSY (--indented|--flat)" is
// "print bom". Bracketed groups are skipped; a placeholder or option ends it.
QString commandOf(const QString& usage)
{
    QStringList words;
    int depth = 0;
    for (const QString& token : usage.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int opening = static_cast<int>(token.count(QLatin1Char('[')) + token.count(QLatin1Char('(')));
        const int closing = static_cast<int>(token.count(QLatin1Char(']')) + token.count(QLatin1Char(')')));
        const bool inside = depth > 0 || opening > 0;
        depth += opening - closing;
        if (inside)
            continue;
        if (!QRegularExpression(QStringLiteral("^[a-z][a-z-]*$")).match(token).hasMatch())
            break;
        words << token;
    }
    return words.join(QLatin1Char(' '));
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QSet<QString> readmeCommands()
{
    const QString readme = readText(SourceDir() + QStringLiteral("/README.md"));
    const QString section = readme.section(QStringLiteral("\n## koltctl\n"), 1).section(QStringLiteral("\n## "), 0, 0);
    QSet<QString> commands;
    static const QRegularExpression firstCell(QStringLiteral("^\\| (.*?`) \\| "));
    static const QRegularExpression code(QStringLiteral("`([^`]+)`"));
    for (const QString& line : section.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch cell = firstCell.match(line);
        if (!cell.hasMatch())
            continue;
        for (auto it = code.globalMatch(cell.captured(1)); it.hasNext();)
            commands << commandOf(it.next().captured(1).replace(QStringLiteral("\\|"), QStringLiteral("|")));
    }
    return commands;
}

// The entries of the COMMANDS section: the line after each .TP or .TQ.
QSet<QString> manualCommands()
{
    const QString page = readText(SourceDir() + QStringLiteral("/packaging/koltctl.1.in"));
    const QStringList lines = page.section(QStringLiteral(".SH COMMANDS\n"), 1).section(QStringLiteral("\n.SH "), 0, 0)
                                  .split(QLatin1Char('\n'));
    static const QRegularExpression font(QStringLiteral("\\\\f[BIRP]"));
    QSet<QString> commands;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == QLatin1String(".TP") || lines[i] == QLatin1String(".TQ"))
            commands << commandOf(QString(lines[i + 1]).remove(font).replace(QStringLiteral("\\-"), QStringLiteral("-")));
    return commands;
}

QSet<QString> firstWords(const QSet<QString>& commands)
{
    QSet<QString> words;
    for (const QString& command : commands)
        words << command.section(QLatin1Char(' '), 0, 0);
    return words;
}

} // namespace

TEST(ManualPage, NamesEveryCommandOfTheReadmeAndOfKoltctl)
{
    EXPECT_EQ(commandOf(QStringLiteral("partinfo [--service URL] search TEXT")), QStringLiteral("partinfo search"));
    EXPECT_EQ(commandOf(QStringLiteral("print bom ASSY (--indented|--flat) --pdf FILE")), QStringLiteral("print bom"));
    EXPECT_EQ(commandOf(QStringLiteral("partinfo answers [on|off]")), QStringLiteral("partinfo answers"));

    const QSet<QString> readme = readmeCommands();
    const QSet<QString> manual = manualCommands();
    ASSERT_GT(readme.size(), 25) << "the README's command table was not found";
    for (const QString& command : readme)
        EXPECT_TRUE(manual.contains(command)) << "packaging/koltctl.1.in lacks \"" << command.toStdString()
                                              << "\" of the README's table";

    // koltctl's own usage names every registered command and print's subcommands.
    const CtlRun usage = RunKoltctl({});
    QSet<QString> registered;
    for (const QString& line : usage.err.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("  ")))
            registered << commandOf(line.trimmed());
    ASSERT_GT(registered.size(), 20) << usage.err.toStdString();
    EXPECT_EQ(firstWords(manual), firstWords(registered));
    for (const QString& command : registered) {
        if (command.startsWith(QLatin1String("print "))) {
            EXPECT_TRUE(manual.contains(command)) << command.toStdString();
        }
    }
}
