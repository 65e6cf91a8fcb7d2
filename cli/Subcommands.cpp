#include "Subcommands.h"

#include "Commands.h"

const QList<Subcommand> &subcommands()
{
    static const QList<Subcommand> table = {
        {QStringLiteral("ports"),
         QString(),
         QStringLiteral("COM1 ... COM8 and the device each one opens"),
         {},
         0,
         0,
         runPorts},
        {QStringLiteral("probe"),
         QString(),
         QStringLiteral("check the link with the stored conditions (or those given as options)"),
         {},
         0,
         0,
         runProbe},
        {QStringLiteral("search"),
         QStringLiteral("[--no-store] [--all]"),
         QStringLiteral("search ports, speeds, protocols and instrument numbers; store what\n"
                        "      answers; --all lists every instrument answering on that port"),
         {QStringLiteral("no-store"), QStringLiteral("all"), QStringLiteral("frames")},
         0,
         0,
         runSearch},
        {QStringLiteral("read"),
         QStringLiteral("CODE... | all [--json]"),
         QStringLiteral("read values by parameter code: display text and raw value"),
         {QStringLiteral("json"), QStringLiteral("frames")},
         1,
         -1,
         runRead,
         runReadOnLine},
        {QStringLiteral("monitor"),
         QStringLiteral("[--interval SECONDS] [--seconds N] [--format csv|jsonl]\n"
                        "          [--out FILE|DIR] [--csv FILE] [--append | --force]\n"
                        "          [--rotate daily|SIZE] [--events FILE] [--quiet] [--mqtt URL]\n"
                        "          [--frames FILE] [--stats]"),
         QStringLiteral("poll PV, SV, MV1, MV2 and the status word, one row per rotation;\n"
                        "      --out writes them as CSV or JSON lines, --csv in the trend log\n"
                        "      format, --events appends alarms, breaks, line loss and\n"
                        "      auto-tuning to an event log, --mqtt publishes them to an MQTT\n"
                        "      broker"),
         {QStringLiteral("seconds"),        QStringLiteral("csv"),
          QStringLiteral("append"),         QStringLiteral("force"),
          QStringLiteral("events"),         QStringLiteral("mqtt"),
          QStringLiteral("mqtt-user"),      QStringLiteral("mqtt-password-file"),
          QStringLiteral("mqtt-cafile"),    QStringLiteral("mqtt-qos"),
          QStringLiteral("mqtt-cert"),      QStringLiteral("mqtt-key"),
          QStringLiteral("mqtt-discovery"), QStringLiteral("interval"),
          QStringLiteral("format"),         QStringLiteral("out"),
          QStringLiteral("rotate"),         QStringLiteral("quiet"),
          QStringLiteral("frames"),         QStringLiteral("stats")},
         0,
         0,
         runMonitor,
         runMonitorOnLine},
        {QStringLiteral("write"),
         QStringLiteral("CODE VALUE [--journal-dir DIR]"),
         QStringLiteral("write one setting item, VALUE as the main window shows it (250.5,\n"
                        "      a choice's number or text); out of its limits nothing is sent;\n"
                        "      an item that resets others (input type, alarm type) needs --yes"),
         {QStringLiteral("journal-dir"), QStringLiteral("frames")},
         2,
         2,
         runWrite},
        {QStringLiteral("upload"),
         QStringLiteral("[--out FILE.znm | --out-dir DIR] [--report FILE.pdf]"),
         QStringLiteral("read every setting item; print them, or file them and/or report them\n"
                        "      (one file per instrument in DIR)"),
         {QStringLiteral("out"), QStringLiteral("out-dir"), QStringLiteral("report"),
          QStringLiteral("frames")},
         0,
         0,
         runUpload,
         runUploadOnLine},
        {QStringLiteral("download"),
         QStringLiteral("FILE.znm | DIR [--journal-dir DIR]"),
         QStringLiteral("write a settings data file's items to the controller, then read\n"
                        "      them back and report any it did not take"),
         {QStringLiteral("journal-dir"), QStringLiteral("frames")},
         1,
         1,
         runDownload,
         runDownloadOnLine},
        {QStringLiteral("diff"),
         QStringLiteral("FILE.znm | DIR"),
         QStringLiteral("the items a download of the file would change: code, name,\n"
                        "      controller's value, file's value"),
         {},
         1,
         1,
         runDiff,
         runDiffOnLine},
    };
    return table;
}

const Subcommand *findSubcommand(const QString &name)
{
    for (const Subcommand &subcommand : subcommands()) {
        if (subcommand.name == name)
            return &subcommand;
    }
    return nullptr;
}
