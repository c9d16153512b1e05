#include "core/savedpdf.h"

#include "core/dictionary.h"
#include "core/userinterface.h"

#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>

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
    // A write that failed part-way (the disk filled up) leaves the device in
    // error; commit() then refuses and removes the partial file.
    const QString writeError = file.error() != QFileDevice::NoError ? file.errorString() : QString();
    if (!file.commit()) {
        if (error)
            *error = writeError.isEmpty() ? file.errorString() : writeError;
        return false;
    }
    return true;
}

bool WriteSavedPdfOrReport(const QString& path, const PdfPainter& paint)
{
    QString error;
    if (WriteSavedPdf(path, paint, &error))
        return true;
    ShowMessage(QDir::toNativeSeparators(path) + QLatin1Char('\n') + error, Translate(QStringLiteral("Print")));
    return false;
}
