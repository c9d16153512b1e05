// koltctl commands of the sourcing subsystem: source add and list, rate set.
#include "core/ctlcommands.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/parts.h"
#include "db/sources.h"
#include "sourcing/pricing.h"

#include <QRegularExpression>

namespace {

bool partExists(const QString& part)
{
    return !part.isEmpty()
           && PartOnFile(part);
}

// A count typed on the command line: a whole number of 0 or more.
bool takeCount(CtlContext& ctx, const QString& option, double* value)
{
    const QString text = ctx.takeOption(option);
    if (text.isEmpty())
        return true;
    if (text.trimmed() == QLatin1String("0")) {
        *value = 0;
        return true;
    }
    double parsed = 0;
    QString error;
    if (!ParseQuantity(text, kMaxLineQuantity, &parsed, &error)) {
        ctx.err << option << ": " << error << "\n";
        return false;
    }
    *value = parsed;
    return true;
}

int addSource(CtlContext& ctx)
{
    SourceRecord source;
    source.mpn = ctx.takeOption(QStringLiteral("--mpn"));
    source.manufacturer = ctx.takeOption(QStringLiteral("--manufacturer"));
    source.currency = ctx.takeOption(QStringLiteral("--currency")).trimmed().toUpper();
    source.preferred = ctx.takeFlag(QStringLiteral("--preferred"));
    const QString breaks = ctx.takeOption(QStringLiteral("--breaks"));
    double leadDays = 0;
    if (!takeCount(ctx, QStringLiteral("--moq"), &source.minimum) || !takeCount(ctx, QStringLiteral("--multiple"), &source.multiple)
        || !takeCount(ctx, QStringLiteral("--pack"), &source.pack) || !takeCount(ctx, QStringLiteral("--lead-days"), &leadDays))
        return kCtlFailed;
    source.leadDays = static_cast<int>(leadDays);
    if (ctx.args.size() != 4)
        return kCtlUsage;
    source.part = ctx.args[1];
    source.vendor = ctx.args[2];
    source.orderCode = ctx.args[3];
    if (!partExists(source.part)) {
        ctx.err << "no such part: " << source.part << "\n";
        return kCtlFailed;
    }
    static const QRegularExpression code(QStringLiteral("^[A-Z]{3}$"));
    if (!source.currency.isEmpty() && !code.match(source.currency).hasMatch()) {
        ctx.err << "not a currency code: " << source.currency << "\n";
        return kCtlFailed;
    }
    QString error;
    if (!ParseBreaks(breaks, &source.breaks, &error)) {
        ctx.err << error << "\n";
        return kCtlFailed;
    }
    if (!SaveSource(source)) {
        ctx.err << LastErrorText() << "\n";
        return kCtlFailed;
    }
    return kCtlOk;
}

int listSources(CtlContext& ctx)
{
    if (ctx.args.size() != 2)
        return kCtlUsage;
    bool ok = false;
    const auto sources = LoadSources({ctx.args[1]}, &ok);
    if (!ok) {
        ctx.err << LastErrorText() << "\n";
        return kCtlFailed;
    }
    for (const SourceRecord& s : sources.value(ctx.args[1]))
        ctx.out << QStringList{s.vendor,
                               s.orderCode,
                               s.currency,
                               // Nothing set sells single pieces.
                               PlainNumber(s.minimum > 0 ? s.minimum : 1),
                               PlainNumber(s.multiple > 0 ? s.multiple : 1),
                               BreaksText(s.breaks),
                               s.preferred ? QStringLiteral("preferred") : QString()}
                       .join(QLatin1Char('\t'))
                << "\n";
    return kCtlOk;
}

} // namespace

void RegisterSourcingCommands()
{
    RegisterCtlCommand({QStringLiteral("source"),
                        QStringLiteral("source add PART VENDOR ORDER_CODE [--mpn M] [--manufacturer NAME] [--currency C] "
                                       "[--moq N] [--multiple N] [--pack N] [--lead-days N] [--preferred] "
                                       "[--breaks Q:P,Q:P,...] | source list PART"),
                        [](CtlContext& ctx) {
                            const QString verb = ctx.args.value(0);
                            if (verb == QLatin1String("add"))
                                return addSource(ctx);
                            if (verb == QLatin1String("list"))
                                return listSources(ctx);
                            return kCtlUsage;
                        }});
    RegisterCtlCommand({QStringLiteral("rate"), QStringLiteral("rate set CURRENCY RATE | rate list"), [](CtlContext& ctx) {
                            if (ctx.args.value(0) == QLatin1String("list") && ctx.args.size() == 1) {
                                const QHash<QString, CurrencyRate> rates = LoadCurrencyRates();
                                QStringList codes = rates.keys();
                                codes.sort();
                                for (const QString& c : codes)
                                    ctx.out << c << "\t" << ExactNumberText(rates[c].rate) << "\t" << rates[c].date << "\n";
                                return kCtlOk;
                            }
                            if (ctx.args.size() != 3 || ctx.args[0] != QLatin1String("set"))
                                return kCtlUsage;
                            static const QRegularExpression code(QStringLiteral("^[A-Za-z]{3}$"));
                            if (!code.match(ctx.args[1]).hasMatch()) {
                                ctx.err << "not a currency code: " << ctx.args[1] << "\n";
                                return kCtlFailed;
                            }
                            double rate = 0;
                            QString error;
                            if (!ParseQuantity(ctx.args[2], 1e9, &rate, &error)) {
                                ctx.err << error << "\n";
                                return kCtlFailed;
                            }
                            if (!SaveCurrencyRate(ctx.args[1], rate)) {
                                ctx.err << LastErrorText() << "\n";
                                return kCtlFailed;
                            }
                            return kCtlOk;
                        }});
}
