#include "exchange/VvvFormat.h"

#include <charconv>
#include <unordered_map>
#include <vector>

namespace shelfmark {

namespace {

struct Field {
    std::string text;
    bool quoted = false;
};

// Splits CSV records; a quoted field may hold separators, doubled quotes and line breaks.
class CsvReader {
  public:
    CsvReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    size_t line() const { return line_; }

    // The next record; false with `message` when a quoted field is not closed properly.
    bool next(std::vector<Field>& fields, std::string& message) {
        fields.clear();
        recordLine_ = line_;
        for (;;) {
            Field field;
            if (pos_ < text_.size() && text_[pos_] == '"') {
                field.quoted = true;
                ++pos_;
                for (;;) {
                    if (pos_ >= text_.size()) {
                        message = "a quoted field is not closed";
                        return false;
                    }
                    const char c = text_[pos_++];
                    if (c == '"') {
                        if (pos_ < text_.size() && text_[pos_] == '"') {
                            field.text += '"';
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++line_;
                    field.text += c;
                }
                if (pos_ < text_.size() && text_[pos_] != separator_ && text_[pos_] != '\n' &&
                    text_[pos_] != '\r') {
                    message = "text after a closing quote";
                    return false;
                }
            } else {
                while (pos_ < text_.size() && text_[pos_] != separator_ && text_[pos_] != '\n' &&
                       text_[pos_] != '\r')
                    field.text += text_[pos_++];
            }
            fields.push_back(std::move(field));
            if (pos_ < text_.size() && text_[pos_] == separator_) {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '\r')
                ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '\n') {
                ++pos_;
                ++line_;
            }
            return true;
        }
    }
    size_t recordLine() const { return recordLine_; }

  private:
    std::string_view text_;
    char separator_;
    size_t pos_ = 0;
    size_t line_ = 1;
    size_t recordLine_ = 1;
};

// Fields of the first line when split at `separator` outside quotes.
size_t FieldsOfFirstLine(std::string_view text, char separator) {
    size_t fields = 1;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == separator)
            ++fields;
    }
    return fields;
}

std::optional<char> SeparatorOf(std::string_view text) {
    for (const char separator : {',', '\t', '|'}) {
        const size_t fields = FieldsOfFirstLine(text, separator);
        if (fields == 7 || fields == 6)
            return separator;
    }
    return std::nullopt;
}

bool ReadNumber(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<int64_t> ParseVvvDate(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const size_t blank = text.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    const std::string_view date = text.substr(0, blank);
    std::string_view time = text.substr(blank + 1);
    int hourShift = -1;  // -1: 24-hour clock
    if (time.ends_with(" AM") || time.ends_with(" PM")) {
        hourShift = time.ends_with(" PM") ? 12 : 0;
        time.remove_suffix(3);
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto split = [](std::string_view part, char separator, int (&out)[3], size_t& count) {
        count = 0;
        while (count < 3) {
            const size_t cut = part.find(separator);
            if (!ReadNumber(part.substr(0, cut), out[count++]))
                return false;
            if (cut == std::string_view::npos)
                return true;
            part = part.substr(cut + 1);
        }
        return false;
    };
    int d[3] = {}, t[3] = {};
    size_t dateParts = 0, timeParts = 0;
    if (split(date, '-', d, dateParts) && dateParts == 3) {
        year = d[0], month = d[1], day = d[2];
    } else if (split(date, '/', d, dateParts) && dateParts == 3) {
        month = d[0], day = d[1], year = d[2] < 100 ? (d[2] < 69 ? 2000 : 1900) + d[2] : d[2];
    } else if (split(date, '.', d, dateParts) && dateParts == 3) {
        day = d[0], month = d[1], year = d[2];
    } else {
        return std::nullopt;
    }
    if (!split(time, ':', t, timeParts) || timeParts < 2)
        return std::nullopt;
    hour = t[0], minute = t[1], second = timeParts == 3 ? t[2] : 0;
    if (hourShift >= 0) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + hourShift;
    }
    return LocalTimeToSeconds(year, month, day, hour, minute, second);
}

bool LooksLikeVvvExport(std::string_view text) {
    return SeparatorOf(text.substr(0, text.find('\n'))).has_value();
}

bool ReadVvvExport(std::string_view text, ForeignTreeBuilder& builder, ForeignReadError& error) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const std::optional<char> separator = SeparatorOf(text);
    if (!separator) {
        error = {"line 1", "not a Virtual Volumes View export (expected 7 or 6 fields)"};
        return false;
    }
    const bool physical = FieldsOfFirstLine(text, *separator) == 7;
    const size_t expected = physical ? 7 : 6;
    CsvReader reader(text, *separator);
    std::unordered_map<std::string, CatalogItem*> volumes;
    std::vector<Field> fields;
    std::string message;
    bool first = true;
    while (!reader.atEnd()) {
        if (!reader.next(fields, message)) {
            error = {"line " + std::to_string(reader.line()), message};
            return false;
        }
        const std::string where = "line " + std::to_string(reader.recordLine());
        if (fields.size() == 1 && fields[0].text.empty() && !fields[0].quoted)
            continue;  // an empty line
        if (fields.size() != expected) {
            error = {where, "expected " + std::to_string(expected) + " fields, found " +
                                std::to_string(fields.size())};
            return false;
        }
        const bool header = first && !fields[0].quoted;
        first = false;
        if (header)
            continue;
        // Physical: Volume, Path, Name, Size, Ext, Last modified, Description.
        // Virtual: Name, Size, Ext, Last modified, PhysicalPath, Description.
        const Field& name = physical ? fields[2] : fields[0];
        const Field& size = physical ? fields[3] : fields[1];
        const Field& modified = physical ? fields[5] : fields[3];
        const Field& description = physical ? fields[6] : fields[5];
        std::string volume, path;
        if (physical) {
            volume = fields[0].text;
            path = fields[1].text;
        } else {
            const std::string& full = fields[4].text;
            const size_t cut = full.find_first_of("/\\");
            volume = full.substr(0, cut);
            path = cut == std::string::npos ? std::string() : full.substr(cut);
        }
        uint64_t bytes = 0;
        const auto [end, ec] =
            std::from_chars(size.text.data(), size.text.data() + size.text.size(), bytes);
        if (ec != std::errc() || end != size.text.data() + size.text.size()) {
            error = {where, "the size '" + size.text + "' is not a whole number of bytes"};
            return false;
        }
        if (name.text.empty()) {
            error = {where, "a file without a name"};
            return false;
        }
        auto [slot, added] = volumes.try_emplace(volume, nullptr);
        if (added)
            slot->second = builder.addDisk(volume, MediaType::HardDisk);
        // The writer's native separator: "\dir\sub" from Windows, "/dir/sub" elsewhere.
        const char pathSeparator = path.starts_with('\\') ? '\\' : '/';
        CatalogItem* directory = builder.directoryAt(slot->second, path, pathSeparator);
        CatalogItem* file =
            builder.addFile(directory, name.text, bytes, ParseVvvDate(modified.text).value_or(0));
        if (!description.text.empty())
            builder.tree().setTextAttribute(file, attr::Description, description.text);
    }
    if (volumes.empty()) {
        error = {"", "the export lists no files"};
        return false;
    }
    return true;
}

}  // namespace shelfmark
