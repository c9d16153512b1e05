#pragma once
// A comma-separated file as the import reads it: decoded once, split into
// lines, each line split into values on demand.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Most values one line yields; what follows the 100th is not read.
constexpr int kMaxImportValues = 100;

// UTF-16 by its byte-order mark (either order), UTF-8 with or without a mark,
// and any other file one byte per character.
QString DecodeImportBytes(const QByteArray& bytes);

// Splits at commas. A value that begins with a double quote is quoted: its
// commas are its own, two quotes in a row stand for one, and the closing
// quote is removed. A quote anywhere else is an ordinary character. Spaces
// are kept as they are.
QStringList SplitImportLine(const QString& line);

class ImportFile
{
public:
    // False when the file cannot be read.
    bool load(const QString& path);
    void setBytes(const QByteArray& bytes);

    const QString& path() const { return m_path; }
    bool loaded() const { return m_loaded; }
    int lineCount() const { return static_cast<int>(m_lines.size()); }
    const QString& line(int index) const { return m_lines[static_cast<size_t>(index)]; }
    // SplitImportLine of the line. Split anew on each call, not kept: a
    // kept copy of every value of a large file costs more in fresh memory
    // than splitting the line twice.
    QStringList values(int index) const;
    // Characters read up to the end of the line, and in all: the progress of a run.
    qint64 endOf(int index) const { return m_ends[static_cast<size_t>(index)]; }
    qint64 length() const { return m_length; }

private:
    QString m_path;
    bool m_loaded = false;
    std::vector<QString> m_lines;
    std::vector<qint64> m_ends;
    qint64 m_length = 0;
};
