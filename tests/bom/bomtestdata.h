#pragma once
// Bills of materials for the tests, written straight into the test database.
#include "core/format.h"
#include "db/database.h"

#include <QGuiApplication>
#include <QString>
#include <gtest/gtest.h>

// Fonts need a GUI application; one is made for the whole test run.
inline void EnsureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "bom_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

inline void AddLine(const QString& assy, int item, const QString& part, const QString& quan,
                    const QString& refDes = QString())
{
    ASSERT_TRUE(Execute(SqlFormat("Insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des) values ('%s',%i,'%s','%s','%s')",
                                  {assy, item, part, quan, refDes})));
}

inline void AddPart(const QString& part, const QString& description, const QString& category = QString(),
                    const QString& price = QString(), const QString& labor = QString())
{
    ASSERT_TRUE(Execute(SqlFormat("Insert into PartList (Part_nBr,Description,Category,Price,Labor) values "
                                  "('%s','%s','%s','%s','%s')",
                                  {part, description, category, price, labor})));
}

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
