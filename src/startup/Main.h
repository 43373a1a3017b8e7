#pragma once

namespace startup {

// The program's entry: settings, definitions, catalogue upgrade, then the download mode,
// the refusal of a second instance, the first-start window or the main window.
int Main(int argc, char** argv);

} // namespace startup
