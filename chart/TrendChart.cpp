#include "TrendChart.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "chart/AxisStrip.h"
#include "chart/ChartCanvas.h"
#include "comm/ControllerCodes.h"
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
    "lblPv", "lblSv", "lblMv1", "lblMv2", "LblSv2", "LblSv3", "LblSv4"};

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

TrendChart::TrendChart(SessionState &shared, OperatorInterface &op, const QString &programFolder,
                       QWidget *parent)
    : QWidget(parent), m_shared(shared), m_op(op), m_files(programFolder),
      m_run(shared, m_model, m_files, op, *this, programFolder)
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
    timChart.setInterval(1000);
    connect(&timChart, &QTimer::timeout, this, &TrendChart::onChartTick);

    auto *side = new QVBoxLayout;
    side->addWidget(makeValuePanel());
    side->addWidget(makeTimeFrame());
    side->addWidget(makeScaleFrame());
    auto *runButtons = new QHBoxLayout;
    runButtons->addWidget(cmdRUN = button(QStringLiteral("cmdRUN")));
    runButtons->addWidget(cmdStop = button(QStringLiteral("cmdStop")));
    side->addLayout(runButtons);
    side->addWidget(cmdChartsel = button(QStringLiteral("cmdChartsel")));
    side->addWidget(makeSelectionFrame());
    side->addStretch(1);
    side->addWidget(lblMsg = label(QStringLiteral("lblMsg")));
    lblMsg->setFrameShape(QFrame::Panel);
    lblMsg->setFrameShadow(QFrame::Sunken);
    lblMsg->setAlignment(Qt::AlignCenter);
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
    bottom->addWidget(lblSavename = label(QStringLiteral("lblSavename")));
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

    connect(cmdRUN, &QPushButton::clicked, this, [this] { m_run.start(); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { m_run.stop(); });
    connect(cmdChartsel, &QPushButton::clicked, this, &TrendChart::openSelection);
    connect(cmdSelend, &QPushButton::clicked, this, &TrendChart::selectionCompleted);
    connect(optLong, &QRadioButton::clicked, this, [this] { timeBaseChosen(true); });
    connect(optShort, &QRadioButton::clicked, this, [this] { timeBaseChosen(false); });
    connect(changeYHigh, &QPushButton::clicked, this,
            [this] { openScaleDialog(ScaleEntry::YHigh); });
    connect(changeYLow, &QPushButton::clicked, this, [this] { openScaleDialog(ScaleEntry::YLow); });
    connect(changeCycle, &QPushButton::clicked, this,
            [this] { openScaleDialog(ScaleEntry::Cycle); });
    connect(changeDivisions, &QPushButton::clicked, this,
            [this] { openScaleDialog(ScaleEntry::Divisions); });
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        connect(cmdDev[channel], &QPushButton::clicked, this,
                [this, channel] { toggleChannel(channel); });
        connect(cmdColor[channel], &QPushButton::clicked, this,
                [this, channel] { pickColour(channel); });
    }

    setCaptions();
    frmChartsel->hide();
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
    picCanbus = new ChartCanvas;
    QList<QLabel *> yLabels;
    for (int i = 0; i < int(lblYscal.size()); ++i)
        yLabels << (lblYscal[i] = label(QStringLiteral("lblYscal_%1").arg(i)));
    QList<QLabel *> timeLabels;
    for (int i = 0; i < int(lblXscal.size()) - 1; ++i)
        timeLabels << (lblXscal[i] = label(QStringLiteral("lblXscal_%1").arg(i)));
    lblXscal[11] = label(QStringLiteral("lblXscal_11"));
    for (QLabel *time : timeLabels)
        time->setText(QStringLiteral("***"));

    auto *area = new QWidget;
    auto *grid = new QGridLayout(area);
    grid->setSpacing(2);
    grid->addWidget(new AxisStrip(Qt::Vertical, yLabels), 0, 0);
    grid->addWidget(picCanbus, 0, 1);
    grid->addWidget(new AxisStrip(Qt::Horizontal, timeLabels), 1, 1);
    grid->addWidget(lblXscal[11], 1, 2);
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
    frmXScale = named(new QGroupBox, QStringLiteral("frmXScale"));
    auto *grid = new QGridLayout(frmXScale);
    grid->addWidget(optShort = named(new QRadioButton, QStringLiteral("optShort")), 0, 0, 1, 2);
    grid->addWidget(optLong = named(new QRadioButton, QStringLiteral("optLong")), 0, 2, 1, 2);
    grid->addWidget(lblCycle = label(QStringLiteral("lblCycle")), 1, 0, 1, 4);
    grid->addWidget(lblChartitv = valueBox(QStringLiteral("lblChartitv"), QStringLiteral("5")), 2,
                    0, 1, 2);
    grid->addWidget(lblSec = label(QStringLiteral("lblSec")), 2, 2);
    grid->addWidget(changeCycle = button(QStringLiteral("changeCycle")), 2, 3);
    optLong->setChecked(true);
    return frmXScale;
}

