#pragma once

#include "transfer/ParameterDownload.h"
#include "transfer/SingleWrite.h"
#include "transfer/VendorFrameWrites.h"

class JobDispatcher;
class OnlineStartRead;
class ParameterUpload;
class WriteJournal;

// The write side of the core, wired once for the desktop window or the headless tool: single
// writes (job 2), the display's data sent when going online (job 3), the upload (job 4) and the
// download with its read-back (job 5). Everything runs in the dispatcher; install() registers
// the jobs.
//
//   transfer.install(dispatcher);   // CoreSession does this
//   inc.downloadValues = values; inc.timerJob = JobDispatcher::Download;  // or call directly:
//   transfer.download().DownloadCopy();
class TransferJobs
{
public:
    TransferJobs(ZN8P_INC &inc, RequestLayer &request, ComLink &link, OperatorInterface &op,
                 MainView &view, VendorFrameSession &vendorFrame, VendorFrameReads &vendorReads,
                 ParameterUpload &upload, OnlineStartRead &startRead, WriteJournal &journal);

    void install(JobDispatcher &jobs);

    VendorFrameWrites &vendorWrites() { return m_vendorWrites; }
    SingleWrite &singleWrite() { return m_singleWrite; }
    ParameterDownload &download() { return m_download; }

private:
    ParameterUpload &m_upload;
    VendorFrameWrites m_vendorWrites;
    SingleWrite m_singleWrite;
    ParameterDownload m_download;
};
