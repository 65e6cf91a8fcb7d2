#include "TrendChart.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "chart/AxisStrip.h"
#include "chart/ChartCanvas.h"
#include "comm/ControllerCodes.h"
#include "comm/SessionContext.h"
#include "dialogs/ScaleEntryDialog.h"
#include "display/AccessibleNames.h"
#include "display/ColumnScrollArea.h"
#include "display/MainDisplayModel.h"
#include "display/ValueBoxStyle.h"

#include <QAction>
#include <QColorDialog>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace
{
constexpr int SidePanelWidth = 350;
constexpr int ReasonPanel = 4;

const std::array<const char *, ChartChannels::Count> ValueLabelNames = {
    "pvLegend", "svLegend", "mv1Legend", "mv2Legend", "sv2Legend", "sv3Legend", "sv4Legend"};

QColor colourOf(qint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

qint32 bgrOf(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

template <typename W> W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel *label(const QString &name, QWidget *parent = nullptr)
{
    return named(new QLabel(parent), name);
}

QPushButton *button(const QString &name, QWidget *parent = nullptr)
{
    return named(new QPushButton(parent), name);
}

// A scale label: the value the dialog edits, in a sunken box.
QLabel *valueBox(const QString &name, const QString &text)
{
    QLabel *box = label(name);
    box->setText(text);
    box->setFrameShape(QFrame::Panel);
    box->setFrameShadow(QFrame::Sunken);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setMinimumWidth(56);
    return box;
}

qint16 integerOf(const QString &text)
{
    return qint16(qBound(-32768.0, std::round(ChartChannels::leadingNumber(text)), 32767.0));
}
} // namespace

TrendChart::TrendChart(const SessionContext &context, const QString &programFolder, QWidget *parent)
    : QWidget(parent), m_shared(context.shared), m_op(context.op), m_files(programFolder),
      m_run(context, m_model, m_files, *this, programFolder)
{
    setObjectName(QStringLiteral("m_trendChart"));
    m_pickColour = [this](const QColor &initial) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, this);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };
    m_scaleDialog = [this](ScaleEntry::Mode mode, const QString &now, qint16 high,
                           qint16 low) -> std::optional<int> {
        ScaleEntryDialog dialog(m_op, mode, now, high, low, this);
        return dialog.exec() == QDialog::Accepted ? std::optional<int>(dialog.value())
                                                  : std::nullopt;
    };

    m_files.setUnsavedReport([this](const FileFault &fault) {
        m_op.setStatusPanel(ReasonPanel, msg(982).arg(fault.text()));
    });
    m_sampleTimer.setInterval(1000);
    connect(&m_sampleTimer, &QTimer::timeout, this, &TrendChart::onChartTick);

    auto *side = new QVBoxLayout;
    side->addWidget(makeValuePanel());
    side->addWidget(makeTimeFrame());
    side->addWidget(makeScaleFrame());
    auto *runButtons = new QHBoxLayout;
    runButtons->addWidget(runButton = button(QStringLiteral("runButton")));
    runButtons->addWidget(stopButton = button(QStringLiteral("stopButton")));
    side->addLayout(runButtons);
    side->addWidget(channelSelectButton = button(QStringLiteral("channelSelectButton")));
    side->addWidget(makeSelectionFrame());
    side->addStretch(1);
    side->addWidget(runStateLabel = label(QStringLiteral("runStateLabel")));
    runStateLabel->setFrameShape(QFrame::Panel);
    runStateLabel->setFrameShadow(QFrame::Sunken);
    runStateLabel->setAlignment(Qt::AlignCenter);
    auto *sideWidget = new QWidget;
    sideWidget->setObjectName(QStringLiteral("sidePanel"));
    sideWidget->setLayout(side);
    sideWidget->setFixedWidth(SidePanelWidth);
    // The MV2 row and the selection frame come and go: the panel scrolls rather than growing the
    // window.
    m_sideScroll = new ColumnScrollArea(sideWidget, ColumnScrollArea::Height::AsFirstShown);
    m_sideScroll->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    auto *top = new QHBoxLayout;
    top->addWidget(makePlotArea(), 1);
    top->addWidget(m_sideScroll);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(logFileCaption = label(QStringLiteral("logFileCaption")));
    bottom->addWidget(logFileLabel = label(QStringLiteral("logFileLabel")), 1);
    logFileLabel->setFrameShape(QFrame::Panel);
    logFileLabel->setFrameShadow(QFrame::Sunken);
    logFileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A path shown in the box must not make the row, and so a window at its least height, a pixel
    // higher than the empty box was: the box keeps the height of a line of Latin and Japanese.
    logFileLabel->setText(QStringLiteral("Ag/_|ロ"));
    logFileLabel->setFixedHeight(logFileLabel->minimumSizeHint().height());
    logFileLabel->clear();
    auto *root = new QVBoxLayout(this);
    root->addLayout(top, 1);
    root->addLayout(bottom);

    connect(runButton, &QPushButton::clicked, this, [this] { m_run.start(); });
    connect(stopButton, &QPushButton::clicked, this, [this] { m_run.stop(); });
    connect(channelSelectButton, &QPushButton::clicked, this, &TrendChart::openSelection);
    connect(channelSelectDoneButton, &QPushButton::clicked, this, &TrendChart::selectionCompleted);
    connect(longTimeBase, &QRadioButton::clicked, this, [this] { timeBaseChosen(true); });
    connect(shortTimeBase, &QRadioButton::clicked, this, [this] { timeBaseChosen(false); });
    connect(changeYHigh, &QPushButton::clicked, this,
            [this] { openScaleDialog(ScaleEntry::YHigh); });
    connect(changeYLow, &QPushButton::clicked, this, [this] { openScaleDialog(ScaleEntry::YLow); });
    connect(changeCycle, &QPushButton::clicked, this,
            [this] { openScaleDialog(ScaleEntry::Cycle); });
    connect(changeDivisions, &QPushButton::clicked, this,
            [this] { openScaleDialog(ScaleEntry::Divisions); });
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        connect(channelButtons[channel], &QPushButton::clicked, this,
                [this, channel] { toggleChannel(channel); });
        connect(colorButtons[channel], &QPushButton::clicked, this,
                [this, channel] { pickColour(channel); });
    }

    setCaptions();
    channelSelectGroup->hide();
    for (int channel = Sv2; channel < ChartChannels::Count; ++channel) {
        for (QWidget *w : {static_cast<QWidget *>(m_valueLabels[channel]),
                           static_cast<QWidget *>(channelName[channel])})
            w->hide();
    }
    applyMv2Visibility();
    setValuesLive(false);
    showRunState(false);
}

