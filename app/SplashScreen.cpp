#include "SplashScreen.h"

#include "ui_SplashScreen.h"

#include "base/MessageTable.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

SplashScreen::SplashScreen(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint),
      m_ui(std::make_unique<Ui::SplashScreen>())
{
    m_ui->setupUi(this);
    setWindowTitle(msg(1));
    m_ui->productNameLabel->setText(msg(1));
    m_ui->versionLabel->setText(QStringLiteral(ZN_VERSION));
    m_ui->companyLabel->setText(QCoreApplication::organizationName());
    setFixedSize(sizeHint().expandedTo(size()));

    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &SplashScreen::onTick);
}

SplashScreen::~SplashScreen() = default;

void SplashScreen::start()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    m_count = 0;
    m_timer.start();
}

void SplashScreen::onTick()
{
    if (m_count < 2) {
        ++m_count;
        return;
    }
    m_timer.stop();
    m_count = 0;
    close();
    emit finished();
}
