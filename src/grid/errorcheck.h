#pragma once
// The consistency check of the four master tables: one error word per
// checked row, kept in the row's "Err" column so the stored value always
// reflects the last time the table was shown.
#include "db/statement.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
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
constexpr unsigned kErrQuantityNotNumber = 512;
constexpr unsigned kErrNoMake = 1024;
// The part's Allocated or On_Order differs from the stock ledger (db/stockledger.h).
constexpr unsigned kErrStockFigures = 2048;
// A bill line's part is marked obsolete.
constexpr unsigned kErrObsolete = 4096;
// The part, or one of its sources, is priced in a currency without a rate.
constexpr unsigned kErrNoCurrencyRate = 8192;
constexpr int kErrBitCount = 13;

// A range of reference designators counts at most this many: a larger one is
// a typing error, and the count must stay a number the quantity can match.
constexpr int kMaxDesignators = 1000000;

class CErrorCheck
{
public:
    // Computes the words of every row of result (rows of table), stores
    // changed words into the "Err" cells and writes only those back.
    // Returns the number of rows written, -1 when the write-back failed.
    int Run(QueryResult& result, int table);
    // Reads the rows of the table that where selects (all when empty; its
    // values bound, as whereArgs holds them), only the columns the rules
    // look at, and runs the check on them.
    int Check(int table, const QString& tableName, const QString& where, const SqlArgs& whereArgs = {});
    // Forgets the last run (a table without rules).
    void Clear();

    bool Ran() const { return m_ran; }
    // The words changed but could not be stored (the database refused).
    bool writeFailed() const { return m_writeFailed; }
    // The words of the last run, one per row of its result.
    const std::vector<unsigned>& words() const { return m_words; }
    // The word of a record of the last run; 0 for a record without faults.
    unsigned wordOfId(long long id) const { return m_wordOfId.value(id); }
    // Rows of the last run with any fault, and with each bit.
    int faultyRows() const { return m_faultyRows; }
    int rowsWith(unsigned bit) const;
    // "12 rows with faults: 3 duplicate part numbers, 1 missing part number",
    // or "No Errors Found".
    QString SummaryLine() const;

    // The readable texts of the bits set in word, one a line.
    static QString SummaryText(unsigned word);
    // Shows SummaryText under "Record Status".
    static void Summary(unsigned word);

    // The columns (keys) the rules of a table look at, "Err" first.
    static QStringList RuleKeys(int table);
    // Whether a change to the column under HEADING can change any row's
    // word: the rules' own columns, and on parts the figures the stock
    // ledger and the currency rates are compared with.
    static bool RulesRead(int table, const QString& heading);

private:
    int findIndex(const QueryResult& result, const QString& key);
    void checkAssyList(const QueryResult& result);
    void checkPartList(const QueryResult& result);
    void learnStockDisagreements();
    void checkVendList(const QueryResult& result);
    void checkRescList(const QueryResult& result);
    void count(const QueryResult& result);

    std::vector<unsigned> m_words;
    QHash<long long, unsigned> m_wordOfId;
    std::array<int, kErrBitCount> m_bitRows{};
    int m_faultyRows = 0;
    bool m_ran = false;
    // The parts whose stock figures disagree with the ledger, worked out once
    // per check of the part table.
    QSet<QString> m_stockParts;
    // The parts priced in a currency without a rate, learnt with the above.
    QSet<QString> m_rateParts;
    bool m_stockKnown = false;
    bool m_writeFailed = false;
};

// Counts the reference designators of a text such as "R1-R3,R7" (4); at most
// kMaxDesignators.
int CountDesignators(const QString& text);
