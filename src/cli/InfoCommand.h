#pragma once

#include <string>

namespace cli {

// Prints the format of a document file and, for a strong file, the figures of its key
// derivation. Asks for no password: all of it is in the clear at the file's start.
int ShowInfo(const std::string& file);

} // namespace cli
