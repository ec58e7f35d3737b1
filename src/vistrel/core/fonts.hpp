#pragma once
// Registration of the kit's font files with the process's font registry.
#include <string>
#include <vector>

namespace vistrel {

// Registers each named font file of the kit's bundle, in order. A missing, unreadable
// or unusable file ends the run; a font that is already registered is reported and
// skipped. Problems are only logged.
void registerFontsWithFilenames(const std::vector<std::string>& fileNames);

// Diagnostic: logs every known font family and its font names.
void printFontNames();

}  // namespace vistrel
