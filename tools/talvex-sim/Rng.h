#pragma once

#include <QtGlobal>

namespace talvexsim {

// A small deterministic generator (SplitMix64). The distributions of <random> differ between
// standard libraries; this one gives the same site for the same seed everywhere.
class Rng
{
public:
    explicit Rng(quint64 seed) : m_state(seed) {}

    quint64 next();
    // 0 <= result < n, for n > 0.
    int below(int n) { return int(next() % quint64(n)); }
    // lo <= result <= hi.
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    // True with the given chance in percent.
    bool percent(int p) { return below(100) < p; }
    template <typename T, qsizetype N> const T& pick(const T (&items)[N])
    {
        return items[below(int(N))];
    }

private:
    quint64 m_state;
};

} // namespace talvexsim
