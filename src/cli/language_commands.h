// The language commands of kelvaro-cli: check, translate and dump.
#pragma once

#include <string>

#include "language/compiler.h"
#include "model/project.h"

namespace kelvaro::cli {

// How every command reports a compile error: "OBJECT:LINE: MESSAGE" with the line counted
// from 1 in the object's stored program, "OBJECT: MESSAGE" for a fault outside its lines (too
// many variables), or the bare message when no object is named. UTF-8, one line.
std::string compileErrorLine(const Project& project, const CompileResult& result);

int checkCommand(const std::string& project);
int translateCommand(const std::string& project, const std::string& object, const std::string& line);
int dumpCommand(const std::string& project, int mode, bool json);

}  // namespace kelvaro::cli
