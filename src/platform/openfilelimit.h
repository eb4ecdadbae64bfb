#pragma once

namespace platform {

// How many files this process may hold open at once (the soft limit); a large number when the
// system sets none.
int openFileLimit();

} // namespace platform
