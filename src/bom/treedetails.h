#pragma once
// What the navigation panel shows about the selected part or routing step.
#include <QString>
#include <QStringList>

struct PartDetails
{
    QString picture;
    QString currency;
    QString price;
    QString labor;
    QString manufacturer;
    QString distributor;
    QString description;
    // The part's last changes from the change log, newest first, one line each.
    QStringList lastChanges;
    // One line per source: vendor, order code, minimum, currency, breaks.
    QStringList sources;
};

struct StepDetails
{
    QString resource;
    QString hours;
    QString cost;
};

PartDetails LoadPartDetails(const QString& part);
StepDetails LoadStepDetails(const QString& assembly, const QString& step);

// The picture file of a stored picture value: a bare name (or one carrying a
// folder from another machine) lives in the data folder's Picture folder.
QString PicturePath(const QString& value);
