#pragma once
#include <string>

#include "platform/Ui.h"

namespace stowly {

// The text of the common error report for failure `number` in `procedure`.
std::string ErrorReportText(int number, const std::string& procedure);
// Restores the normal pointer and shows the report in a box titled "Error".
void ReportError(Ui& ui, int number, const std::string& procedure);

} // namespace stowly
