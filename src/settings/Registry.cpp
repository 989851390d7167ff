#include "settings/Registry.h"

#include <charconv>

#include "core/Error.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr int kTypeMismatch = 13;

std::string AsText(const RegData& value) {
    if (auto* text = std::get_if<std::string>(&value)) return *text;
    if (auto* number = std::get_if<int32_t>(&value)) return std::to_string(*number);
    return {};
}

int32_t AsNumber(const RegData& value) {
    if (auto* number = std::get_if<int32_t>(&value)) return *number;
    auto* text = std::get_if<std::string>(&value);
    if (!text) return 0; // nothing converts to 0
    std::string digits = Trim(*text);
    int32_t number = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec == std::errc::result_out_of_range) throw RuntimeError(err::Overflow);
    if (ec != std::errc{} || end != digits.data() + digits.size()) throw RuntimeError(kTypeMismatch);
    return number;
}

} // namespace

int WriteRegValue(const OpenRegKey& key, const std::string& name, int type, const RegData& value) {
    switch (type) {
    case kRegSz: return key.os.RegWrite(key.root, key.path, name, AsText(value), false);
    case kRegDword: return key.os.RegWrite(key.root, key.path, name, AsNumber(value), false);
    default: return 0;
    }
}

int ReadRegValue(const OpenRegKey& key, const std::string& name, RegData& value) {
    RegData read;
    int result = key.os.RegRead(key.root, key.path, name, read);
    if (result != 0) return result;
    if (auto* text = std::get_if<std::string>(&read)) {
        value = TrimNull(*text) + '\0';
    } else if (std::holds_alternative<int32_t>(read)) {
        value = read;
    } else {
        return -1;
    }
    return 0;
}

void SetRegKeyValue(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name,
                    const RegData& value, int type) {
    WriteRegValue({os, root, keyPath}, name, type, value);
}

RegData QueryRegKeyValue(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name) {
    RegData value;
    if (ReadRegValue({os, root, keyPath}, name, value) != 0) return {};
    return value;
}

void DeleteRegValue(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name) {
    os.RegDelete(root, keyPath, name);
}

bool WriteRegString(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name,
                    const std::string& text) {
    return os.RegWrite(root, keyPath, name, text, true) == 0;
}

} // namespace stowly
