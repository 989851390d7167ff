#include "core/TextFile.h"

#include "core/Error.h"
#include "platform/FileText.h"

namespace stowly {

std::string ReadTextFile(Platform& os, const std::string& path) {
    int error = 0;
    auto bytes = os.ReadFile(path, &error);
    if (!bytes) throw RuntimeError(error ? error : err::PathFileAccess);
    return DecodeFileText(os, *bytes);
}

void WriteTextFile(Platform& os, const std::string& path, const std::string& utf8) {
    if (int error = os.WriteFile(path, EncodeFileText(os, utf8))) throw RuntimeError(FileErrorNumber(error));
}

} // namespace stowly
