#include "closet/CleanRestore.h"

namespace stowly {

void CleanDesktop(Context&) {}
void RestoreDesktop(Context&) {}

} // namespace stowly
