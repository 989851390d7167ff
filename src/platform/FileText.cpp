#include "platform/FileText.h"

#include "platform/Errors.h"

namespace stowly {

std::string EncodeFileText(Platform& os, const std::string& utf8) {
    if (auto ansi = os.Utf8ToAnsi(utf8)) return *ansi;
    return kUtf8Bom + utf8;
}

std::string DecodeFileText(Platform& os, const std::string& bytes) {
    if (bytes.starts_with(kUtf8Bom)) return bytes.substr(3);
    return os.AnsiToUtf8(bytes);
}

std::string ReadTextFile(Platform& os, const std::string& path) {
    int error = 0;
    auto bytes = os.ReadFile(path, &error);
    if (!bytes) throw RuntimeError(error ? error : err::PathFileAccess);
    return DecodeFileText(os, *bytes);
}

void WriteTextFile(Platform& os, const std::string& path, const std::string& utf8) {
    if (int error = os.WriteFile(path, EncodeFileText(os, utf8))) throw RuntimeError(error);
}

} // namespace stowly
