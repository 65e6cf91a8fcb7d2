#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

struct SessionState;

// File > Print settings report and `znctl upload --report`: what the report says, as texts in the
// message table's current language, without any drawing. Every setting item the controller's unit
// configuration has, with its name, value and unit, grouped as the setting pages group them (the
// set value and manual output of the monitor panel first), under a header that says when and
// from which controller or file the values are.
struct SettingsReport {
    struct Line {
        QString name;
        QString value;
    };
    struct Row {
        QString name;
        // "----" for an item whose last read was refused or went unanswered, and for an item of the
        // controller's set that was not read from it
        QString value;
        QString unit; // empty for an item without a unit
    };
    struct Group {
        QString title;
        QList<Row> rows;
    };

    QString title;
    QList<Line> header; // date and time, port, instrument number, settings data file (if any)
    QString optionsTitle;
    QList<Line> options; // the unit configuration, one line per option
    QList<Group> groups;

    // The report of shared's values as they stand, dated when.
    static SettingsReport of(const SessionState &shared, const QDateTime &when);
};
