#ifndef PELMORA_MCLASESS_MFILESAVENAMES_H
#define PELMORA_MCLASESS_MFILESAVENAMES_H

// The names of the temporary files of whole-file saves (MFileSave.h): a hidden name beside the
// target, made of a dot, the target's name (cut so that the whole fits the system's limit on
// one name), a dot and six random characters of [A-Za-z0-9] with at least one capital letter
// and one digit: ".out.png.q7Rk2x". The capital and the digit keep the pattern away from
// names people give by hand (".out.png.backup"), since stale files of the pattern are removed
// by later saves.

#include <random>
#include <string>
#include <string_view>

// A new temporary name beside target (a path; the folder part is kept as it is).
[[nodiscard]] std::string TemporaryNameBeside(const std::string& target, std::mt19937& random);

// Whether name (without a folder) is a temporary name of the target's (the target's name
// without its folder).
[[nodiscard]] bool IsTemporaryNameOf(std::string_view name, std::string_view targetName);

#endif
