#pragma once

namespace util {

// Names the system's time zone file in TZ when TZ is unset. Without TZ the C library looks at
// /etc/localtime again on every local-time conversion (a file-system call each); dates of the
// catalogue are local times, and a large folder converts thousands of them. Call first in
// main(), before any thread starts.
void PinLocalTimeZone();

} // namespace util
