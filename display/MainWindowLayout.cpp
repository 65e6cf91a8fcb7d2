#include "MainWindowLayout.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>

namespace
{
template <typename T = QWidget> T *child(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

// Text_PV spans the value and unit columns in the form; the PV unit takes the unit column, as the
// set values' units do below it.
void addPvUnit(QWidget *window)
{
    QWidget *pv = child(window, "Text_PV");
    auto *grid =
        pv != nullptr ? qobject_cast<QGridLayout *>(pv->parentWidget()->layout()) : nullptr;
    QWidget *svUnit = child(window, "Label_CF_17");
    if (grid == nullptr || svUnit == nullptr)
        return;
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(pv), &row, &column, &rowSpan, &columnSpan);
    grid->removeWidget(pv);
    grid->addWidget(pv, row, column);
    auto *unit = new QLabel(pv->parentWidget());
    unit->setObjectName(QStringLiteral("Label_PVunit"));
    unit->setMinimumWidth(svUnit->minimumWidth());
    grid->addWidget(unit, row, column + 1);
}

// Puts a setting page's frames into a scroll area that never scrolls sideways: it is as wide as
// its rows need.
void makeScrolling(QWidget *page)
{
    QLayout *old = page->layout();
    if (old == nullptr)
        return;
    auto *inner = new QWidget;
    inner->setObjectName(page->objectName() + QStringLiteral("_rows"));
    auto *rows = new QVBoxLayout(inner);
    rows->setContentsMargins(old->contentsMargins());
    rows->setSpacing(old->spacing());
    while (QLayoutItem *item = old->takeAt(0)) {
        if (QWidget *widget = item->widget()) {
            rows->addWidget(widget);
            delete item;
        } else {
            rows->addItem(item);
        }
    }
    delete old;

    auto *scroll = new QScrollArea(page);
    scroll->setObjectName(page->objectName() + QStringLiteral("_scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(inner);
    const int scrollBar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    scroll->setMinimumWidth(inner->minimumSizeHint().width() + scrollBar);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
}
// Keeps the floating panels (search, key-operation notice) centred over the part of the page they
// belong to as the layout moves it: the left ones over the monitor panel, the right ones over the
// setting pages.
class OverlayPlacer : public QObject
{
public:
    OverlayPlacer(QWidget *anchor, QList<QWidget *> overlays)
        : QObject(anchor), m_anchor(anchor), m_overlays(std::move(overlays))
    {
        anchor->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
            const QRect area = m_anchor->geometry();
            for (QWidget *overlay : m_overlays) {
                const int width = qMin(overlay->width(), area.width());
                overlay->setGeometry(area.center().x() - width / 2, area.top() + area.height() / 4,
                                     width, overlay->height());
            }
        }
        return false;
    }

private:
    QWidget *m_anchor;
    QList<QWidget *> m_overlays;
};

void placeOverlays(QWidget *window, const char *anchor, std::initializer_list<const char *> names)
{
    QList<QWidget *> overlays;
    for (const char *name : names) {
        if (QWidget *overlay = child(window, name))
            overlays.append(overlay);
    }
    new OverlayPlacer(child(window, anchor), overlays);
}
} // namespace

void MainWindowLayout::arrange(QWidget *window)
{
    auto *page = child(window, "tabMain");
    auto *settings = child<QTabWidget>(window, "SSTab2");
    if (page == nullptr || settings == nullptr || page->layout() != nullptr)
        return;
    addPvUnit(window);
    for (int i = 0; i < settings->count(); ++i)
        makeScrolling(settings->widget(i));

    auto *left = new QVBoxLayout;
    left->addWidget(child(window, "Frame1"));
    left->addWidget(child(window, "Frame_comm"));
    auto *state = new QHBoxLayout;
    // The online button and the two state labels keep the height of a large button.
    const int stateHeight = window->fontMetrics().height() * 5 / 2;
    for (const char *name : {"Cmd_ONOFF", "Label2", "Label4"}) {
        QWidget *widget = child(window, name);
        widget->setMinimumHeight(stateHeight);
        state->addWidget(widget, 1);
    }
    left->addLayout(state);
    left->addWidget(child(window, "Text_readmsg2"));
    left->addWidget(child(window, "Frame4"));
    left->addStretch(1);

    auto *columns = new QHBoxLayout(page);
    columns->setContentsMargins(6, 4, 6, 4);
    columns->addLayout(left, 2);
    columns->addWidget(settings, 3);

    placeOverlays(window, "Frame1", {"frmSearch_0", "Text_readmsg3"});
    placeOverlays(window, "SSTab2", {"frmSearch_1", "Text_readmsg5"});
}
