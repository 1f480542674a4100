#include "OrderedReports.h"

#include <algorithm>

#include "ProgressLine.h"

OrderedReports::OrderedReports(std::size_t items, std::ostream& out, std::ostream& err)
    : out_(out), err_(err), reports_(items)
{
}

void OrderedReports::Done(std::size_t item, std::string out, std::string err, int status)
{
    const std::lock_guard lock(mutex_);
    status_ = std::max(status_, status);
    Report& report = reports_[item];
    report.out = std::move(out);
    report.err = std::move(err);
    report.done = true;
    for (; nextToWrite_ < reports_.size() && reports_[nextToWrite_].done; ++nextToWrite_) {
        Report& next = reports_[nextToWrite_];
        ProgressLine::Write(out_, next.out);
        ProgressLine::Write(err_, next.err);
        std::string().swap(next.out);
        std::string().swap(next.err);
    }
}

int OrderedReports::Status() const
{
    const std::lock_guard lock(mutex_);
    return status_;
}
