#pragma once
// Statements whose values are bound, not pasted: the text carries a "?" where
// a value goes, and the values travel beside it to the library (a prepared
// statement on SQLite, PQexecParams on the server), so no quote, backslash or
// "$1" inside a value can change what the statement says.
#include "db/database.h"

#include <QString>
#include <QStringList>

#include <vector>

// One value bound to a "?". Texts go as texts (the server types them by where
// they stand, as it types a quoted literal); integers and reals go typed, as
// unquoted numbers in the text would.
class SqlArg
{
public:
    enum Kind : char { Null, Integer, Real, Text };

    SqlArg() = default;
    SqlArg(const QString& text) : m_kind(Text), m_text(text) {}
    SqlArg(const char* text) : m_kind(Text), m_text(QString::fromUtf8(text)) {}
    SqlArg(int value) : m_kind(Integer), m_integer(value) {}
    SqlArg(long long value) : m_kind(Integer), m_integer(value) {}
    SqlArg(double value) : m_kind(Real), m_real(value) {}

    // A figure given as text, bound as the number it reads as: a run of
    // digits as an integer, a decimal as a real, nothing as 0. A text that is
    // no number at all stays text, so the database refuses it in its own words.
    static SqlArg number(const QString& text);

    Kind kind() const { return m_kind; }
    long long integer() const { return m_integer; }
    double real() const { return m_real; }
    const QString& text() const { return m_text; }
    // The value in the library's text form: UTF-8 without NUL characters
    // (which would end the text early in either library); empty for NULL.
    QByteArray utf8() const;

private:
    Kind m_kind = Null;
    long long m_integer = 0;
    double m_real = 0;
    QString m_text;
};
using SqlArgs = std::vector<SqlArg>;

// "?,?,?" for count values; NULL for none, so that "in (...)" stays valid and
// matches nothing.
QString Placeholders(int count);
// Appends each text as a value.
void AppendArgs(SqlArgs& args, const QStringList& texts);

// The most values one statement may carry on the open connection (at least
// 999); a list longer than that is sent in slices.
int MaxBoundValues();
// How many rows of valuesPerRow values one statement may carry, at most wanted.
int RowsPerStatement(int valuesPerRow, int wanted);

// A condition true when the column holds the bound value, letter case aside.
QString SameTextIgnoringCaseBound(const QString& column);

// Runs the statement into result as RunQuery does (headings from the
// statement when headingsCaptured is 0); the number of rows.
int RunQueryBound(QueryResult& result, const QString& sql, const SqlArgs& args);
// RunQueryBound into a new result with fresh headings, as Query does.
QueryResult QueryBound(const QString& sql, const SqlArgs& args);
// The rows as QueryText joins them.
QString QueryTextBound(const QString& sql, const SqlArgs& args, bool separated = false);
// Runs a statement that returns no rows; whether it succeeded.
bool ExecuteBound(const QString& sql, const SqlArgs& args);

// Rows read with the kind of every value, for callers that want numbers as
// numbers rather than texts to parse.
class TypedRows
{
public:
    int rowCount() const { return m_rows; }
    int columnCount() const { return m_columns; }
    // False when the statement failed (LastErrorText() tells why).
    bool ok() const { return m_ok; }
    QString text(int row, int column) const;
    bool isNull(int row, int column) const;
    SqlArg::Kind kind(int row, int column) const;
    // A number stored as a number is read as it is; one stored as text (older
    // shops keep "30.0") is read leniently, nothing reading as 0.
    double number(int row, int column) const;
    long long integer(int row, int column) const;

private:
    friend TypedRows SelectRows(const QString& sql, const SqlArgs& args);
    int m_rows = 0;
    int m_columns = 0;
    bool m_ok = false;
    std::vector<QString> m_texts;
    std::vector<char> m_kinds;
};
TypedRows SelectRows(const QString& sql, const SqlArgs& args = {});
