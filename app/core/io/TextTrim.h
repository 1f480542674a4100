#ifndef PELMORA_APP_CORE_TEXTTRIM_H
#define PELMORA_APP_CORE_TEXTTRIM_H

#include <string>
#include <string_view>

// Without leading and trailing blanks and control characters (codes 0 to 32).
inline std::string Trimmed(std::string_view text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return std::string(text.substr(begin, end - begin));
}

#endif
