#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui
{
class SplashScreen;
}

// The splash window shown while the program starts: its timer ticks every second and counts to
// two; the third tick stops it, closes the window and emits finished(), so it stays about three
// seconds.
class SplashScreen : public QWidget
{
    Q_OBJECT

public:
    explicit SplashScreen(QWidget *parent = nullptr);
    ~SplashScreen() override;

    // Shows the window and starts the timer.
    void start();

signals:
    void finished();

private:
    void onTick();

    std::unique_ptr<Ui::SplashScreen> m_ui;
    QTimer m_timer;
    int m_count = 0;
};
