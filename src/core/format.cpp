#include "core/format.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

QString formatImpl(const char* format, std::initializer_list<FormatValue> args, bool escape)
{
    QString out;
    auto it = args.begin();
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            const char* start = p;
            while (*p && *p != '%')
                ++p;
            out += QString::fromUtf8(start, p - start);
            continue;
        }
        if (p[1] == '%') {
            out += QLatin1Char('%');
            p += 2;
            continue;
        }
        std::string conversion = "%";
        ++p;
        while (*p && std::strchr("-+ #0123456789.", *p))
            conversion += *p++;
        while (*p && std::strchr("hlLqjzt", *p))
            ++p; // length modifiers carry no meaning for our arguments
        const char conv = *p ? *p++ : 's';
        if (it == args.end()) {
            out += QString::fromStdString(conversion) + QLatin1Char(conv);
            continue;
        }
        const FormatArg& arg = (it++)->v;
        char buf[512];
        if (conv == 's' || conv == 'S') {
            QString text;
            if (const QString* s = std::get_if<QString>(&arg))
                text = escape ? SqlEscape(*s) : *s;
            else if (const long long* i = std::get_if<long long>(&arg))
                text = QString::number(*i);
            else
                text = QString::number(std::get<double>(arg));
            // Width and precision of %s, applied to characters.
            int width = 0, precision = -1;
            bool left = false;
            size_t k = 1;
            while (k < conversion.size() && std::strchr("-+ #0", conversion[k])) {
                left = left || conversion[k] == '-';
                ++k;
            }
            while (k < conversion.size() && std::isdigit(static_cast<unsigned char>(conversion[k])))
                width = width * 10 + (conversion[k++] - '0');
            if (k < conversion.size() && conversion[k] == '.') {
                precision = 0;
                ++k;
                while (k < conversion.size() && std::isdigit(static_cast<unsigned char>(conversion[k])))
                    precision = precision * 10 + (conversion[k++] - '0');
            }
            if (precision >= 0)
                text.truncate(precision);
            if (text.size() < width)
                text = left ? text.leftJustified(width) : text.rightJustified(width);
            out += text;
        } else if (std::strchr("diuxXoc", conv)) {
            long long n = 0;
            if (const long long* i = std::get_if<long long>(&arg))
                n = *i;
            else if (const double* d = std::get_if<double>(&arg))
                n = static_cast<long long>(*d);
            else
                n = std::get<QString>(arg).toLongLong();
            if (conv == 'c') {
                out += QChar(static_cast<char16_t>(n));
                continue;
            }
            conversion += "ll";
            conversion += (conv == 'i' ? 'd' : conv);
            std::snprintf(buf, sizeof buf, conversion.c_str(), n);
            out += QString::fromLatin1(buf);
        } else {
            double d = 0;
            if (const double* v = std::get_if<double>(&arg))
                d = *v;
            else if (const long long* i = std::get_if<long long>(&arg))
                d = static_cast<double>(*i);
            else
                d = std::get<QString>(arg).toDouble();
            conversion += conv;
            std::snprintf(buf, sizeof buf, conversion.c_str(), d);
            out += QString::fromLatin1(buf);
        }
    }
    return out;
}

} // namespace

QString Format(const char* format, std::initializer_list<FormatValue> args)
{
    return formatImpl(format, args, false);
}

QString SqlEscape(const QString& value)
{
    if (!value.contains(QLatin1Char('\'')))
        return value;
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

QString SqlFormat(const char* format, std::initializer_list<FormatValue> args)
{
    return formatImpl(format, args, true);
}
