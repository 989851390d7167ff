#include "icons/PositionList.h"

#include "platform/Errors.h"
#include "platform/FileText.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr size_t kMaxRecords = 32767; // the record counter is signed 16-bit

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

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

} // namespace

void FieldReader::SkipLineEnd() {
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

std::string FieldReader::Next() {
    if (AtEnd()) throw RuntimeError(err::InputPastEnd);
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;

    std::string value;
    if (pos_ < text_.size() && text_[pos_] == '"') {
        size_t close = text_.find_first_of("\"\r\n", pos_ + 1);
        if (close == std::string::npos) close = text_.size();
        value = text_.substr(pos_ + 1, close - pos_ - 1);
        pos_ = close;
        if (pos_ < text_.size() && text_[pos_] == '"') ++pos_;
        size_t stop = text_.find_first_of(",\r\n", pos_);
        pos_ = stop == std::string::npos ? text_.size() : stop;
    } else {
        size_t stop = text_.find_first_of(",\r\n", pos_);
        if (stop == std::string::npos) stop = text_.size();
        value = TrimRight(std::string_view(text_).substr(pos_, stop - pos_));
        pos_ = stop;
    }

    if (pos_ < text_.size()) {
        if (text_[pos_] == ',')
            ++pos_;
        else
            SkipLineEnd();
    }
    return value;
}

int16_t FieldReader::NextInt16() { return static_cast<int16_t>(ParseNumber(Next(), INT16_MIN, INT16_MAX)); }

int32_t FieldReader::NextInt32() { return static_cast<int32_t>(ParseNumber(Next(), INT32_MIN, INT32_MAX)); }

bool FieldReader::OnlyEmptyLinesLeft() const {
    for (size_t i = pos_; i < text_.size(); ++i)
        if (text_[i] != ' ' && !IsLineEnd(text_[i])) return false;
    return true;
}

std::string IconLine(const IconRecord& icon, bool quoteAlways) {
    std::string name = Trim(icon.Name);
    if (quoteAlways || name.find(',') != std::string::npos) name = '"' + name + '"';
    return name + ',' + std::to_string(icon.X) + ',' + std::to_string(icon.Y);
}

std::string PositionListText(const std::string& screenSizeText, const std::vector<IconRecord>& icons) {
    std::string text = "\r\n\r\n\r\n" + screenSizeText + "\r\n\r\n";
    for (const auto& icon : icons) text += IconLine(icon, false) + "\r\n";
    return text;
}

std::vector<IconRecord> ReadPositionList(const std::string& text) {
    FieldReader reader(text);
    for (int i = 0; i < 5; ++i) reader.Next();
    std::vector<IconRecord> records;
    do {
        if (records.size() == kMaxRecords) throw RuntimeError(err::Overflow);
        IconRecord record;
        record.Name = Utf8Left(reader.Next(), kIconNameLength);
        record.X = reader.NextInt16();
        record.Y = reader.NextInt16();
        records.push_back(std::move(record));
    } while (!reader.OnlyEmptyLinesLeft());
    return records;
}

void WritePositionFile(Platform& os, const std::string& path, const std::string& screenSizeText,
                       const std::vector<IconRecord>& icons) {
    WriteTextFile(os, path, PositionListText(screenSizeText, icons));
}

std::vector<IconRecord> ReadPositionFile(Platform& os, const std::string& path) {
    return ReadPositionList(ReadTextFile(os, path));
}

} // namespace stowly
