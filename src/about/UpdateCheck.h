#pragma once
#include "app/AppState.h"

namespace stowly {

// Fetches the product-version page once at start and talks to the user about it.
// Silent when the page cannot be fetched.
void CheckForUpdates(Context& ctx);

} // namespace stowly