QGroupBox *TrendChart::makeScaleFrame()
{
    frmYScale = named(new QGroupBox, QStringLiteral("frmYScale"));
    auto *grid = new QGridLayout(frmYScale);
    grid->addWidget(lblHi = label(QStringLiteral("lblHi")), 0, 0);
    grid->addWidget(lblSH = valueBox(QStringLiteral("lblSH"), QStringLiteral("400")), 0, 1);
    grid->addWidget(changeYHigh = button(QStringLiteral("changeYHigh")), 0, 2);
    grid->addWidget(lblLo = label(QStringLiteral("lblLo")), 1, 0);
    grid->addWidget(lblSL = valueBox(QStringLiteral("lblSL"), QStringLiteral("0")), 1, 1);
    grid->addWidget(changeYLow = button(QStringLiteral("changeYLow")), 1, 2);
    grid->addWidget(lblDivision = label(QStringLiteral("lblDivision")), 2, 0);
    grid->addWidget(
        divisionsValue = valueBox(QStringLiteral("divisionsValue"), QStringLiteral("4")), 2, 1);
    grid->addWidget(changeDivisions = button(QStringLiteral("changeDivisions")), 2, 2);
    return frmYScale;
}

QGroupBox *TrendChart::makeSelectionFrame()
{
    frmChartsel = named(new QGroupBox, QStringLiteral("frmChartsel"));
    auto *grid = new QGridLayout(frmChartsel);
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        selectionCaption[channel] = label(QStringLiteral("selectionCaption_%1").arg(channel));
        cmdDev[channel] = button(channel == 0 ? QStringLiteral("cmdDev")
                                              : QStringLiteral("cmdDev%1").arg(channel));
        cmdColor[channel] = button(QStringLiteral("cmdColor_%1").arg(channel));
        grid->addWidget(selectionCaption[channel], channel, 0);
        grid->addWidget(cmdDev[channel], channel, 1);
        grid->addWidget(cmdColor[channel], channel, 2);
    }
    grid->addWidget(cmdSelend = button(QStringLiteral("cmdSelend")), ChartChannels::Count, 0, 1, 3);
    return frmChartsel;
}

void TrendChart::setCaptions()
{
    frmXScale->setTitle(msg(658));
    optShort->setText(msg(659));
    optLong->setText(msg(660));
    lblCycle->setText(msg(661));
    lblSec->setText(msg(662));
    frmYScale->setTitle(msg(663));
    lblHi->setText(msg(664));
    lblLo->setText(msg(665));
    lblDivision->setText(msg(675));
    // "..." says nothing to a screen reader: each names the setting it changes.
    const std::array<std::pair<QPushButton *, QLabel *>, 4> opens = {
        {{changeCycle, lblCycle},
         {changeYHigh, lblHi},
         {changeYLow, lblLo},
         {changeDivisions, lblDivision}}};
    for (const auto &[open, caption] : opens) {
        open->setText(QStringLiteral("..."));
        open->setAccessibleName(caption->text() + QStringLiteral(": ") + msg(31));
    }
    cmdRUN->setText(msg(666));
    cmdStop->setText(msg(667));
    lblXscal[11]->setText(msg(700));
    cmdChartsel->setText(msg(669));
    frmChartsel->setTitle(msg(669));
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        selectionCaption[channel]->setText(msg(ChartChannels::info(channel).selectionCaption));
        cmdColor[channel]->setText(msg(ChartChannels::info(channel).colourCaption));
    }
    cmdSelend->setText(msg(674));
    lblSavename->setText(msg(553));
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
    for (QWidget *w : std::initializer_list<QWidget *>{m_valueLabels[channel], channelName[channel],
                                                       selectionCaption[channel], cmdDev[channel]})
        w->hide();
}

void TrendChart::applyMv2Visibility()
{
    const bool shown = m_shared.mv2Present;
    for (QWidget *w : std::initializer_list<QWidget *>{channelName[Mv2], m_valueLabels[Mv2],
                                                       selectionCaption[Mv2], cmdDev[Mv2]})
        w->setVisible(shown);
}

