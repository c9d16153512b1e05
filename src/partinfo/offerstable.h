#pragma once
// The offers of every configured distributor for one part, side by side:
// who sells it, under which order code, how many are in stock and at which
// price breaks.
#include "partinfo/offers.h"

#include <QTableWidget>
#include <vector>

class COffersTable : public QTableWidget
{
    Q_OBJECT
public:
    explicit COffersTable(QWidget* parent = nullptr);

    // Asks every configured provider (answers from the cache where young
    // enough) and shows what they offer; returns what the providers said went
    // wrong, one line each.
    QStringList fill(const QString& partNumber);
    void show(const std::vector<Offer>& offers);

    const std::vector<Offer>& offers() const { return m_offers; }
    // The offer of the selected row; nullptr when none is selected.
    const Offer* selectedOffer() const;

private:
    std::vector<Offer> m_offers;
};
