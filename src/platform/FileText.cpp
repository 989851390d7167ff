#include "platform/FileText.h"

namespace stowly {

std::string EncodeFileText(Platform& os, const std::string& utf8) {
    if (auto ansi = os.Utf8ToAnsi(utf8)) return *ansi;
    return kUtf8Bom + utf8;
}

std::string DecodeFileText(Platform& os, const std::string& bytes) {
    if (bytes.starts_with(kUtf8Bom)) return bytes.substr(3);
    return os.AnsiToUtf8(bytes);
}

} // namespace stowly
