// The variables the user sets in the console, kept in a file (one NAME=VALUE line each, UTF-8)
// so that they last from one start to the next, as the host's own do.
#pragma once

#include <map>
#include <string>

// The variable that holds the result of the last built-in command (echo %_? shows it).
constexpr const char16_t* kResultVariable = u"_?";

using VariablesByName = std::map<std::u16string, std::u16string>;

struct KeptVariables {
    std::string path;       // empty: kept in memory only
    VariablesByName byName; // the ones this console set, read from the file at the start
};

// Reads the variables kept at path (none when there is no file) into *kept, which writes every
// later change there; an empty path keeps them in memory only. A message when the file cannot be
// read, or is not trusted (standins/kept_file_trust.h): then none is read from it.
std::string VariablesAttach(KeptVariables* kept, const std::string& path);

// Keeps name with value (an empty value removes it) and makes the same change in the file, as
// the file is now: what another console saved there meanwhile stays. A message naming the file
// and the cause when it could not be written. The variables the console sets itself at each
// start are not kept.
std::string KeepVariable(KeptVariables* kept, const std::u16string& name,
                         const std::u16string& value);
