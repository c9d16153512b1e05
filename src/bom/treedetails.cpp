#include "bom/treedetails.h"

#include "core/appstate.h"
#include "core/format.h"
#include "db/changelog.h"
#include "core/quantity.h"
#include "db/database.h"
#include "db/parts.h"
#include "db/routing.h"
#include "db/sources.h"
#include "sourcing/pricing.h"

#include <QFileInfo>

#include <algorithm>

PartDetails LoadPartDetails(const QString& part)
{
    PartDetails d;
    const PartRecordFields record = ReadPartRecord(part);
    d.picture = record.picture;
    d.currency = record.currency;
    d.price = record.price;
    d.labor = record.labor;
    d.manufacturer = record.manufacturer;
    d.distributor = record.distributor;
    d.description = record.description;
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
    const RoutingStepFields fields = ReadRoutingStep(assembly, step);
    d.resource = fields.resource;
    d.hours = fields.hours;
    d.cost = fields.cost;
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
