#include "settings/Settings.h"

namespace stowly {

void ReadINI(Context&) {}
void WriteINI(Context&) {}

} // namespace stowly
