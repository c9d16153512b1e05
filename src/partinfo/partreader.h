#pragma once
// Reading the part service's answers. The answers are pretty-printed JSON,
// but they are read by searching the text for the key names rather than by
// parsing, so an answer that is not quite JSON still yields what it holds.
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// Each reader collects at most this many values: the match list's rows.
constexpr int kMaxPartMatches = 10;

// The display names and the response keys behind them; only the first five
// pairs are read from a response.
constexpr int kPartInfoFields = 7;
constexpr int kPartInfoReadFields = 5;
extern const std::array<const char*, kPartInfoFields> kPartInfoNames;
extern const std::array<const char*, kPartInfoFields> kPartInfoKeys;

// Quoted values up to their closing quote, others up to the next comma; a
// value containing "null" becomes empty; for keys containing "url" the value
// is lower-cased and starts at "www." when it has one.
QStringList ReadStringValues(const QString& text, const QString& key);
// Arrays [amount, "CUR"]: the amount cut four places after its point,
// directly followed by the three letters of the currency.
QStringList ReadPriceValues(const QString& text, const QString& key);
// The decimal digits of each "uid" value.
QStringList ReadUidValues(const QString& text);
// The first "http..." text after the key, up to the next double quote.
QString ReadSingleUrl(const QString& text, const QString& key);

// Picks the reader by the key: "price" keys read prices, the rest strings.
QStringList ReadKeyValues(const QString& text, const QString& key);

// One row of the match list: the five read fields and the uid.
struct PartMatch
{
    std::array<QString, kPartInfoReadFields> fields;
    QString uid;
};

// The rows of a search answer. The rows are the "mpn" values; every other
// key fills its j-th value into row j, so a key with fewer values leaves the
// later rows' cells empty.
std::vector<PartMatch> ReadPartMatches(const QString& text);
