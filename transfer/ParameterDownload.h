#pragma once

#include "app/ZN8P_INC.h"
#include "polling/ReplyReporter.h"

#include <array>
#include <functional>

class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
class VendorFrameWrites;
class WriteJournal;

// Writes the whole set of setting items to the controller, register by register, in the one order
// the controller accepts them: the input type and scaling first (they re-range the others), the
// auto-tuning switch last. Each step is tried once; communication errors never stop a download,
// only a refusal because the controller's keys are being operated does.
class ParameterDownload
{
public:
    using Values = std::array<qint16, ZN8P_INC::SettingCount>;

    static constexpr int StepCount = 52;
    // Parameter codes in the order they are written. 10 (mode register) and 46 (manual output)
    // are never written.
    static const std::array<qint16, StepCount> Chain;

    enum class Result {
        Completed,
        AutoTuningRunning, // refused with messages 503/504, nothing sent
        KeysOperated,      // stopped by the controller's keys; see the operations below
    };

    ParameterDownload(ZN8P_INC &inc, RequestLayer &request, ComLink &link, OperatorInterface &op,
                      MainView &view, VendorFrameWrites &vendorWrites, WriteJournal &journal);

    // Run by DownloadCopy once its chain completed: the online start read
    // (OnlineStartRead::Setdata_read), which reads the controller's state back.
    void setReadBack(std::function<void()> readBack) { m_readBack = std::move(readBack); }

    // Whether the step of code is written: it depends on the installed options (optionWord,
    // optionWord2), the controller's state (statusWord) and the values being written (source).
    static bool applies(int code, const ZN8P_INC &inc, const Values &source);

    // Job 3 (the display's data sent when going online): refused while the controller is
    // auto-tuning (statusWord bit 0x800, messages 503/504 and a beep); else the chain from
    // settingValues.
    Result DownloadSettings();
    // Job 5 (the Download menu, which has filled downloadValues and set downloadRequested): the
    // chain from downloadValues, then the read-back.
    Result DownloadCopy();

    // Common to both: the setting flag (a keys-operated refusal shows the key-operation notice and
    // ends the job with nothing else changed), the progress display (message 501, both bars
    // counting the steps written) and the chain. A keys-operated refusal of a step ends the
    // download with message 292: frames hidden, bars left where they are, settingDataValid and
    // downloadRequested unchanged. A completed chain sets settingDataValid and clears
    // downloadRequested. Every step written goes into the journal as its reply judges it.
    Result download(const Values &source);

private:
    // Writes the step of code; returns its reply. sentDirectly tells whether the reply is that
    // of a user-protocol write (the vendor-frame routines report their own replies).
    QString writeStep(int code, qint16 value, bool &sentDirectly);
    void endProgress();
    void setReplyTimeout(int milliseconds);

    ZN8P_INC &m_inc;
    RequestLayer &m_request;
    ComLink &m_link;
    OperatorInterface &m_op;
    MainView &m_view;
    VendorFrameWrites &m_vendorWrites;
    WriteJournal &m_journal;
    ReplyReporter m_reporter;
    std::function<void()> m_readBack;
};
