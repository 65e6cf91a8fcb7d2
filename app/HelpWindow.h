#pragma once

#include <QUrl>
#include <QWidget>

#include <memory>

namespace Ui
{
class HelpWindow;
}

// The help window: a browser over the help pages compiled into the program
// (":/help/<name>.html"), opened at their contents.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);
    ~HelpWindow() override;

    // Loads the help file (name without extension, "ZN Monitor_E") at its "contents" anchor and
    // brings the window to the front.
    void openContents(const QString &helpFile);
    QUrl source() const;

    static QUrl contentsUrl(const QString &helpFile);

private:
    std::unique_ptr<Ui::HelpWindow> m_ui;
};
