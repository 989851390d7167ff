#include "core/DelimitedReader.h"

#include "core/Error.h"
#include "platform/Text.h"

namespace stowly {

namespace {

long long ParseNumber(const std::string& field, long long min, long long max) {
    std::string s = Trim(field);
    if (s.empty()) return 0;
    size_t i = 0;
    bool negative = false;
    if (s[0] == '-' || s[0] == '+') {
        negative = s[0] == '-';
        ++i;
    }
    if (i == s.size()) throw RuntimeError(err::TypeMismatch);
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') throw RuntimeError(err::TypeMismatch);
        // Past any 32-bit value there is no need to keep counting exactly.
        if (value < (1LL << 40)) value = value * 10 + (s[i] - '0');
    }
    if (negative) value = -value;
    if (value < min || value > max) throw RuntimeError(err::Overflow);
    return value;
}

} // namespace

DelimitedReader::DelimitedReader(std::string text) : text_(std::move(text)) {
    size_t last = text_.find_last_not_of(" \r\n");
    contentEnd_ = last == std::string::npos ? 0 : last + 1;
}

void DelimitedReader::SkipLineEnd() {
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

std::string DelimitedReader::Next() {
    if (AtEnd()) throw RuntimeError(err::InputPastEnd);
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;

    std::string value;
    if (pos_ < text_.size() && text_[pos_] == '"') {
        size_t close = text_.find_first_of("\"\r\n", pos_ + 1);
        if (close == std::string::npos || text_[close] != '"') throw RuntimeError(err::BadFileFormat);
        value = text_.substr(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        size_t stop = text_.find_first_of(",\r\n", pos_);
        pos_ = stop == std::string::npos ? text_.size() : stop;
    } else {
        size_t stop = text_.find_first_of(",\r\n", pos_);
        if (stop == std::string::npos) stop = text_.size();
        value = TrimRight(std::string_view(text_).substr(pos_, stop - pos_));
        pos_ = stop;
    }

    if (value.find('\0') != std::string::npos) throw RuntimeError(err::BadFileFormat);
    if (pos_ < text_.size()) {
        if (text_[pos_] == ',')
            ++pos_;
        else
            SkipLineEnd();
    }
    return value;
}

int16_t DelimitedReader::NextInt16() { return static_cast<int16_t>(ParseNumber(Next(), INT16_MIN, INT16_MAX)); }

int32_t DelimitedReader::NextInt32() { return static_cast<int32_t>(ParseNumber(Next(), INT32_MIN, INT32_MAX)); }

} // namespace stowly
