#pragma once
// A bill-of-materials file as the import reads it: decoded once, cut into
// records (a quoted cell may hold line breaks, so a record can span several
// lines of the file), each record split into cells on demand.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Most cells one record yields; what follows the 100th is not read.
constexpr int kMaxImportValues = 100;

// UTF-16 by its byte-order mark (either order) or, without one, by the zero
// bytes of its ASCII characters; UTF-8 with or without a mark. A byte that
// is no part of a valid UTF-8 sequence stands for itself (Latin-1), so one
// stray byte of an older tool does not turn the rest of the file into
// nonsense. Name of what was found in *encoding when given.
QString DecodeImportBytes(const QByteArray& bytes, QString* encoding = nullptr);

// What makes a file unfit to import before any of it is read.
enum class ImportFileProblem {
    None,
    Empty,       // no bytes, or nothing but blanks
    Spreadsheet, // a workbook (xlsx, ods, xls), not its text export
    Binary,      // an image, an archive or any other non-text file
};
ImportFileProblem CheckImportBytes(const QByteArray& bytes);

// Comma, semicolon or tab: the one that splits the first lines of the text
// into the same number of cells most often. Comma when none does.
QChar SniffImportDelimiter(QStringView text);

// Splits one record at the delimiter. A cell that begins with a double quote
// is quoted: its delimiters and line breaks are its own, two quotes in a row
// stand for one, and the closing quote is removed; an unclosed quote keeps
// the rest of the record in the cell. A quote anywhere else is an ordinary
// character (1/16" stays 1/16"). Spaces are kept. NUL characters are left
// out: no database text can hold them.
QStringList SplitImportLine(QStringView line, QChar delimiter = QLatin1Char(','));
inline QStringList SplitImportLine(const QString& line, QChar delimiter = QLatin1Char(','))
{
    return SplitImportLine(QStringView(line), delimiter);
}

// A sheet of a workbook, as the preview lists it.
struct ImportSheetInfo
{
    QString name;
    int rows = 0; // rows that hold something
    bool hidden = false;
};

class ImportFile
{
public:
    ImportFile();
    ~ImportFile();
    ImportFile(const ImportFile&) = delete;
    ImportFile& operator=(const ImportFile&) = delete;
    // A moved file's text keeps its characters where they are: views into
    // it stay valid.
    ImportFile(ImportFile&&) noexcept;
    ImportFile& operator=(ImportFile&&) noexcept;

    // False when the file cannot be read.
    bool load(const QString& path);
    // The delimiter is sniffed from the text unless one is given. A
    // workbook (xlsx, ods, xls) is read sheet by sheet; its first visible
    // sheet that holds rows is the text until another is selected.
    void setBytes(const QByteArray& bytes, QChar delimiter = QChar());
    void setText(const QString& text, QChar delimiter = QChar());

    const QString& path() const { return m_path; }
    bool loaded() const { return m_loaded; }
    ImportFileProblem problem() const { return m_problem; }
    QChar delimiter() const { return m_delimiter; }
    // "UTF-8", "UTF-16LE", ... as found by DecodeImportBytes; "xlsx",
    // "ods" or "xls" for a workbook.
    const QString& encoding() const { return m_encoding; }

    // The sheets of a workbook; empty for a text file.
    const std::vector<ImportSheetInfo>& sheets() const { return m_sheets; }
    // The sheet whose rows are the text; -1 for a text file.
    int sheet() const { return m_sheet; }
    QString sheetName() const;
    // Makes a sheet's rows the text; false when the file has no such sheet.
    bool selectSheet(int index);
    bool selectSheet(const QString& name);
    // What the reading of a workbook left out (hidden rows and sheets), for the preview.
    QStringList readingNotes() const;

    int lineCount() const { return static_cast<int>(m_records.size()); }
    QStringView lineView(int index) const;
    QString line(int index) const { return lineView(index).toString(); }
    // No character but spaces and delimiters.
    bool blank(int index) const;
    // The record split into cells, anew on each call: a kept copy of every
    // cell of a large file costs more in fresh memory than splitting twice.
    QStringList values(int index) const { return SplitImportLine(lineView(index), m_delimiter); }
    // Line of the file, counted from 1, where the record begins.
    int fileLine(int index) const { return m_records[static_cast<size_t>(index)].fileLine; }
    // Characters read up to the end of the record, and in all: the progress of a run.
    qint64 endOf(int index) const { return m_records[static_cast<size_t>(index)].next; }
    qint64 length() const { return m_text.size(); }
    const QString& text() const { return m_text; }

private:
    struct Record
    {
        qsizetype start = 0;
        qsizetype end = 0;  // where its line end begins
        qsizetype next = 0; // where the next record begins
        int fileLine = 1;
    };
    void cut();

    QString m_path;
    struct Workbook;
    std::unique_ptr<Workbook> m_workbook;
    std::vector<ImportSheetInfo> m_sheets;
    int m_sheet = -1;
    QString m_text;
    QString m_encoding;
    QChar m_delimiter = QLatin1Char(',');
    bool m_loaded = false;
    ImportFileProblem m_problem = ImportFileProblem::None;
    std::vector<Record> m_records;
};
