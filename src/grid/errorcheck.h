#pragma once
// The consistency check of the four master tables: one error word per loaded
// row, kept in the row's "Err" column so the stored value always reflects the
// last time the table was shown.
#include <QString>
#include <vector>

struct QueryResult;

// Bits of the error word.
constexpr unsigned kErrDuplicateItems = 1;
constexpr unsigned kErrDuplicateParts = 2;
constexpr unsigned kErrDuplicateVendor = 4;
constexpr unsigned kErrDuplicateStep = 8;
constexpr unsigned kErrNoPartRecord = 16;
constexpr unsigned kErrNoVendorRecord = 32;
constexpr unsigned kErrDesignators = 64;
constexpr unsigned kErrNoSource = 128;
constexpr unsigned kErrMissingPart = 256;

class CErrorCheck
{
public:
    // Computes the words of every row of result (a load of table), stores
    // changed words into the "Err" cells and writes only those back.
    // Returns the number of rows written.
    int Run(QueryResult& result, int table);

    // The words of the last run, one per row.
    const std::vector<unsigned>& words() const { return m_words; }

    // The readable texts of the bits set in word.
    static QString SummaryText(unsigned word);
    // Shows SummaryText under "Record Status".
    static void Summary(unsigned word);

private:
    int findIndex(const QueryResult& result, const QString& key);
    void checkAssyList(const QueryResult& result);
    void checkPartList(const QueryResult& result);
    void checkVendList(const QueryResult& result);
    void checkRescList(const QueryResult& result);

    std::vector<unsigned> m_words;
};

// Counts the reference designators of a text such as "R1-R3,R7" (4).
int CountDesignators(const QString& text);
