#include "bom/treedetails.h"

#include "core/appstate.h"
#include "core/format.h"
#include "db/changelog.h"
#include "core/quantity.h"
#include "db/database.h"
#include "db/sources.h"
#include "sourcing/pricing.h"

#include <QFileInfo>

#include <algorithm>

PartDetails LoadPartDetails(const QString& part)
{
    PartDetails d;
    d.picture = QueryText(SqlFormat("Select Picture from PartList where Part_nBr = '%s'", {part}), false);
    d.currency = QueryText(SqlFormat("Select Currency from PartList where Part_nBr = '%s'", {part}), false);
    d.price = QueryText(SqlFormat("Select Price from PartList where Part_nBr = '%s'", {part}), false);
    d.labor = QueryText(SqlFormat("Select Labor from PartList where Part_nBr = '%s'", {part}), false);
    d.manufacturer = QueryText(SqlFormat("Select Manufacturer from PartList where Part_nBr = '%s'", {part}), false);
    d.distributor = QueryText(SqlFormat("Select Distributor from PartList where Part_nBr = '%s'", {part}), false);
    d.description = QueryText(SqlFormat("Select Description from PartList where Part_nBr = '%s'", {part}), false);
    ChangeFilter filter;
    filter.part = part;
    filter.limit = 5;
    const std::vector<LoggedChange> changes = LoadChanges(filter);
    for (auto it = changes.rbegin(); it != changes.rend(); ++it)
        d.lastChanges << Format("%s %s: %s %s -> %s", {it->stamp.left(16), it->user, it->field, it->oldValue,
                                                       it->newValue});
    for (const SourceRecord& s : LoadSources({part}).value(part)) {
        QStringList breaks;
        for (const PriceBreak& b : s.breaks)
            breaks << PlainNumber(b.quantity) + QStringLiteral(" @ ") + ShownPrice(b.price);
        QString line = s.vendor + QStringLiteral("  ") + s.orderCode;
        if (s.minimum > 0)
            line += QStringLiteral("  min ") + PlainNumber(s.minimum);
        line += QStringLiteral("  ") + (s.currency.isEmpty() ? d.currency : s.currency) + QStringLiteral("  ")
                + breaks.join(QStringLiteral(", "));
        if (s.preferred)
            line += QStringLiteral("  *");
        d.sources << line;
    }
    return d;
}

StepDetails LoadStepDetails(const QString& assembly, const QString& step)
{
    StepDetails d;
    d.resource =
        QueryText(SqlFormat("Select Resource from RescList where Assy = '%s' and Step = '%s'", {assembly, step}), false);
    d.hours = QueryText(SqlFormat("Select Hours from RescList where Assy = '%s' and Step = '%s'", {assembly, step}), false);
    d.cost = QueryText(SqlFormat("Select Cost from RescList where Assy = '%s' and Step = '%s'", {assembly, step}), false);
    return d;
}

QString PicturePath(const QString& value)
{
    if (value.isEmpty())
        return QString();
    if (QFileInfo(value).isAbsolute() && QFileInfo::exists(value))
        return value;
    QString name = value;
    const int slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (slash >= 0)
        name = name.mid(slash + 1);
    return DataPictureFolder() + QLatin1Char('/') + name;
}
