#pragma once
// What a distributor offers for a part: the common shape every provider's
// answer is read into, whatever its own field names.
#include <QJsonObject>
#include <QString>
#include <vector>

struct OfferBreak
{
    double quantity = 0;
    double unitPrice = 0;
};

struct Offer
{
    QString provider;     // "mouser", "digikey", "nexar", "generic"
    QString distributor;  // the seller's name as the provider gives it
    QString orderCode;    // the distributor's own part number
    QString manufacturer;
    QString mpn;
    QString description;
    long long stock = -1; // pieces in stock; -1 when the provider gave no number
    QString stockText;    // the stock in words where no number applies ("Non-stocked", "RFQ")
    int minimumOrder = 0;
    int multiple = 0;
    int pack = 0;
    int leadDays = -1;
    QString lifecycle;
    QString currency;
    std::vector<OfferBreak> breaks; // ascending quantity
    QString datasheetUrl;
    QString productUrl;

    QJsonObject toJson() const;
    static Offer fromJson(const QJsonObject& object);
};

// A price as a distributor writes it for people ("$0.10", "0,10 €",
// "1.234,56 €", "£1,234.50", "12 ¥"), read by the currency it is given in:
// where both separators appear the last is the decimal one; a lone comma is
// decimal in the currencies written that way and a thousands separator in
// the others. -1 when the text holds no number.
double ParsePriceText(const QString& text, const QString& currency);

// Nexar's and Octopart's negative stock codes in words; empty for a real count.
QString StockCodeText(long long inventoryLevel);

// The breaks sorted by quantity, duplicates and non-positive ones dropped.
void NormaliseBreaks(std::vector<OfferBreak>& breaks);
