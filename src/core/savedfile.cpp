#include "core/savedfile.h"

#include "core/dictionary.h"
#include "core/userinterface.h"

#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

bool CommitSavedFile(QSaveFile& file, QString* error)
{
    auto refuse = [&](const QString& reason) {
        file.cancelWriting();
        file.commit(); // discards the temporary file
        if (error)
            *error = reason;
        return false;
    };
    if (file.error() != QFileDevice::NoError || !file.flush())
        return refuse(file.errorString());
    // A file system that allocates late says so only here.
    if (file.handle() >= 0 && ::fsync(file.handle()) != 0)
        return refuse(QString::fromLocal8Bit(std::strerror(errno)));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool WriteSavedPdf(const QString& path, const PdfPainter& paint, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bool painted = false;
    {
        // The writer finishes the document when it goes: before the commit.
        QPdfWriter writer(&file);
        painted = paint(writer);
    }
    if (!painted) {
        file.cancelWriting();
        if (error)
            *error = Translate(QStringLiteral("Nothing was printed."));
        return false;
    }
    return CommitSavedFile(file, error);
}

bool WriteSavedPdfOrReport(const QString& path, const PdfPainter& paint)
{
    QString error;
    if (WriteSavedPdf(path, paint, &error))
        return true;
    ShowMessage(QDir::toNativeSeparators(path) + QLatin1Char('\n') + error, Translate(QStringLiteral("Print")));
    return false;
}
