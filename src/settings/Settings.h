#pragma once
#include "app/AppState.h"

namespace stowly {

// Loads every preference from ProgramFolder + "stowly.ini" into st.settings.
void ReadINI(Context& ctx);
// Stores the whole settings record into ProgramFolder + "stowly.ini".
void WriteINI(Context& ctx);

} // namespace stowly
