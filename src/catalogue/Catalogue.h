#pragma once

namespace catalogue {

// Adds the column Ranking to a catalogue that lacks it. Always false, silent.
bool UpgradeSchema();

} // namespace catalogue
