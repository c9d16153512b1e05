#pragma once
// A data folder with the full column sets the order and schedule engines
// work on, and helpers that enter parts, bills, vendors and requirements.
#include "support/testsupport.h"

#include <QString>

class OrdersTest : public DataFolderTest
{
protected:
    void SetUp() override;

    void addPart(const QString& part, double stock = 0, double allocated = 0, const QString& distributor = {},
                 const QString& manufacturer = {}, double price = 1, double loss = 0, const QString& make = {});
    void addBom(const QString& assy, const QString& part, double quantity, int item = 1);
    void addRequirement(const QString& order, const QString& assy, double quantity,
                        const QString& created = QStringLiteral("2026-01-02 10:00:00"),
                        const QString& status = QStringLiteral("Created"));
    void addVendor(const QString& vendor, const QString& address = {}, const QString& city = {});
    void addStep(const QString& assy, const QString& step, double hours, const QString& description = {});
    QString partValue(const QString& part, const QString& column) const;

    // The whole database as text, for comparing before and after.
    QString dump() const;
};

// Printing and widgets need the GUI side of Qt; made once per test program.
void EnsureGuiApplication();

#include <ostream>
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE
