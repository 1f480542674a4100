#ifndef PELMORA_APP_CORE_FIELDSPLITTER_H
#define PELMORA_APP_CORE_FIELDSPLITTER_H

// Splits one line of an element table or XYZ file into fields, given a delimiter D.
// The split is a lenient one:
//  - runs of blanks, tabs and other control characters separate fields just as one D does;
//  - a field that starts with a double quote runs to the matching closing quote, and a doubled
//    quote inside stands for one quote;
//  - two D's in a row (D not a blank) enclose an empty field, and a D at the very end of the line
//    adds one empty field;
//  - a line of blanks has no fields.
// A NUL character counts as a blank, so a stray zero byte can never stall the split.

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

class FieldSplitter {
public:
    // Splits line at D and keeps its first `keep` fields (all by default); the fields stay
    // valid until the next call. Fields beyond those kept are counted, not stored, so a line of
    // a million fields costs no memory when only the first few are needed.
    const std::vector<std::string>& Split(std::string_view line, char delimiter,
                                          std::size_t keep = std::numeric_limits<std::size_t>::max());

    // The fields kept.
    const std::vector<std::string>& Fields() const { return fields_; }
    // How many fields the line has, kept or not.
    std::size_t Count() const { return count_; }
    const std::string& operator[](std::size_t index) const { return fields_[index]; }

private:
    std::vector<std::string> fields_;
    std::size_t count_ = 0;
    std::string skipped_;  // a field beyond those kept, while it is read
};

#endif