TrendChart::~TrendChart() = default;

QWidget *TrendChart::makePlotArea()
{
    plotArea = new ChartCanvas;
    QList<QLabel *> yLabels;
    for (int i = 0; i < int(yScaleLabels.size()); ++i)
        yLabels << (yScaleLabels[i] = label(QStringLiteral("yScaleLabel_%1").arg(i)));
    QList<QLabel *> timeLabels;
    for (int i = 0; i < int(xScaleLabels.size()) - 1; ++i)
        timeLabels << (xScaleLabels[i] = label(QStringLiteral("xScaleLabel_%1").arg(i)));
    xScaleLabels[11] = label(QStringLiteral("xScaleLabel_11"));
    for (QLabel *time : timeLabels)
        time->setText(QStringLiteral("***"));

    auto *area = new QWidget;
    auto *grid = new QGridLayout(area);
    grid->setSpacing(2);
    grid->addWidget(new AxisStrip(Qt::Vertical, yLabels), 0, 0);
    grid->addWidget(plotArea, 0, 1);
    grid->addWidget(new AxisStrip(Qt::Horizontal, timeLabels), 1, 1);
    grid->addWidget(xScaleLabels[11], 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    return area;
}

QWidget *TrendChart::makeValuePanel()
{
    auto *panel = new QWidget;
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        channelName[channel] = label(QStringLiteral("channelName_%1").arg(channel));
        channelName[channel]->setText(QLatin1String(ChartChannels::info(channel).name));
        // Nothing until the first reading.
        QLabel *value = valueBox(QLatin1String(ValueLabelNames[channel]), QString());
        value->setStyleSheet(ValueBoxStyle::liveOnWhite());
        QFont font = value->font();
        font.setPointSizeF(font.pointSizeF() * 1.4);
        font.setBold(true);
        value->setFont(font);
        m_valueLabels[channel] = value;
        grid->addWidget(channelName[channel], channel, 0);
        grid->addWidget(value, channel, 1);
    }
    grid->setColumnStretch(1, 1);
    return panel;
}

