// What the extraction job needs of its user interface. The window is one host, the console
// another. The job calls these from its worker thread.
#pragma once
#include "job_status.h"

constexpr int PATH_BYTES = 260;

class JobHost {
  public:
    // Codes 1 to 7: returns once the user interface has handled the code; for the question
    // (4) the answer is in the reply state by then.
    virtual void report(JobStatus code) = 0;
    // Code 0: delivered later, the job does not wait.
    virtual void report_done() = 0;
    // The progress picture should be redrawn from the counters soon.
    virtual void request_repaint() = 0;
    // Fills folder with a chosen file-system folder: 0. Otherwise 6 when the prompt was
    // dismissed, or 2 when the chosen folder cannot be made, errno then saying why.
    virtual JobStatus choose_folder(char folder[PATH_BYTES]) = 0;
    // Keep-going jobs only: the slot named by output_name could not be read whole, so its file
    // was not written (a file of that name is as it was), and the job goes on.
    virtual void report_damaged_slot() {}

  protected:
    ~JobHost() = default;
};
