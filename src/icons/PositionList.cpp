#include "icons/PositionList.h"

#include "core/DelimitedReader.h"
#include "core/Error.h"
#include "core/TextFile.h"
#include "platform/Text.h"

namespace stowly {

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

namespace {

// Reads records after the header until only empty lines are left; at least one.
void ReadRecords(DelimitedReader& reader, std::vector<IconRecord>& records) {
    do {
        if (records.size() == kMaxIcons) throw RuntimeError(err::Overflow);
        IconRecord record;
        record.Name = Utf8Left(reader.Next(), kIconNameLength);
        record.X = reader.NextInt16();
        record.Y = reader.NextInt16();
        records.push_back(std::move(record));
    } while (!reader.OnlyEmptyLinesLeft());
}

} // namespace

std::vector<IconRecord> ReadPositionList(const std::string& text, std::string* screenSize) {
    DelimitedReader reader(text);
    for (int i = 0; i < 5; ++i) {
        std::string field = reader.Next();
        if (i == 3 && screenSize) *screenSize = std::move(field);
    }
    std::vector<IconRecord> records;
    ReadRecords(reader, records);
    return records;
}

PositionRecords ReadWholePositionRecords(const std::string& text) {
    PositionRecords result;
    try {
        DelimitedReader reader(text);
        for (int i = 0; i < 5; ++i) reader.Next();
        if (!reader.OnlyEmptyLinesLeft()) ReadRecords(reader, result.records);
    } catch (const RuntimeError&) {
        result.damaged = true;
    }
    return result;
}

void WritePositionFile(Platform& os, const std::string& path, const std::string& screenSizeText,
                       const std::vector<IconRecord>& icons) {
    WriteTextFile(os, path, PositionListText(screenSizeText, icons));
}

std::vector<IconRecord> ReadPositionFile(Platform& os, const std::string& path, std::string* screenSize) {
    return ReadPositionList(ReadTextFile(os, path), screenSize);
}

} // namespace stowly
