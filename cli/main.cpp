#include "Cli.h"
#include "Interrupt.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

namespace
{
// Drawing the settings report takes QtGui and so a QGuiApplication; every other run stays QtCore
// only and needs no platform plugin.
bool drawsReport(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--report" || argument.startsWith("--report="))
            return true;
    }
    return false;
}
} // namespace

int main(int argc, char *argv[])
{
    const bool report = drawsReport(argc, argv);
    // Headless unless told otherwise: the report needs no display.
    if (report && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        report ? std::make_unique<QGuiApplication>(argc, argv)
               : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("znctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZN_VERSION));
    Interrupt::install();
    return runCli(QCoreApplication::arguments().mid(1));
}
