#pragma once

#include "chart/ChartModel.h"
#include "chart/ChartSettingsFiles.h"
#include "chart/TraceRun.h"
#include "dialogs/ScaleEntry.h"
#include "display/NoticeBox.h"

#include <QColor>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class ChartCanvas;
class ColumnScrollArea;
class OperatorInterface;
class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct ChartCaptions;
struct SessionContext;
struct SessionState;

// The trend chart control that the main window hosts once (m_trendChart): the strip chart of
// PV, SV, MV1 and MV2 with its scales, the latest value of each channel, the channel and colour
// selection, the time base and scale buttons, and the sampling timer that plots and logs while a
// trace runs. The data and the run's decisions are ChartModel's and TraceRun's; this class shows
// them and takes the operator's clicks.
class TrendChart : public QWidget, public TraceView
{
    Q_OBJECT

public:
    // Asks for a colour (the platform's colour dialog); nothing when cancelled.
    using ColourPicker = std::function<std::optional<QColor>(const QColor &initial)>;
    // Opens the scale entry dialog for one setting; the accepted value, nothing when cancelled.
    using ScaleDialog = std::function<std::optional<int>(ScaleEntry::Mode mode, const QString &now,
                                                         qint16 high, qint16 low)>;

    // The settings files live in programFolder, the trend logs in its "Logging" folder.
    TrendChart(const SessionContext &context, const QString &programFolder,
               QWidget *parent = nullptr);
    ~TrendChart() override;

    // Start-up: reads (or creates) the seven settings files and sets the scales and the channel
    // selection from them.
    void prepareChannelFiles();
    // The main window's Trace menu item, whose check mark follows the run.
    void setTraceMenu(QAction *action) { m_traceMenu = action; }
    void setColourPicker(ColourPicker picker) { m_pickColour = std::move(picker); }
    void setScaleDialog(ScaleDialog dialog) { m_scaleDialog = std::move(dialog); }
    // The run's clock (tests fix the sample times).
    void setClock(TraceRun::Clock clock) { m_run.setClock(std::move(clock)); }

    // Value properties, all seven in order, after each monitor read. mv2Present follows the
    // option word's second-output bit first.
    void feed(const ChartCaptions &captions);
    // Live: the value boxes in their trace colours. Otherwise (the link lost, offline) muted like
    // the main display's boxes until the next good read.
    void setValuesLive(bool live);
    void setValueCaption(int channel, const QString &text);
    QString valueCaption(int channel) const { return m_model.captions.at(channel); }

    void showChartValues();
    // The sample timer's interval in ms; tests run a trace fast through it.
    void setSampleInterval(qint32 milliseconds);
    qint32 sampleIntervalMs() const { return m_model.sampleIntervalMs; }
    void setXScaleLong(bool value);
    void setXScaleShort(bool value);
    void setXScaleTime(const QString &seconds);
    // Each of these clears the canvas and draws the scales anew.
    void setYScaleHigh(const QString &value);
    void setYScaleLow(const QString &value);
    void setYScaleDivision(const QString &value);

    void applyScale() override;
    // The canvas tells a screen reader what it plots: the selected channels, the scale, the time
    // across (spanSeconds, empty: as last drawn) and the sample cycle.
    void describePlot(const QString &spanSeconds = QString());
    void refreshValueColours();
    void applyColours();
    void startRun() { m_run.startRun(); }
    // The sample timer's handler: one sample of a running trace.
    void onChartTick() { m_run.tick(); }
    void stopRun() { m_run.stop(); }
    void toggleChannel(int channel);

    const ChartModel &model() const { return m_model; }
    // The trend log the running (or last) trace writes; empty before the first run.
    QString logFileName() const;
    ChartCanvas &canvas() { return *plotArea; }

    // TraceView
    void clearCanvas() override;
    void drawStrokes(const QList<ChartStroke> &strokes) override;
    void showRunState(bool running) override;
    void setSampleTimerActive(bool active) override;
    void showLogFileName(const QString &path) override;
    void showLogFault(const QString &text) override;
    bool traceMenuChecked() const override;
    void setTraceMenuChecked(bool checked) override;

private:
    QWidget *makePlotArea();
    QWidget *makeValuePanel();
    QGroupBox *makeTimeFrame();
    QGroupBox *makeScaleFrame();
    QGroupBox *makeSelectionFrame();
    void setCaptions();
    void applyMv2Visibility();
    void setButtonColour(QPushButton *button, bool flagged, int channel);
    void openSelection();
    void pickColour(int channel);
    void selectionCompleted();
    void timeBaseChosen(bool longBase);
    void openScaleDialog(ScaleEntry::Mode mode);
    void setValueColour(int channel);

    SessionState &m_shared;
    OperatorInterface &m_op;
    ChartSettingsFiles m_files;
    ChartModel m_model;
    TraceRun m_run;
    QTimer m_sampleTimer;
    QAction *m_traceMenu = nullptr;
    ColourPicker m_pickColour;
    ScaleDialog m_scaleDialog;
    NoticeBox m_logFault{this, QStringLiteral("logFault")};
    bool m_valuesLive = false;

    ChartCanvas *plotArea = nullptr;
    ColumnScrollArea *m_sideScroll = nullptr;
    std::array<QLabel *, 3> yScaleLabels{};
    std::array<QLabel *, 12> xScaleLabels{};
    std::array<QLabel *, ChartChannels::Count> m_valueLabels{};    // pvLegend ... sv4Legend
    std::array<QLabel *, ChartChannels::Count> channelName{};      // channel names beside them
    std::array<QLabel *, ChartChannels::Count> selectionCaption{}; // selection captions
    std::array<QPushButton *, ChartChannels::Count> channelButtons{};
    std::array<QPushButton *, ChartChannels::Count> colorButtons{};
    QGroupBox *xScaleGroup = nullptr;
    QGroupBox *yScaleGroup = nullptr;
    QGroupBox *channelSelectGroup = nullptr;
    QRadioButton *shortTimeBase = nullptr;
    QRadioButton *longTimeBase = nullptr;
    QLabel *cycleCaption = nullptr;
    QLabel *cycleValue = nullptr;
    QString m_plotSpan; // seconds across the canvas, as the time scale shows
    QLabel *secondsCaption = nullptr;
    QLabel *yHighCaption = nullptr;
    QLabel *yLowCaption = nullptr;
    QLabel *divisionsCaption = nullptr;
    QLabel *yHighValue = nullptr;
    QLabel *yLowValue = nullptr;
    QLabel *divisionsValue = nullptr;
    QPushButton *changeCycle = nullptr;
    QPushButton *changeYHigh = nullptr;
    QPushButton *changeYLow = nullptr;
    QPushButton *changeDivisions = nullptr;
    QPushButton *runButton = nullptr;
    QPushButton *stopButton = nullptr;
    QPushButton *channelSelectButton = nullptr;
    QPushButton *channelSelectDoneButton = nullptr;
    QLabel *runStateLabel = nullptr;
    QLabel *logFileCaption = nullptr;
    QLabel *logFileLabel = nullptr;
};
