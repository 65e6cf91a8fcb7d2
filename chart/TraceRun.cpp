#include "TraceRun.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "chart/ChartSettingsFiles.h"
#include "comm/ControllerCodes.h"
#include "comm/SessionContext.h"

#include <QDir>

#include <algorithm>

namespace
{
constexpr int LoggingPanel = 2;
constexpr int TraceStatePanel = 3;
const QString NotRead = QStringLiteral("----");
} // namespace

TraceRun::TraceRun(const SessionContext &context, ChartModel &model, ChartSettingsFiles &files,
                   TraceView &view, QString programFolder)
    : m_shared(context.shared), m_model(model), m_files(files), m_op(context.op), m_view(view),
      m_programFolder(std::move(programFolder)),
      m_clock([] { return QDateTime::currentDateTime(); })
{
}

void TraceRun::startRun()
{
    if (m_model.running)
        stop();
    else
        start();
}

void TraceRun::start()
{
    if (!m_shared.online) {
        m_op.showMessage({159}, MessageIcon::Exclamation);
        return;
    }
    m_op.beep();
    if (!m_view.traceMenuChecked())
        m_view.setTraceMenuChecked(true);
    if (!(m_shared.optionWord() & OptionBit::HeatCool))
        m_model.flags[Mv2] = 0;

    const auto &flags = m_model.flags;
    if (std::all_of(flags.begin(), flags.end(), [](qint16 flag) { return flag == 0; })) {
        m_op.showMessage({714}, MessageIcon::Exclamation);
        m_view.setTraceMenuChecked(!m_view.traceMenuChecked());
    } else {
        m_model.running = true;
        m_files.traceStarted(m_shared, m_model.flags);
        m_view.showRunState(true);
        m_op.setStatusPanel(LoggingPanel, msg(90));
        m_op.setStatusPanel(TraceStatePanel, msg(92));
        m_view.clearCanvas();
        m_view.applyScale();
        m_model.plotPosition = 0;
        m_model.sampleCount = 0;
        m_view.setSampleTimerActive(true);
    }
    tick();
}

void TraceRun::stop()
{
    m_op.beep();
    if (m_view.traceMenuChecked())
        m_view.setTraceMenuChecked(false);
    if (!m_model.running)
        return;
    m_model.running = false;
    m_model.started = false;
    m_files.traceStopped(m_shared, m_model.flags);
    showStandby();
}

void TraceRun::showStandby()
{
    m_view.setSampleTimerActive(false);
    m_view.showRunState(false);
    m_op.setStatusPanel(LoggingPanel, QString());
    m_op.setStatusPanel(TraceStatePanel, msg(91));
}

void TraceRun::tick()
{
    if (!m_model.running)
        return;
    if (m_model.advance()) {
        // While the link is down the labels hold the last values read: no sample of now.
        if (isLive())
            m_view.drawStrokes(m_model.plotSample());
        log();
    } else {
        endOfPlot();
    }
}

void TraceRun::endOfPlot()
{
    m_model.started = false;
    m_model.running = false;
    showStandby();
    m_files.plotEnded(m_shared);
    m_view.setTraceMenuChecked(false);
    m_op.showMessage({333}, MessageIcon::Information);
    m_op.beep();
}

void TraceRun::log()
{
    const QDateTime now = m_clock();
    const auto &flags = m_model.flags;
    if (m_model.sampleCount == 0) {
        const QString path =
            TrendLogWriter::freePath(m_programFolder + QStringLiteral("/Logging"), now);
        m_view.showLogFileName(QDir::toNativeSeparators(path));
        QDir::setCurrent(m_programFolder);
        m_op.setStatusPanel(LoggingPanel, msg(90));
        TrendLogWriter::Channels channels;
        channels.pv = flags[Pv] == 1;
        channels.sv = flags[Sv] == 1;
        channels.mv1 = flags[Mv1] == 1;
        channels.mv2 = flags[Mv2] == 1 && m_shared.mv2Present;
        m_log.emplace(path, channels);
        m_lostLines = 0;
        m_faultShown = false;
    }
    const bool live = isLive();
    const auto value = [&](int channel) { return live ? m_model.labels[channel] : NotRead; };
    const TrendLogWriter::Result result =
        m_log->write({now, value(Pv), value(Sv), value(Mv1), value(Mv2)});
    if (result == TrendLogWriter::Result::Written)
        m_faultShown = false;
    else
        logFailed(result);
}

bool TraceRun::isLive() const
{
    return m_shared.online && !m_shared.commErrorFlag && !m_shared.monitorReadFailed;
}

void TraceRun::logFailed(TrendLogWriter::Result result)
{
    ++m_lostLines;
    m_op.setStatusPanel(LoggingPanel, msg(981).arg(m_lostLines));
    if (m_faultShown)
        return;
    m_faultShown = true;
    m_view.showLogFault(
        result == TrendLogWriter::Result::PermissionDenied
            ? msg(555)
            : msg(980).arg(QDir::toNativeSeparators(m_log->path()), m_log->fault().reasonText()));
}
