#ifndef PELMORA_APP_CLI_RUNMESSAGES_H
#define PELMORA_APP_CLI_RUNMESSAGES_H

// The messages of a run for people: one line each on standard error, starting "pelmora: ", with
// the texts the window shows in its message boxes.

#include <exception>
#include <ostream>
#include <string>

inline constexpr const char* MessagePrefix = "pelmora: ";

// Writes the message as one line on a clean line (ProgressLine::Write).
void Report(std::ostream& err, const std::string& message);

// What went wrong, as a sentence for the user: out of memory is told as such, not by the name
// of its exception.
std::string FailureSentence(const std::exception_ptr& error);

#endif
