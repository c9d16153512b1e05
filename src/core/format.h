#pragma once
// printf-style formatting into QString, and the one place where values are
// quoted for SQL text.
#include <QString>
#include <QVariant>
#include <initializer_list>
#include <variant>

using FormatArg = std::variant<QString, long long, double>;

struct FormatValue
{
    FormatArg v;
    FormatValue(const QString& s) : v(s) {}
    FormatValue(const char* s) : v(QString::fromUtf8(s)) {}
    FormatValue(QStringView s) : v(s.toString()) {}
    FormatValue(int i) : v(static_cast<long long>(i)) {}
    FormatValue(long i) : v(static_cast<long long>(i)) {}
    FormatValue(long long i) : v(i) {}
    FormatValue(unsigned i) : v(static_cast<long long>(i)) {}
    FormatValue(double d) : v(d) {}
    FormatValue(float d) : v(static_cast<double>(d)) {}
};

// Formats like printf: %s, %i, %d, %u, %x, %f, %g, %e, %c and %% with flags,
// width and precision. Numbers given to %s print in their shortest form.
QString Format(const char* format, std::initializer_list<FormatValue> args);

// Doubles every single quote, so the value can stand between quotes in SQL text.
QString SqlEscape(const QString& value);

// Format() with every text argument passed through SqlEscape(): the statement
// formats keep their quotes, the values can no longer break out of them.
QString SqlFormat(const char* format, std::initializer_list<FormatValue> args);
