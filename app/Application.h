// The desktop program's start and end: the command line, the uninstall question, the
// single-instance hand-over, the language file, the settings read and written back, the main
// window and the first catalog, then the pending "Search" or "Catalog" request.
#pragma once

namespace shelfmark {

// Runs the program; the exit status. QApplication must exist already.
int RunShelfmark(int argc, char** argv);

}  // namespace shelfmark