void TrendChart::setChartMaxCh(qint16 value)
{
    m_model.ChartMaxCh = value;
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

void TrendChart::setCharttime(qint32 milliseconds)
{
    m_model.Charttime = milliseconds;
    timChart.setInterval(qMax(0, milliseconds));
}

void TrendChart::setXScaleLong(bool value)
{
    optLong->setChecked(value);
    m_model.longBase = optLong->isChecked();
}

void TrendChart::setXScaleShort(bool value)
{
    optShort->setChecked(value);
    m_model.longBase = optLong->isChecked();
}

void TrendChart::setXScaleTime(const QString &seconds)
{
    lblChartitv->setText(seconds);
    m_model.cycleText = seconds;
}

void TrendChart::setYScaleHigh(const QString &value)
{
    lblSH->setText(value);
    m_model.yHighText = value;
    clearCanvas();
    ScaleSet();
}

void TrendChart::setYScaleLow(const QString &value)
{
    lblSL->setText(value);
    m_model.yLowText = value;
    clearCanvas();
    ScaleSet();
}

void TrendChart::setYScaleDivision(const QString &value)
{
    divisionsValue->setText(value);
    m_model.divisionsText = value;
    clearCanvas();
    ScaleSet();
}

void TrendChart::ScaleSet()
{
    const ChartScaleLayout layout = m_model.ScaleSet();
    timChart.setInterval(qMax(0, m_model.Charttime));
    for (int i = 0; i < int(lblYscal.size()); ++i)
        lblYscal[i]->setText(layout.yLabels[i]);
    picCanbus->drawScale(layout.gridY);
    for (int i = 0; i < int(layout.timeLabels.size()); ++i)
        lblXscal[i]->setText(layout.timeLabels[i]);
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
            : msg(1314).arg(plotted.join(QStringLiteral(", ")), lblYscal.back()->text(),
                            lblYscal.front()->text(), m_plotSpan, lblChartitv->text());
    AccessibleNames::describe(picCanbus, msg(1313), description);
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
        setButtonColour(cmdDev[channel], m_model.flags[channel] == 1, channel);
    refreshValueColours();
    describePlot();
}

void TrendChart::openSelection()
{
    m_op.beep();
    cmdChartsel->setEnabled(false);
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        cmdDev[channel]->setText(QLatin1String(ChartChannels::info(channel).name));
        const bool shown = channel < Mv2 || (channel == Mv2 && m_shared.mv2Present);
        for (QWidget *w : std::initializer_list<QWidget *>{
                 cmdDev[channel], selectionCaption[channel], cmdColor[channel]})
            w->setVisible(shown);
        cmdColor[channel]->setEnabled(m_model.flags[channel] == 1);
        setButtonColour(cmdDev[channel], m_model.flags[channel] == 1, channel);
    }
    frmChartsel->show();
    // The frame opens below the fold of a low window: its confirm button must not have to be
    // looked for.
    m_sideScroll->reveal(cmdSelend);
}

void TrendChart::toggleChannel(int channel)
{
    const bool on = m_model.flags[channel] != 1;
    m_model.flags[channel] = on ? 1 : 0;
    cmdColor[channel]->setEnabled(on);
    setButtonColour(cmdDev[channel], on, channel);
}

void TrendChart::pickColour(int channel)
{
    const std::optional<QColor> chosen = m_pickColour(colourOf(m_shared.traceColors[channel]));
    if (!chosen)
        return;
    m_shared.traceColors[channel] = bgrOf(*chosen);
    setButtonColour(cmdDev[channel], true, channel);
    m_files.colourChosen(m_shared, channel);
}

void TrendChart::selectionCompleted()
{
    m_op.beep();
    cmdChartsel->setEnabled(true);
    frmChartsel->hide();
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
    ScaleSet();
}

void TrendChart::openScaleDialog(ScaleEntry::Mode mode)
{
    m_op.beep();
    const QString now = mode == ScaleEntry::YHigh   ? lblSH->text()
                        : mode == ScaleEntry::YLow  ? lblSL->text()
                        : mode == ScaleEntry::Cycle ? lblChartitv->text()
                                                    : divisionsValue->text();
    const std::optional<int> value =
        m_scaleDialog(mode, QString::number(ChartChannels::leadingNumber(now)),
                      integerOf(lblSH->text()), integerOf(lblSL->text()));
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
        m_shared.chartCycleSeconds = qint32(ChartChannels::leadingNumber(lblChartitv->text()));
        m_files.cycleChanged(m_shared);
        clearCanvas();
        ScaleSet();
        break;
    }
}

void TrendChart::clearCanvas()
{
    picCanbus->clear();
}

void TrendChart::drawStrokes(const QList<ChartStroke> &strokes)
{
    for (const ChartStroke &stroke : strokes)
        picCanbus->drawStroke(stroke, m_shared.traceColors[stroke.channel]);
}

void TrendChart::showRunState(bool running)
{
    for (QWidget *w :
         std::initializer_list<QWidget *>{frmXScale, frmYScale, frmChartsel, cmdChartsel, cmdRUN})
        w->setEnabled(!running);
    cmdStop->setEnabled(running);
    lblMsg->setText(msg(running ? 92 : 91));
}

void TrendChart::setSampleTimerActive(bool active)
{
    if (active)
        timChart.start();
    else
        timChart.stop();
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
