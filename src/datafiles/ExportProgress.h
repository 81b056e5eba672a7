#pragma once
// What the spreadsheet export tells its caller while it fills the sheet; the conversion utility
// moves its activity label and progress bar with it.

namespace corvin::datafiles {

class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    // The title block and the header row are written.
    virtual void headerWritten() {}
    // One channel column is written (also one without rows); `value` is the progress
    // indicator's new value.
    virtual void columnWritten(int value) = 0;
};

} // namespace corvin::datafiles
