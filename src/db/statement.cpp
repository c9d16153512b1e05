#include "db/statement.h"

#include "core/utilities.h"

#include <algorithm>

SqlArg SqlArg::number(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return SqlArg(0);
    bool integer = false;
    const long long whole = trimmed.toLongLong(&integer);
    if (integer)
        return SqlArg(whole);
    bool real = false;
    const double value = trimmed.toDouble(&real);
    if (real)
        return SqlArg(value);
    return SqlArg(text);
}

QByteArray SqlArg::utf8() const
{
    switch (m_kind) {
    case Null:
        return QByteArray();
    case Integer:
        return QByteArray::number(m_integer);
    case Real:
        return QByteArray::number(m_real, 'g', 17);
    case Text:
        break;
    }
    QByteArray bytes = m_text.toUtf8();
    if (bytes.contains('\0'))
        bytes.replace(QByteArray(1, '\0'), QByteArray());
    return bytes;
}

QString Placeholders(int count)
{
    if (count <= 0)
        return QStringLiteral("NULL");
    QString text;
    text.reserve(count * 2);
    for (int i = 0; i < count; ++i)
        text += i ? QStringLiteral(",?") : QStringLiteral("?");
    return text;
}

void AppendArgs(SqlArgs& args, const QStringList& texts)
{
    args.reserve(args.size() + static_cast<size_t>(texts.size()));
    for (const QString& text : texts)
        args.emplace_back(text);
}

int RowsPerStatement(int valuesPerRow, int wanted)
{
    return std::max(1, std::min(wanted, MaxBoundValues() / std::max(valuesPerRow, 1)));
}

QString SameTextIgnoringCaseBound(const QString& column)
{
    // SQLite's NOCASE folds the ASCII letters. On the server both sides are
    // lowered under one collation: lower() follows the collation of what it
    // lowers, and a text column's (ucs_basic) and a value's (the database's)
    // differ, so a value with a capital Cyrillic letter would not match itself.
    return DatabaseOnServer()
               ? QStringLiteral("lower(%1 collate ucs_basic) = lower(cast(? as text) collate ucs_basic)").arg(column)
               : QStringLiteral("%1 = ? collate nocase").arg(column);
}

namespace {

size_t cellIndex(int row, int column, int columns)
{
    return static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(column);
}

} // namespace

SqlArg::Kind TypedRows::kind(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return SqlArg::Null;
    switch (m_kinds[cellIndex(row, column, m_columns)]) {
    case 'i':
        return SqlArg::Integer;
    case 'r':
        return SqlArg::Real;
    case 't':
        return SqlArg::Text;
    default:
        return SqlArg::Null;
    }
}

QString TypedRows::text(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return QString();
    return m_texts[cellIndex(row, column, m_columns)];
}

bool TypedRows::isNull(int row, int column) const
{
    return kind(row, column) == SqlArg::Null;
}

double TypedRows::number(int row, int column) const
{
    switch (kind(row, column)) {
    case SqlArg::Null:
        return 0;
    case SqlArg::Integer:
    case SqlArg::Real:
        return text(row, column).toDouble();
    case SqlArg::Text:
        break;
    }
    return TextToDouble(text(row, column));
}

long long TypedRows::integer(int row, int column) const
{
    if (kind(row, column) == SqlArg::Integer)
        return text(row, column).toLongLong();
    return static_cast<long long>(number(row, column));
}
