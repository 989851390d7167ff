#include "about/UpdateCheck.h"

namespace stowly {

void CheckForUpdates(Context&) {}

} // namespace stowly
