#include "Cli.h"
#include "Interrupt.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("znctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZN_VERSION));
    Interrupt::install();
    return runCli(QCoreApplication::arguments().mid(1));
}
