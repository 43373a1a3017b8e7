#pragma once

namespace startup {

// The program's entry: answers --help and --version, then loads the settings and definitions and
// takes the download mode, the refusal of a second instance, the first-start window or the main
// window. Returns the process's exit code.
int Main(int argc, char** argv);

} // namespace startup
