#include "KeyboardAccess.h"

#include "display/AccessibleNames.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace
{
void collectLayout(const QLayout *layout, QList<QWidget *> &chain);

constexpr char SetUpProperty[] = "keyboardSetUp";
// Long enough for a window manager to have moved the focus after a dialog closed.
constexpr int ReturnKeyboardDelayMs = 250;

bool isSetUp(const QWidget *window)
{
    return window->property(SetUpProperty).toBool();
}

// Sets up each window of the program as it is first shown, and moves the focus on Tab and
// Shift+Tab along the window's layouts. Qt's own chain follows the order the widgets were made in,
// which for rows made at run time is not the order they are shown in.
class WindowWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show)
            setUpWindow(widget);
        else if (event->type() == QEvent::Hide && widget->isWindow())
            returnKeyboard(widget);
        else if (event->type() == QEvent::FocusIn)
            reveal(widget, static_cast<QFocusEvent *>(event)->reason());
        else if (event->type() == QEvent::KeyPress)
            return moveFocus(widget, static_cast<QKeyEvent *>(event)) ||
                   pressButton(widget, static_cast<QKeyEvent *>(event));
        return false;
    }

private:
    static void setUpWindow(QWidget *widget)
    {
        const Qt::WindowType type = widget->windowType();
        if (!widget->isWindow() || (type != Qt::Window && type != Qt::Dialog) || isSetUp(widget) ||
            QByteArray(widget->metaObject()->className()).startsWith('Q'))
            return;
        KeyboardAccess::setUp(widget);
        AccessibleNames::nameFromLabels(widget);
        if (!qobject_cast<QDialog *>(widget) && !qobject_cast<QMainWindow *>(widget))
            KeyboardAccess::closeOnEscape(widget);
    }

    static bool moveFocus(QWidget *focus, const QKeyEvent *key)
    {
        const bool backward = key->key() == Qt::Key_Backtab ||
                              (key->key() == Qt::Key_Tab && key->modifiers() & Qt::ShiftModifier);
        if ((key->key() != Qt::Key_Tab && !backward) ||
            key->modifiers() & (Qt::ControlModifier | Qt::AltModifier) || !isSetUp(focus->window()))
            return false;
        QWidget *next = KeyboardAccess::nextInChain(focus->window(), focus, !backward);
        if (next == nullptr)
            return false;
        next->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        return true;
    }

    // When a dialog closes, the window manager gives the keyboard back to the window below it.
    // Some do not when a question and its dialog close at once (openbox leaves the focus on the
    // question's window, which no longer exists): a keyboard operator would be stranded, so the
    // window below takes the keyboard itself once the window manager has had its turn.
    static void returnKeyboard(const QWidget *closed)
    {
        QWidget *below =
            closed->parentWidget() != nullptr ? closed->parentWidget()->window() : nullptr;
        if (below == nullptr || closed->windowType() != Qt::Dialog)
            return;
        QTimer::singleShot(ReturnKeyboardDelayMs, below, [below] {
            const QWidget *active = QApplication::activeWindow();
            if (below->isVisible() && (active == nullptr || !active->isVisible()) &&
                (QApplication::activeModalWidget() == nullptr ||
                 QApplication::activeModalWidget() == below))
                below->activateWindow();
        });
    }

    // Enter presses the focused button in a window that is not a dialog, as Space does; in a
    // dialog Enter is the default button's.
    static bool pressButton(QWidget *focus, const QKeyEvent *key)
    {
        auto *button = qobject_cast<QPushButton *>(focus);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || key->isAutoRepeat() ||
            button == nullptr || !button->isEnabled() || !isSetUp(button->window()) ||
            qobject_cast<QDialog *>(button->window()) != nullptr)
            return false;
        button->click();
        return true;
    }

    // A control that takes the focus in a part that scrolls is scrolled into view, whatever moved
    // the focus there (Tab, the focus coming back from a dialog, a button that gave it on); a
    // click lands on what is in view already.
    static void reveal(QWidget *focus, Qt::FocusReason reason)
    {
        if (reason == Qt::MouseFocusReason || reason == Qt::PopupFocusReason)
            return;
        for (QWidget *parent = focus->parentWidget(); parent != nullptr && !parent->isWindow();
             parent = parent->parentWidget()) {
            if (auto *scroll = qobject_cast<QScrollArea *>(parent))
                scroll->ensureWidgetVisible(focus);
        }
    }
};

