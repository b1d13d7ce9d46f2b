#pragma once

#include <string>

// The running program's file name without its folder: the part of the module
// path after its last "/", taken whole (no length cut).
std::string GetProgramFileName();
