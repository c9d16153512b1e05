#pragma once
// Putting a new part in place of an old one on every bill line that holds
// it (or on one assembly's lines): the plan lists the lines first, then the
// change is made in one transaction and every assembly it touches keeps its
// bill as it was as a revision.
#include <QString>
#include <QStringList>
#include <vector>

struct ReplaceLine
{
    QString id;
    QString assembly;
    QString item;
    QString quantity;
};

struct ReplacePlan
{
    QString oldPart;
    QString newPart;
    std::vector<ReplaceLine> lines;
    QStringList assemblies; // those whose lines change, sorted
    QString refusal;        // why the replace cannot be made; empty when it can
    bool newPartUnknown = false; // no record yet: the replace makes one, as the grid does
};

// Reads what a replace would change and whether it may. Refused: the same
// part, or a new part whose bill holds (or is) an assembly that would take
// it, as that bill would then contain itself.
ReplacePlan PlanReplace(const QString& oldPart, const QString& newPart, const QString& assembly = QString());

// Makes the planned change, keeping a revision of each assembly and logging
// every line; all or nothing. False with the reason.
bool ApplyReplace(const ReplacePlan& plan, QString* error);

// One planned line, tab-separated: assembly, item, old part, new part, quantity.
QString ReplaceLineText(const ReplacePlan& plan, const ReplaceLine& line);
