#pragma once

class JobDispatcher;
class ParameterDownload;
class ParameterUpload;
class SingleWrite;

// Registers the write side's jobs with the dispatcher: single writes (job 2), the display's data
// sent when going online (job 3), the upload (job 4) and the download with its read-back (job 5).
// A refused transfer is no run-time error: the dispatcher goes back to monitoring either way.
void installTransferJobs(JobDispatcher &jobs, SingleWrite &single, ParameterDownload &download,
                         ParameterUpload &upload);