QGroupBox *TrendChart::makeTimeFrame()
{
    xScaleGroup = named(new QGroupBox, QStringLiteral("xScaleGroup"));
    auto *grid = new QGridLayout(xScaleGroup);
    grid->addWidget(shortTimeBase = named(new QRadioButton, QStringLiteral("shortTimeBase")), 0, 0,
                    1, 2);
    grid->addWidget(longTimeBase = named(new QRadioButton, QStringLiteral("longTimeBase")), 0, 2, 1,
                    2);
    grid->addWidget(cycleCaption = label(QStringLiteral("cycleCaption")), 1, 0, 1, 4);
    grid->addWidget(cycleValue = valueBox(QStringLiteral("cycleValue"), QStringLiteral("5")), 2, 0,
                    1, 2);
    grid->addWidget(secondsCaption = label(QStringLiteral("secondsCaption")), 2, 2);
    grid->addWidget(changeCycle = button(QStringLiteral("changeCycle")), 2, 3);
    longTimeBase->setChecked(true);
    return xScaleGroup;
}

QGroupBox *TrendChart::makeScaleFrame()
{
    yScaleGroup = named(new QGroupBox, QStringLiteral("yScaleGroup"));
    auto *grid = new QGridLayout(yScaleGroup);
    grid->addWidget(yHighCaption = label(QStringLiteral("yHighCaption")), 0, 0);
    grid->addWidget(yHighValue = valueBox(QStringLiteral("yHighValue"), QStringLiteral("400")), 0,
                    1);
    grid->addWidget(changeYHigh = button(QStringLiteral("changeYHigh")), 0, 2);
    grid->addWidget(yLowCaption = label(QStringLiteral("yLowCaption")), 1, 0);
    grid->addWidget(yLowValue = valueBox(QStringLiteral("yLowValue"), QStringLiteral("0")), 1, 1);
    grid->addWidget(changeYLow = button(QStringLiteral("changeYLow")), 1, 2);
    grid->addWidget(divisionsCaption = label(QStringLiteral("divisionsCaption")), 2, 0);
    grid->addWidget(
        divisionsValue = valueBox(QStringLiteral("divisionsValue"), QStringLiteral("4")), 2, 1);
    grid->addWidget(changeDivisions = button(QStringLiteral("changeDivisions")), 2, 2);
    return yScaleGroup;
}

QGroupBox *TrendChart::makeSelectionFrame()
{
    channelSelectGroup = named(new QGroupBox, QStringLiteral("channelSelectGroup"));
    auto *grid = new QGridLayout(channelSelectGroup);
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        selectionCaption[channel] = label(QStringLiteral("selectionCaption_%1").arg(channel));
        channelButtons[channel] = button(QStringLiteral("channelButton_%1").arg(channel));
        colorButtons[channel] = button(QStringLiteral("colorButton_%1").arg(channel));
        grid->addWidget(selectionCaption[channel], channel, 0);
        grid->addWidget(channelButtons[channel], channel, 1);
        grid->addWidget(colorButtons[channel], channel, 2);
    }
    grid->addWidget(channelSelectDoneButton = button(QStringLiteral("channelSelectDoneButton")),
                    ChartChannels::Count, 0, 1, 3);
    return channelSelectGroup;
}

