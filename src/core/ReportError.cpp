#include "core/ReportError.h"

namespace stowly {

std::string ErrorReportText(int number, const std::string& procedure) {
    std::string text;
    if (number == 75 || number == 76)
        text = "This User can no longer read/write to the network or the Windows folder."
               "Please check the access rights and the network connections.\r";
    else
        text = "Please contact Orvenko, Inc..\r";
    return text + "Error Number:105" + std::to_string(number) + " from module " + procedure;
}

void ReportError(Ui& ui, int number, const std::string& procedure) {
    ui.SetBusy(false);
    ui.Message(ErrorReportText(number, procedure), "Error", MsgButtons::Ok, MsgIcon::None);
}

} // namespace stowly
