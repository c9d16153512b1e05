// koltctl commands of the distributors' data: the user's provider settings
// and a search of every configured provider's offers.
#include "core/ctlcommands.h"
#include "partinfo/providers.h"

namespace {

QString breaksText(const Offer& offer)
{
    QStringList parts;
    for (const OfferBreak& b : offer.breaks)
        parts << QString::number(b.quantity, 'g', 12) + QLatin1Char(':') + QString::number(b.unitPrice, 'g', 12);
    return parts.join(QLatin1Char(','));
}

// Text from a service goes out as one line of plain characters.
QString plain(QString text)
{
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QLatin1Char(' ');
    return text;
}

int runProvider(CtlContext& ctx)
{
    const QString verb = ctx.args.value(0);
    if (verb == QLatin1String("list") && ctx.args.size() == 1) {
        for (const QString& name : ProviderNames()) {
            const QMap<QString, QString> values = ProviderValues(name);
            QStringList line{name, ProviderConfigured(name) ? QStringLiteral("configured") : QStringLiteral("not configured")};
            for (const QString& key : ProviderKeys(name)) {
                const QString value = values.value(key);
                if (key == QLatin1String("address") && value.isEmpty())
                    line << key + QStringLiteral("=") + ProviderDefaultAddress(name);
                else if (!value.isEmpty())
                    line << key + QLatin1Char('=') + ShownProviderValue(name, key, value);
            }
            ctx.out << line.join(QLatin1Char('\t')) << "\n";
        }
        ctx.out << "cache-hours=" << OfferCacheHours() << "\n";
        return kCtlOk;
    }
    if (verb == QLatin1String("set") && ctx.args.size() >= 3) {
        QMap<QString, QString> values;
        for (const QString& pair : ctx.args.mid(2)) {
            const qsizetype equals = pair.indexOf(QLatin1Char('='));
            if (equals <= 0)
                return kCtlUsage;
            values.insert(pair.left(equals), pair.mid(equals + 1));
        }
        QString error;
        if (!SetProviderValues(ctx.args[1], values, &error)) {
            ctx.err << error << "\n";
            return kCtlFailed;
        }
        ctx.err << ctx.args[1] << ": " << (ProviderConfigured(ctx.args[1]) ? "configured" : "not configured") << "\n";
        return kCtlOk;
    }
    if (verb == QLatin1String("cache") && ctx.args.size() <= 2) {
        if (ctx.args.size() == 2) {
            bool number = false;
            const int hours = ctx.args[1].toInt(&number);
            QString error;
            if (!number || !SetOfferCacheHours(hours, &error)) {
                ctx.err << (error.isEmpty() ? QStringLiteral("HOURS is a whole number") : error) << "\n";
                return kCtlFailed;
            }
        }
        ctx.out << OfferCacheHours() << "\n";
        return kCtlOk;
    }
    return kCtlUsage;
}

int runOffers(CtlContext& ctx)
{
    const QString only = ctx.takeOption(QStringLiteral("--provider"));
    const bool keyword = ctx.takeFlag(QStringLiteral("--keyword"));
    const bool fresh = ctx.takeFlag(QStringLiteral("--no-cache"));
    if (ctx.args.isEmpty() || (!only.isEmpty() && !ProviderNames().contains(only)))
        return kCtlUsage;
    int failed = 0;
    int asked = 0;
    for (const QString& name : ProviderNames()) {
        if (!only.isEmpty() ? name != only : (name == QLatin1String("generic") || !ProviderConfigured(name)))
            continue;
        std::unique_ptr<PartProvider> provider = MakeProvider(name);
        ++asked;
        const ProviderResult result = keyword ? provider->searchKeyword(ctx.args.join(QLatin1Char(' ')), 50)
                                              : FindOffers(*provider, ctx.args, !fresh);
        if (!result.error.isEmpty()) {
            ctx.err << plain(result.error) << "\n";
            ++failed;
        }
        for (const Offer& o : result.offers)
            ctx.out << QStringList{name, plain(o.distributor), plain(o.orderCode), plain(o.manufacturer), plain(o.mpn),
                                   o.stock >= 0 ? QString::number(o.stock) : plain(o.stockText),
                                   QString::number(o.minimumOrder), QString::number(o.multiple),
                                   QString::number(o.pack), plain(o.currency), breaksText(o), plain(o.lifecycle)}
                           .join(QLatin1Char('\t'))
                    << "\n";
        for (const QString& mpn : result.notFound)
            ctx.err << ProviderTitle(name) << ": not found: " << plain(mpn) << "\n";
    }
    if (asked == 0) {
        ctx.err << "No provider is configured: koltctl provider set NAME KEY=VALUE...\n";
        return kCtlFailed;
    }
    return failed == asked ? kCtlFailed : kCtlOk;
}

} // namespace

void RegisterProviderCommands()
{
    RegisterCtlCommand({QStringLiteral("provider"),
                        QStringLiteral("provider list | provider set NAME KEY=VALUE... | provider cache [HOURS]"),
                        runProvider, false}); // the user's settings only: no shop needed
    RegisterCtlCommand({QStringLiteral("offers"),
                        QStringLiteral("offers [--provider NAME] [--keyword] [--no-cache] MPN..."), runOffers});
}
