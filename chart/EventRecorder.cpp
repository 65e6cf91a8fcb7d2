#include "EventRecorder.h"

#include "base/AppendOnlyFile.h"
#include "base/SessionState.h"
#include "chart/TrendLogWriter.h"
#include "comm/ControllerCodes.h"
#include "display/MainDisplayModel.h"
#include "polling/ValueFormat.h"

#include <QDir>
#include <QFileInfo>

namespace
{
constexpr quint16 SensorBreak = StatusBit::OverScale | StatusBit::UnderScale;
} // namespace

EventRecorder::EventRecorder(const SessionState &shared, QString target)
    : m_shared(shared), m_target(std::move(target)),
      m_clock([] { return QDateTime::currentDateTime(); })
{
}

QString EventRecorder::currentFile() const
{
    if (!QFileInfo(m_target).isDir())
        return m_target;
    return QDir(m_target).filePath(EventLog::fileNameFor(m_clock().date()));
}

void EventRecorder::monitorRead(int code, bool read)
{
    if (read)
        m_readSinceOnline.insert(code);
    if (read && code == Code::Status)
        statusRead();
    else if (read)
        replied();
    else if (m_shared.commErrorFlag)
        noReply();
}

void EventRecorder::statusRead()
{
    m_inError = false;
    const quint16 now = quint16(m_shared.statusWord());
    bitChanged(now, StatusBit::Alarm1, EventLog::Kind::Alarm1On, EventLog::Kind::Alarm1Off);
    bitChanged(now, StatusBit::Alarm2, EventLog::Kind::Alarm2On, EventLog::Kind::Alarm2Off);
    bitChanged(now, StatusBit::HeaterBurnout, EventLog::Kind::HeaterBurnoutOn,
               EventLog::Kind::HeaterBurnoutOff);
    bitChanged(now, SensorBreak, EventLog::Kind::SensorBreakOn, EventLog::Kind::SensorBreakOff);
    bitChanged(now, StatusBit::AutoTuning, EventLog::Kind::AutoTuningStarted,
               EventLog::Kind::AutoTuningEnded);
    const bool wasChanged = m_status && (*m_status & StatusBit::SettingsChanged);
    if ((now & StatusBit::SettingsChanged) && !wasChanged)
        record(EventLog::Kind::FrontPanelChange);
    m_status = now;
}

void EventRecorder::bitChanged(quint16 now, quint16 bit, EventLog::Kind on, EventLog::Kind off)
{
    const bool was = m_status && (*m_status & bit);
    const bool is = now & bit;
    if (is && !was)
        record(on);
    else if (was && !is)
        record(off);
}

void EventRecorder::noReply()
{
    if (m_inError)
        return;
    m_inError = true;
    record(EventLog::Kind::CommError);
}

void EventRecorder::wentOnline()
{
    m_status.reset();
    m_inError = false;
    m_readSinceOnline.clear();
    record(EventLog::Kind::Online);
}

void EventRecorder::wentOffline(bool lost)
{
    m_status.reset();
    // The requests left unanswered may all have been a transfer's (an upload the front panel
    // asked for, the line pulled during it): the loss is still said before the line is given up.
    if (lost && !m_inError)
        record(EventLog::Kind::CommError);
    if (lost)
        record(EventLog::Kind::Offline);
    m_inError = false;
    m_readSinceOnline.clear();
}

void EventRecorder::transferEnded(bool completed)
{
    record(completed ? EventLog::Kind::TransferCompleted : EventLog::Kind::TransferStopped);
}

void EventRecorder::record(EventLog::Kind kind)
{
    EventLog::Event event;
    event.at = m_clock();
    event.port = m_shared.portName;
    event.instrument = m_shared.stationAddress.toInt();
    event.kind = kind;
    // A value not read since going online, or not answered now, is no value: "----", never 0
    // or an old reading passed off as the present one.
    const bool answering = kind != EventLog::Kind::CommError && kind != EventLog::Kind::Offline;
    const auto shown = [&](int code, const QString &text) {
        return answering && m_readSinceOnline.contains(code) ? text : QStringLiteral("----");
    };
    event.pv = shown(Code::Pv, pvDisplayText(m_shared));
    event.sv = shown(Code::Sv, formatItemValue(m_shared, Code::Sv));
    event.mv1 = shown(Code::Mv1, formatItemValue(m_shared, Code::Mv1));
    if (m_eventReport)
        m_eventReport(event);
    if (m_target.isEmpty())
        return;
    const bool wasFailing = !m_fault.isNone();
    if (AppendOnlyFile::append(currentFile(), EventLog::line(event), {}, &m_fault) ==
        AppendOnlyFile::Result::Written)
        return;
    ++m_lostLines;
    if (!wasFailing && m_faultReport)
        m_faultReport(m_fault);
}
