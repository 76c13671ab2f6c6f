#pragma once

#include <cstddef>
#include <string>

// Why a file given to import was refused. Exactly one of the places is set when the problem has a
// place: the line of a CSV text (from 1) or the byte of a JSON text at which its syntax breaks.
struct ImportProblem {
    int nLine = 0;
    size_t nJsonByte = 0;
    std::string strReason;
};
