#include "MainWindowLayout.h"

#include "display/ColumnScrollArea.h"
#include "display/ScreenFitArea.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QTabWidget>

namespace
{
template <typename T = QWidget> T *child(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

// pvValue spans the value and unit columns in the form; the PV unit takes the unit column, as the
// set values' units do below it.
void addPvUnit(QWidget *window)
{
    QWidget *pv = child(window, "pvValue");
    auto *grid =
        pv != nullptr ? qobject_cast<QGridLayout *>(pv->parentWidget()->layout()) : nullptr;
    QWidget *svUnit = child(window, "unitLabel_17");
    if (grid == nullptr || svUnit == nullptr)
        return;
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(pv), &row, &column, &rowSpan, &columnSpan);
    grid->removeWidget(pv);
    grid->addWidget(pv, row, column);
    auto *unit = new QLabel(pv->parentWidget());
    unit->setObjectName(QStringLiteral("pvUnitLabel"));
    unit->setMinimumWidth(svUnit->minimumWidth());
    grid->addWidget(unit, row, column + 1);
}

// Puts a setting page's frames into a column that scrolls in the page.
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
            // The old item goes first: a widget's size caches are flushed only through the first
            // layout item made for it, and an item made while the old one lives keeps its frame's
            // first height for good (rows then drawn on top of each other).
            delete item;
            rows->addWidget(widget);
        } else {
            rows->addItem(item);
        }
    }
    delete old;

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new ColumnScrollArea(inner, ColumnScrollArea::Height::Any));
}

// Keeps the floating panels (link check, key-operation notice) centred over the part of the page
// they belong to as the layout moves it, and a panel with a layout as high as its content: they
// float, so that they never push the page's controls away from where they are drawn.
class OverlayPlacer : public QObject
{
public:
    OverlayPlacer(QWidget *anchor, QList<QWidget *> overlays)
        : QObject(anchor), m_anchor(anchor), m_overlays(std::move(overlays))
    {
        anchor->installEventFilter(this);
        for (QWidget *overlay : m_overlays)
            overlay->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Move:
        case QEvent::Show:
        case QEvent::LayoutRequest:
            place();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void place()
    {
        for (QWidget *overlay : m_overlays) {
            const QRect area =
                m_anchor == overlay->parentWidget() ? m_anchor->rect() : m_anchor->geometry();
            const int width = qMin(overlay->width(), area.width());
            const int height = overlay->layout() == nullptr   ? overlay->height()
                               : overlay->hasHeightForWidth() ? overlay->heightForWidth(width)
                                                              : overlay->sizeHint().height();
            const QRect placed(area.center().x() - width / 2, area.top() + area.height() / 4, width,
                               height);
            // Placing moves and resizes the overlay, which brings this filter here again.
            if (overlay->geometry() != placed)
                overlay->setGeometry(placed);
        }
    }

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
    auto *settings = child<QTabWidget>(window, "settingTabs");
    if (page == nullptr || settings == nullptr || page->layout() != nullptr)
        return;
    addPvUnit(window);
    for (int i = 0; i < settings->count(); ++i)
        makeScrolling(settings->widget(i));

    auto *leftColumn = new QWidget;
    leftColumn->setObjectName(QStringLiteral("leftColumn"));
    auto *left = new QVBoxLayout(leftColumn);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(child(window, "monitorFrame"));
    left->addWidget(child(window, "commInfoFrame"));
    auto *state = new QHBoxLayout;
    // The online button and the two state labels keep the height of a large button.
    const int stateHeight = window->fontMetrics().height() * 5 / 2;
    for (const char *name : {"onlineButton", "onlineStateLabel", "monitorStateLabel"}) {
        QWidget *widget = child(window, name);
        widget->setMinimumHeight(stateHeight);
        state->addWidget(widget, 1);
    }
    left->addLayout(state);
    left->addWidget(child(window, "linkCheckNotice"));
    left->addWidget(child(window, "transferFrame"));
    left->addStretch(1);

    auto *columns = new QHBoxLayout(page);
    columns->setContentsMargins(6, 4, 6, 4);
    columns->addWidget(new ColumnScrollArea(leftColumn, ColumnScrollArea::Height::AsFirstShown), 2);
    columns->addWidget(settings, 3);

    if (auto *main = qobject_cast<QMainWindow *>(window))
        main->setCentralWidget(new ScreenFitArea(main->takeCentralWidget()));

    placeOverlays(window, "leftColumn_scroll", {"keyOperationNotice"});
    placeOverlays(window, "settingTabs", {"pageKeyOperationNotice"});
    placeOverlays(window, "tabMain", {"linkCheckPanel"});
}