void TrendChart::setCaptions()
{
    xScaleGroup->setTitle(msg(658));
    shortTimeBase->setText(msg(659));
    longTimeBase->setText(msg(660));
    cycleCaption->setText(msg(661));
    secondsCaption->setText(msg(662));
    yScaleGroup->setTitle(msg(663));
    yHighCaption->setText(msg(664));
    yLowCaption->setText(msg(665));
    divisionsCaption->setText(msg(675));
    // "..." says nothing to a screen reader: each names the setting it changes.
    const std::array<std::pair<QPushButton *, QLabel *>, 4> opens = {
        {{changeCycle, cycleCaption},
         {changeYHigh, yHighCaption},
         {changeYLow, yLowCaption},
         {changeDivisions, divisionsCaption}}};
    for (const auto &[open, caption] : opens) {
        open->setText(QStringLiteral("..."));
        open->setAccessibleName(caption->text() + QStringLiteral(": ") + msg(31));
    }
    runButton->setText(msg(666));
    stopButton->setText(msg(667));
    xScaleLabels[11]->setText(msg(700));
    channelSelectButton->setText(msg(669));
    channelSelectGroup->setTitle(msg(669));
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        selectionCaption[channel]->setText(msg(ChartChannels::info(channel).selectionCaption));
        colorButtons[channel]->setText(msg(ChartChannels::info(channel).colourCaption));
    }
    channelSelectDoneButton->setText(msg(674));
    logFileCaption->setText(msg(553));
}

void TrendChart::prepareChannelFiles()
{
    m_files.load(m_shared);
    setYScaleDivision(QString::number(m_shared.chartDivisions));
    if (m_shared.chartLongScale != 0)
        setXScaleLong(true);
    else
        setXScaleShort(true);
    setXScaleTime(QString::number(m_shared.chartCycleSeconds));
    setYScaleHigh(QString::number(m_shared.chartScaleHigh));
    setYScaleLow(QString::number(m_shared.chartScaleLow));
    applyColours();
}

void TrendChart::feed(const ChartCaptions &captions)
{
    m_shared.mv2Present = (m_shared.optionWord() & OptionBit::HeatCool) != 0;
    const std::array<const QString *, ChartChannels::Count> texts = {
        &captions.pv0, &captions.sv0, &captions.mv1, &captions.mv2,
        &captions.sv2, &captions.sv3, &captions.sv4};
    for (int channel = 0; channel < ChartChannels::Count; ++channel)
        setValueCaption(channel, *texts[channel]);
}

void TrendChart::setValuesLive(bool live)
{
    // Called after every monitor read: a style sheet set again would restyle the boxes each time.
    if (live == m_valuesLive)
        return;
    m_valuesLive = live;
    for (QLabel *value : m_valueLabels) {
        value->setStyleSheet(live ? ValueBoxStyle::liveOnWhite() : ValueBoxStyle::muted(1));
        value->setProperty("live", live);
    }
}

void TrendChart::setValueCaption(int channel, const QString &text)
{
    m_model.setValueCaption(channel, text);
    m_valueLabels[channel]->setText(m_model.labels[channel]);
    if (ChartChannels::traced(channel)) {
        applyMv2Visibility();
        return;
    }
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_valueLabels[channel], channelName[channel],
                                          selectionCaption[channel], channelButtons[channel]})
        w->hide();
}

void TrendChart::applyMv2Visibility()
{
    const bool shown = m_shared.mv2Present;
    for (QWidget *w : std::initializer_list<QWidget *>{channelName[Mv2], m_valueLabels[Mv2],
                                                       selectionCaption[Mv2], channelButtons[Mv2]})
        w->setVisible(shown);
}

void TrendChart::showChartValues()
{
    for (int channel = Pv; channel <= Mv1; ++channel)
        m_valueLabels[channel]->show();
    applyMv2Visibility();
    for (int channel = 0; channel < ChartChannels::Count; ++channel)
        setValueColour(channel);
}

void TrendChart::setValueColour(int channel)
{
    QPalette palette = m_valueLabels[channel]->palette();
    palette.setColor(QPalette::WindowText, colourOf(m_shared.traceColors[channel]));
    m_valueLabels[channel]->setPalette(palette);
}

void TrendChart::setSampleInterval(qint32 milliseconds)
{
    m_model.sampleIntervalMs = milliseconds;
    m_sampleTimer.setInterval(qMax(0, milliseconds));
}

void TrendChart::setXScaleLong(bool value)
{
    longTimeBase->setChecked(value);
    m_model.longBase = longTimeBase->isChecked();
}

void TrendChart::setXScaleShort(bool value)
{
    shortTimeBase->setChecked(value);
    m_model.longBase = longTimeBase->isChecked();
}

