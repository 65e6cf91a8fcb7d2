#include "TransferJobs.h"

#include "base/JobDispatcher.h"
#include "transfer/OnlineStartRead.h"
#include "transfer/ParameterUpload.h"

TransferJobs::TransferJobs(ZN8P_INC &inc, RequestLayer &request, ComLink &link,
                           OperatorInterface &op, MainView &view, VendorFrameSession &vendorFrame,
                           VendorFrameReads &vendorReads, ParameterUpload &upload,
                           OnlineStartRead &startRead, WriteJournal &journal)
    : m_upload(upload), m_vendorWrites(inc, request, link, op, view, vendorFrame),
      m_singleWrite(inc, request, link, op, view, vendorReads, m_vendorWrites, journal),
      m_download(inc, request, link, op, view, vendorReads, m_vendorWrites, journal)
{
    m_download.setReadBack([&startRead] { startRead.Setdata_read(); });
}

void TransferJobs::install(JobDispatcher &jobs)
{
    // A refused transfer is no run-time error: the dispatcher goes back to monitoring either way.
    jobs.setHandler(JobDispatcher::WriteItem, [this] { return m_singleWrite.WriteOneSetting(); });
    jobs.setHandler(JobDispatcher::SendDisplayData, [this] {
        m_download.DownloadSettings();
        return true;
    });
    jobs.setHandler(JobDispatcher::Upload, [this] {
        m_upload.ReadPara_setflg();
        return true;
    });
    jobs.setHandler(JobDispatcher::Download, [this] {
        m_download.DownloadCopy();
        return true;
    });
}
