#include "TransferJobs.h"

#include "base/JobDispatcher.h"
#include "transfer/ParameterDownload.h"
#include "transfer/ParameterUpload.h"
#include "transfer/SingleWrite.h"

void installTransferJobs(JobDispatcher &jobs, SingleWrite &single, ParameterDownload &download,
                         ParameterUpload &upload)
{
    jobs.setHandler(TimerJob::WriteItem, [&single] { return single.writePosted(); });
    jobs.setHandler(TimerJob::SendDisplayData, [&download] {
        download.downloadDisplayedSettings();
        return true;
    });
    jobs.setHandler(TimerJob::Upload, [&upload] {
        upload.uploadAll();
        return true;
    });
    jobs.setHandler(TimerJob::Download, [&download] {
        download.downloadPreparedCopy();
        return true;
    });
}
