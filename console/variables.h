// The variables the user sets in the console, kept in a file (one NAME=VALUE line each, UTF-8)
// so that they last from one start to the next, as the host's own do.
#pragma once

#include <map>
#include <string>

// Reads the variables kept at path (none when there is no file) and writes every later change
// there; an empty path keeps them in memory only. A message when the file cannot be read.
std::string VariablesAttach(const std::string& path);

// The variables kept, by name.
const std::map<std::u16string, std::u16string>& KeptVariables();

// Keeps name with value (an empty value removes it) and writes the file; a message when the file
// could not be written. The variables the console sets itself at each start are not kept.
std::string KeepVariable(const std::u16string& name, const std::u16string& value);