void TrendChart::setXScaleTime(const QString &seconds)
{
    cycleValue->setText(seconds);
    m_model.cycleText = seconds;
}

void TrendChart::setYScaleHigh(const QString &value)
{
    yHighValue->setText(value);
    m_model.yHighText = value;
    clearCanvas();
    applyScale();
}

void TrendChart::setYScaleLow(const QString &value)
{
    yLowValue->setText(value);
    m_model.yLowText = value;
    clearCanvas();
    applyScale();
}

void TrendChart::setYScaleDivision(const QString &value)
{
    divisionsValue->setText(value);
    m_model.divisionsText = value;
    clearCanvas();
    applyScale();
}

void TrendChart::applyScale()
{
    const ChartScaleLayout layout = m_model.layoutScale();
    m_sampleTimer.setInterval(qMax(0, m_model.sampleIntervalMs));
    for (int i = 0; i < int(yScaleLabels.size()); ++i)
        yScaleLabels[i]->setText(layout.yLabels[i]);
    plotArea->drawScale(layout.gridY);
    for (int i = 0; i < int(layout.timeLabels.size()); ++i)
        xScaleLabels[i]->setText(layout.timeLabels[i]);
    describePlot(layout.timeLabels.back());
}

void TrendChart::describePlot(const QString &spanSeconds)
{
    if (!spanSeconds.isEmpty())
        m_plotSpan = spanSeconds;
    QStringList plotted;
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        if (m_model.flags[channel] == 1)
            plotted << QLatin1String(ChartChannels::info(channel).name);
    }
    const QString description =
        plotted.isEmpty()
            ? msg(1315)
            : msg(1314).arg(plotted.join(QStringLiteral(", ")), yScaleLabels.back()->text(),
                            yScaleLabels.front()->text(), m_plotSpan, cycleValue->text());
    AccessibleNames::describe(plotArea, msg(1313), description);
}

void TrendChart::refreshValueColours()
{
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        if (m_model.flags[channel] == 1)
            setValueColour(channel);
    }
}

void TrendChart::setButtonColour(QPushButton *button, bool flagged, int channel)
{
    button->setStyleSheet(flagged ? QStringLiteral("background-color: %1")
                                        .arg(colourOf(m_shared.traceColors[channel]).name())
                                  : QString());
}

void TrendChart::applyColours()
{
    m_model.flags = m_files.readFlags();
    for (int channel = 0; channel < ChartChannels::Count; ++channel)
        setButtonColour(channelButtons[channel], m_model.flags[channel] == 1, channel);
    refreshValueColours();
    describePlot();
}

void TrendChart::openSelection()
{
    m_op.beep();
    const bool focused = window()->focusWidget() == channelSelectButton;
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        channelButtons[channel]->setText(QLatin1String(ChartChannels::info(channel).name));
        const bool shown = channel < Mv2 || (channel == Mv2 && m_shared.mv2Present);
        for (QWidget *w : std::initializer_list<QWidget *>{
                 channelButtons[channel], selectionCaption[channel], colorButtons[channel]})
            w->setVisible(shown);
        colorButtons[channel]->setEnabled(m_model.flags[channel] == 1);
        setButtonColour(channelButtons[channel], m_model.flags[channel] == 1, channel);
    }
    channelSelectGroup->show();
    // The keyboard goes on where the eye goes: to the first choice of the frame just opened.
    if (focused)
        channelButtons[0]->setFocus(Qt::OtherFocusReason);
    channelSelectButton->setEnabled(false);
    // The frame opens below the fold of a low window: its confirm button must not have to be
    // looked for.
    m_sideScroll->reveal(channelSelectDoneButton);
}

void TrendChart::toggleChannel(int channel)
{
    const bool on = m_model.flags[channel] != 1;
    m_model.flags[channel] = on ? 1 : 0;
    colorButtons[channel]->setEnabled(on);
    setButtonColour(channelButtons[channel], on, channel);
}

void TrendChart::pickColour(int channel)
{
    const std::optional<QColor> chosen = m_pickColour(colourOf(m_shared.traceColors[channel]));
    if (!chosen)
        return;
    m_shared.traceColors[channel] = bgrOf(*chosen);
    setButtonColour(channelButtons[channel], true, channel);
    m_files.colourChosen(m_shared, channel);
}

