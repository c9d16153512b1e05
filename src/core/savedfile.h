#pragma once
// Output files (exports, printouts, downloads, settings) are written into a
// file beside their place and renamed over it only when whole, so a full disk
// or a failed painting keeps the previous file and is reported, never left
// as a truncated one.
#include <QString>

#include <functional>

class QPdfWriter;
class QSaveFile;

// Commits what was written to file: pushed out of Qt's buffer and to the
// disk first, since QSaveFile renames over the old file even when that
// last write failed. False with *error set to the system's reason ("No space
// left on device"); the old file is then as it was.
bool CommitSavedFile(QSaveFile& file, QString* error);

// Sets up the writer and paints; answers whether anything was painted.
using PdfPainter = std::function<bool(QPdfWriter&)>;

// False with *error set to the system's reason ("No space left on device")
// or "Nothing was printed." when paint answered false; the file at path is
// then as it was.
bool WriteSavedPdf(const QString& path, const PdfPainter& paint, QString* error);

// WriteSavedPdf, with a failure shown to the user (caption "Print") naming
// the file and the reason.
bool WriteSavedPdfOrReport(const QString& path, const PdfPainter& paint);