bool takesTab(const QWidget *widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

void collectWidget(QWidget *widget, QList<QWidget *> &chain)
{
    if (widget->isWindow())
        return;
    if (auto *tabs = qobject_cast<QTabWidget *>(widget)) {
        chain.append(tabs->tabBar());
        for (int i = 0; i < tabs->count(); ++i)
            collectWidget(tabs->widget(i), chain);
        return;
    }
    if (auto *stack = qobject_cast<QStackedWidget *>(widget)) {
        for (int i = 0; i < stack->count(); ++i)
            collectWidget(stack->widget(i), chain);
        return;
    }
    if (auto *scroll = qobject_cast<QScrollArea *>(widget); scroll && scroll->widget()) {
        collectWidget(scroll->widget(), chain);
        return;
    }
    // A list, a table or a text view takes focus as a whole.
    if (takesTab(widget) &&
        (widget->layout() == nullptr || qobject_cast<QAbstractScrollArea *>(widget)))
        chain.append(widget);
    if (widget->layout() != nullptr && !qobject_cast<QAbstractScrollArea *>(widget))
        collectLayout(widget->layout(), chain);
}

void collectItem(QLayoutItem *item, QList<QWidget *> &chain)
{
    if (QWidget *widget = item->widget())
        collectWidget(widget, chain);
    else if (QLayout *layout = item->layout())
        collectLayout(layout, chain);
}

void collectLayout(const QLayout *layout, QList<QWidget *> &chain)
{
    if (auto *grid = qobject_cast<const QGridLayout *>(layout)) {
        struct Placed {
            int row, column;
            QLayoutItem *item;
        };
        QList<Placed> placed;
        for (int i = 0; i < grid->count(); ++i) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            placed.append({row, column, grid->itemAt(i)});
        }
        std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        });
        for (const Placed &p : placed)
            collectItem(p.item, chain);
        return;
    }
    for (int i = 0; i < layout->count(); ++i)
        collectItem(layout->itemAt(i), chain);
}
} // namespace

QList<QWidget *> KeyboardAccess::tabChain(QWidget *root)
{
    QList<QWidget *> chain;
    if (root->layout() != nullptr)
        collectLayout(root->layout(), chain);
    return chain;
}

void KeyboardAccess::setUp(QWidget *root)
{
    const QList<QPushButton *> buttons = root->findChildren<QPushButton *>();
    // A ten-key dialog takes every key on its pad: Tab would move the focus off the keys.
    if (std::any_of(buttons.begin(), buttons.end(), [](const QPushButton *button) {
            return button->property(padKeyProperty).toBool();
        }))
        return;
    for (QPushButton *button : buttons) {
        if (button->focusPolicy() == Qt::NoFocus)
            button->setFocusPolicy(Qt::StrongFocus);
    }
    root->setProperty(SetUpProperty, true);
}

QWidget *KeyboardAccess::nextInChain(QWidget *root, QWidget *from, bool forward)
{
    QList<QWidget *> chain = tabChain(root);
    chain.erase(std::remove_if(chain.begin(), chain.end(),
                               [](const QWidget *w) { return !w->isVisible() || !w->isEnabled(); }),
                chain.end());
    // A control made of parts (an editable list) has the focus in one of them.
    qsizetype at = -1;
    for (QWidget *w = from; w != nullptr && w != root && at < 0; w = w->parentWidget())
        at = chain.indexOf(w);
    if (at < 0 || chain.isEmpty())
        return nullptr;
    return chain[(at + (forward ? 1 : chain.size() - 1)) % chain.size()];
}

void KeyboardAccess::closeOnEscape(QWidget *window)
{
    auto *shortcut = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
}

void KeyboardAccess::watchWindows()
{
    static QObject *watcher = nullptr;
    if (watcher != nullptr)
        return;
    watcher = new WindowWatcher(qApp);
    qApp->installEventFilter(watcher);
}
