#include "RunMessages.h"

#include <new>

#include "ProgressLine.h"

void Report(std::ostream& err, const std::string& message) { ProgressLine::Write(err, MessagePrefix + message + '\n'); }

std::string FailureSentence(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& failure) {
        return failure.what();
    } catch (...) {
        return "unknown error";
    }
}
