#include "db/backup.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "db/copy.h"
#include "db/serveraccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

BackupOutcome refuse(const QString& text)
{
    ShowMessage(text, QStringLiteral("Database Status"));
    return BackupOutcome();
}

} // namespace

BackupOutcome BackupShop(const QString& location, const QString& file)
{
    // A server location without a shop (or one this login may not read)
    // would back up as empty tables: said instead.
    if (IsServerAddress(location)) {
        QString answer;
        if (!TestServerConnection(location, &answer))
            return refuse(answer);
    }
    const QFileInfo target(file);
    if (target.isDir())
        return refuse(TranslateLabel(QStringLiteral("The backup must be a file, not a folder:")) + QLatin1Char(' ')
                      + QDir::toNativeSeparators(file));
    if (!target.absoluteDir().exists())
        return refuse(TranslateLabel(QStringLiteral("No such folder:")) + QLatin1Char(' ')
                      + QDir::toNativeSeparators(target.absolutePath()));
    // Written beside its place and renamed over it when whole, so that a
    // failed backup never spoils the one before it.
    QTemporaryDir work(target.absolutePath() + QStringLiteral("/.kolt-backup-XXXXXX"));
    if (!work.isValid())
        return refuse(TranslateLabel(QStringLiteral("Cannot create the data folder:")) + QLatin1Char(' ')
                      + QDir::toNativeSeparators(target.absolutePath()));
    const CopyOutcome copy = CopyData(location, work.path());
    BackupOutcome outcome;
    outcome.tables = copy.tables;
    if (!copy.done)
        return outcome;
    const QString made = work.path() + QStringLiteral("/kolt.db");
    if (std::rename(QFile::encodeName(made).constData(), QFile::encodeName(target.absoluteFilePath()).constData())
        != 0)
        return refuse(TranslateLabel(QStringLiteral("The backup could not be written:")) + QLatin1Char(' ')
                      + QDir::toNativeSeparators(target.absoluteFilePath()));
    outcome.done = true;
    return outcome;
}

BackupOutcome RestoreShop(const QString& file, const QString& location)
{
    const QFileInfo source(file);
    if (!source.isFile())
        return refuse(TranslateLabel(QStringLiteral("No such backup file:")) + QLatin1Char(' ')
                      + QDir::toNativeSeparators(file));
    // The copy reads a data folder: the backup is read from a copy of its
    // own, so that the file itself is never touched.
    QTemporaryDir work;
    const QString folder = work.path();
    if (!work.isValid() || !QFile::copy(source.absoluteFilePath(), folder + QStringLiteral("/kolt.db")))
        return refuse(Translate(QStringLiteral("Cannot open the file")) + QStringLiteral(": ")
                      + QDir::toNativeSeparators(file));
    const CopyOutcome copy = CopyData(folder, location);
    BackupOutcome outcome;
    outcome.done = copy.done;
    outcome.tables = copy.tables;
    return outcome;
}
