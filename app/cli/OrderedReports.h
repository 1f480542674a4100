#ifndef PELMORA_APP_CLI_ORDEREDREPORTS_H
#define PELMORA_APP_CLI_ORDEREDREPORTS_H

// What items done on several threads print, written in the order of the items, as one thread
// doing them one after another would print it: an item's text waits until every item before it
// has been written, and is then written and forgotten, so that only the texts of items ahead of
// a slow one are held.

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "ExitCode.h"

class OrderedReports {
public:
    OrderedReports(std::size_t items, std::ostream& out, std::ostream& err);

    // Item's texts for standard output and error and its ExitCode; any thread, once per item.
    void Done(std::size_t item, std::string out, std::string err, int status);

    // The worst ExitCode of the items done.
    int Status() const;

private:
    struct Report {
        std::string out;
        std::string err;
        bool done = false;
    };

    std::ostream& out_;
    std::ostream& err_;
    mutable std::mutex mutex_;
    std::vector<Report> reports_;
    std::size_t nextToWrite_ = 0;
    int status_ = ExitSuccess;
};

#endif