void TrendChart::selectionCompleted()
{
    m_op.beep();
    channelSelectButton->setEnabled(true);
    if (channelSelectGroup->isAncestorOf(window()->focusWidget()))
        channelSelectButton->setFocus(Qt::OtherFocusReason);
    channelSelectGroup->hide();
    m_files.selectionCompleted(m_shared, m_model.flags);
    refreshValueColours();
    describePlot();
}

void TrendChart::timeBaseChosen(bool longBase)
{
    if (longBase == m_model.longBase)
        return;
    m_shared.chartLongScale = longBase ? 1 : 0;
    m_model.longBase = longBase;
    m_files.timeBaseChanged(m_shared);
    // The curve drawn belongs to the old time labels.
    clearCanvas();
    applyScale();
}

void TrendChart::openScaleDialog(ScaleEntry::Mode mode)
{
    m_op.beep();
    const QString now = mode == ScaleEntry::YHigh   ? yHighValue->text()
                        : mode == ScaleEntry::YLow  ? yLowValue->text()
                        : mode == ScaleEntry::Cycle ? cycleValue->text()
                                                    : divisionsValue->text();
    const std::optional<int> value =
        m_scaleDialog(mode, QString::number(ChartChannels::leadingNumber(now)),
                      integerOf(yHighValue->text()), integerOf(yLowValue->text()));
    const QString text = value ? QString::number(*value) : QString();
    switch (mode) {
    case ScaleEntry::YHigh:
        if (value) {
            setYScaleHigh(text);
            m_shared.chartScaleHigh = *value;
            m_files.highChanged(m_shared);
        }
        break;
    case ScaleEntry::YLow:
        if (value) {
            setYScaleLow(text);
            m_shared.chartScaleLow = *value;
            m_files.lowChanged(m_shared);
        }
        break;
    case ScaleEntry::Divisions:
        if (value) {
            setYScaleDivision(text);
            m_shared.chartDivisions = qint16(*value);
            m_files.divisionsChanged(m_shared);
        }
        break;
    case ScaleEntry::Cycle:
        // Whatever the dialog did, the cycle shown is the one filed and drawn.
        if (value)
            setXScaleTime(text);
        m_shared.chartCycleSeconds = qint32(ChartChannels::leadingNumber(cycleValue->text()));
        m_files.cycleChanged(m_shared);
        clearCanvas();
        applyScale();
        break;
    }
}

void TrendChart::clearCanvas()
{
    plotArea->clear();
}

void TrendChart::drawStrokes(const QList<ChartStroke> &strokes)
{
    for (const ChartStroke &stroke : strokes)
        plotArea->drawStroke(stroke, m_shared.traceColors[stroke.channel]);
}

void TrendChart::showRunState(bool running)
{
    // Start hands the focus to Stop and Stop back to Start, so that the key that started a run
    // stops it.
    QPushButton *now = running ? stopButton : runButton;
    now->setEnabled(true);
    if (window()->focusWidget() == (running ? runButton : stopButton))
        now->setFocus(Qt::OtherFocusReason);
    for (QWidget *w : std::initializer_list<QWidget *>{xScaleGroup, yScaleGroup, channelSelectGroup,
                                                       channelSelectButton, runButton})
        w->setEnabled(!running);
    stopButton->setEnabled(running);
    runStateLabel->setText(msg(running ? 92 : 91));
}

void TrendChart::setSampleTimerActive(bool active)
{
    if (active)
        m_sampleTimer.start();
    else
        m_sampleTimer.stop();
}

void TrendChart::showLogFileName(const QString &path)
{
    logFileLabel->setText(path);
}

void TrendChart::showLogFault(const QString &text)
{
    m_logFault.show(text);
}

bool TrendChart::traceMenuChecked() const
{
    return m_traceMenu != nullptr && m_traceMenu->isChecked();
}

void TrendChart::setTraceMenuChecked(bool checked)
{
    if (m_traceMenu != nullptr)
        m_traceMenu->setChecked(checked);
}

QString TrendChart::logFileName() const
{
    return logFileLabel->text();
}
