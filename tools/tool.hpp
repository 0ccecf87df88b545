#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace vorlune::tool {

// vorlune-tool's commands. Returns the exit code: 0 done, 1 an output could not
// be written (or a soak saw the memory grow), 2 the arguments were not understood.
int runTool(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace vorlune::tool
