#include "lists/ListExport.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "catalog/CatalogTree.h"
#include "catalog/XmlOutline.h"
#include "foundation/CancelFlag.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

// Byte offsets of the characters of a UTF-8 text, plus its end; a byte that is not well-formed
// UTF-8 counts as one character.
std::vector<size_t> CharacterStarts(std::string_view text) {
    std::vector<size_t> starts;
    size_t pos = 0;
    while (pos < text.size()) {
        starts.push_back(pos);
        char32_t c = 0;
        const size_t length = text::DecodeUtf8(text, pos, c);
        pos += length ? length : 1;
    }
    starts.push_back(text.size());
    return starts;
}

// Characters as the bytes that do not continue a UTF-8 sequence (10xxxxxx). Every cell of a text
// export is counted, so eight bytes are looked at together: a byte continues a sequence when its
// top bit is set and the bit below it is clear.
size_t CharacterCount(std::string_view text) {
    constexpr uint64_t kTopBits = 0x8080808080808080u;
    size_t continuing = 0;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, text.data() + i, 8);
        // One bit per continuing byte, moved to the bottom of its byte and summed by a multiply
        // (at most 8, so no byte of the sum overflows).
        const uint64_t marks = (word & ~(word << 1) & kTopBits) >> 7;
        continuing += size_t((marks * 0x0101010101010101u) >> 56);
    }
    for (; i < text.size(); ++i)
        continuing += (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    return text.size() - continuing;
}

constexpr std::string_view kLineEnd = "\r\n";
constexpr size_t kStyleSheetLimit = 260;

}  // namespace

std::string_view TargetSuffix(ExportTarget target) {
    switch (target) {
        case ExportTarget::Csv: return "csv";
        case ExportTarget::Text: return "txt";
        case ExportTarget::Xml: return "xml";
        case ExportTarget::Printer: return "prn";
    }
    return "csv";
}

std::string FitText(std::string_view text, int width) {
    const std::vector<size_t> starts = CharacterStarts(text);
    const long length = long(starts.size()) - 1;
    const long w = std::max(width, 0);
    if (length <= w)
        return std::string(text);
    const size_t slash = text.rfind('\\');
    if (slash != std::string_view::npos) {
        const long b = long(std::lower_bound(starts.begin(), starts.end(), slash) - starts.begin());
        const long keep = w + b - length - 2;
        if (keep < 0)
            return std::string(text);
        return std::string(text.substr(0, starts[size_t(keep)])) + "..." + std::string(text.substr(slash));
    }
    if (w < 4)
        return std::string(text.substr(0, starts[size_t(w)]));
    return std::string(text.substr(0, starts[size_t(w - 3)])) + "...";
}

std::string CsvDelimiter(std::string_view separator) {
    std::string delimiter = "\"";
    for (size_t i = 0; i < separator.size(); ++i) {
        if (separator[i] == '\\' && i + 1 < separator.size()) {
            const char next = separator[i + 1];
            if (next == 'n' || next == 'r' || next == 't') {
                delimiter += next == 'n' ? '\n' : next == 'r' ? '\r' : '\t';
                ++i;
                continue;
            }
        }
        delimiter += separator[i];
    }
    return delimiter + "\"";
}

std::string XmlItemType(const CatalogTree& tree, const CatalogItem* item) {
    if (!item)
        return Str(26);
    const bool file = !item->isShortcut() && !(item->flags() & (itemflag::Directory | itemflag::Folder));
    return file ? Str(26) : tree.typeText(item);
}

ListExportFormat::ListExportFormat(const ListTable& table, const ExportOptions& options,
                                   const CatalogTree* tree)
    : table_(table), options_(options), tree_(tree) {
    for (size_t c = 0; c < table.columnCount(); ++c) {
        const ExportColumn column = c < options.columns.size() ? options.columns[c] : ExportColumn{};
        if (!column.checked)
            continue;
        ticked_.push_back(c);
        widths_.push_back(column.width);
        if (options.target == ExportTarget::Xml)
            elements_.push_back(XmlElementName(table.columns()[c].title));
    }
    delimiter_ = CsvDelimiter(options.fieldSeparator);
}

bool ListExportFormat::writesFile() const {
    return !ticked_.empty() || options_.target == ExportTarget::Text;
}

template <typename TextOf>
void ListExportFormat::appendLine(std::string& out, TextOf&& textOf, std::string_view ending) const {
    if (options_.target == ExportTarget::Csv) {
        out += '"';
        for (size_t i = 0; i < ticked_.size(); ++i) {
            if (i)
                out += delimiter_;
            out += textOf(ticked_[i]);
        }
        out += '"';
    } else {
        for (size_t i = 0; i < ticked_.size(); ++i) {
            const std::string_view text = textOf(ticked_[i]);
            const long width = std::max(widths_[i], 0);
            size_t length = CharacterCount(text);
            if (long(length) <= width) {
                out += text;  // the common case, without a copy
            } else {
                const std::string fitted = FitText(text, int(width));
                length = CharacterCount(fitted);
                out += fitted;
            }
            // A text that stays longer than its column gets no blanks.
            if (i + 1 < ticked_.size())
                out.append(size_t(std::max<long>(0, width - long(length) + 1)), ' ');
        }
    }
    out += ending;
}

void ListExportFormat::appendHead(std::string& out) const {
    if (ticked_.empty())
        return;
    const auto title = [this](size_t column) { return std::string_view(table_.columns()[column].title); };
    switch (options_.target) {
        case ExportTarget::Csv:
            appendLine(out, title, kLineEnd);
            break;
        case ExportTarget::Text:
            appendLine(out, title, "\r\n\r\n");
            break;
        case ExportTarget::Xml: {
            out += "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n";
            if (!options_.styleSheet.empty()) {
                const std::vector<size_t> starts = CharacterStarts(options_.styleSheet);
                const size_t end = starts[std::min(kStyleSheetLimit, starts.size() - 1)];
                out += "<?xml-stylesheet type=\"text/xsl\" href=\"";
                out += XmlAttributeValue(std::string_view(options_.styleSheet).substr(0, end));
                out += "\"?>\r\n";
            }
            out += kLineEnd;
            const std::string database = XmlAttributeValue(options_.databaseName);
            if (table_.rowCount() == 0)
                out += "<ItemList Database=\"" + database + "\"/>";
            else
                out += "<ItemList Database=\"" + database + "\">\r\n";
            break;
        }
        case ExportTarget::Printer:
            break;
    }
}

void ListExportFormat::appendRow(std::string& out, size_t row) const {
    if (ticked_.empty())
        return;
    switch (options_.target) {
        case ExportTarget::Csv:
        case ExportTarget::Text:
            appendLine(out, [this, row](size_t column) { return table_.cell(row, column); }, kLineEnd);
            break;
        case ExportTarget::Xml: {
            const std::string type = tree_ ? XmlItemType(*tree_, table_.row(row).item) : Str(26);
            out += "\t<Item Type=\"" + XmlAttributeValue(type) + "\">\r\n";
            for (size_t i = 0; i < ticked_.size(); ++i) {
                const std::string_view cell = table_.cell(row, ticked_[i]);
                out += "\t\t<";
                out += elements_[i];
                if (cell.empty()) {
                    out += "/>\r\n";
                    continue;
                }
                out += '>';
                out += XmlCharacterData(cell);
                out += "</";
                out += elements_[i];
                out += ">\r\n";
            }
            out += "\t</Item>\r\n";
            break;
        }
        case ExportTarget::Printer:
            break;
    }
}

size_t ListExportFormat::appendRows(std::string& out, size_t first, size_t end, const CancelFlag* cancel) const {
    if (!ticked_.empty() && first < end) {
        if (options_.target == ExportTarget::Csv)
            return appendCsvRows(out, first, end, cancel);
        if (options_.target == ExportTarget::Text)
            return appendTextRows(out, first, end, cancel);
    }
    for (size_t row = first; row < end; ++row) {
        if (cancel && cancel->isSet())
            return row;
        appendRow(out, row);
    }
    return end;
}

namespace {

// Bytes a block of rows may write past its last byte: short cells, delimiters and blanks are
// copied as one fixed-size piece, which the compiler turns into a few vector moves instead of a
// call.
constexpr size_t kCopyPiece = 32;
constexpr char kBlanks[kCopyPiece + 1] = "                                ";

// Copies `size` bytes from `from` to `to` and returns the end of the copy. When the text is short
// and `fromEnd` leaves a whole piece readable, a fixed piece is copied; the bytes beyond `size`
// land in room that the caller owns and overwrites next.
inline char* CopyShort(char* to, const char* from, size_t size, const char* fromEnd) {
    if (size <= kCopyPiece && size_t(fromEnd - from) >= kCopyPiece)
        std::memcpy(to, from, kCopyPiece);
    else
        std::memcpy(to, from, size);
    return to + size;
}

inline char* AppendBlanks(char* to, size_t count) {
    if (count <= kCopyPiece)
        std::memcpy(to, kBlanks, kCopyPiece);
    else
        std::memset(to, ' ', count);
    return to + count;
}

// Copies a cell of `table`; its view lies inside the table's text, which bounds the fixed copy.
inline char* CopyCell(char* to, const ListTable& table, std::string_view cell) {
    const std::string_view all = table.cellTexts();
    return CopyShort(to, cell.data(), cell.size(), all.data() + all.size());
}

// Grows `out` by `bytes` and one copied piece and returns where the new room starts; the block
// writers cut `out` back to what they wrote.
char* GrowForBlock(std::string& out, size_t bytes) {
    const size_t start = out.size();
    out.resize(start + bytes + kCopyPiece);
    return out.data() + start;
}

}  // namespace

// CSV rows without a call or a capacity check per cell: the room is the rows' whole cell text
// plus delimiters, quotes and line ends.
size_t ListExportFormat::appendCsvRows(std::string& out, size_t first, size_t end, const CancelFlag* cancel) const {
    const size_t perRow = (ticked_.size() - 1) * delimiter_.size() + 4;  // delimiters, two quotes, CR LF
    char* to = GrowForBlock(out, table_.textBytesOfRows(first, end) + (end - first) * perRow);
    // The delimiter padded to a whole piece, so that it is copied like a short cell.
    std::string delimiter = delimiter_;
    delimiter.resize(std::max(delimiter.size(), kCopyPiece));
    const char* const delimiterEnd = delimiter.data() + delimiter.size();
    size_t row = first;
    for (; row < end; ++row) {
        if (cancel && cancel->isSet())
            break;
        *to++ = '"';
        for (size_t i = 0; i < ticked_.size(); ++i) {
            if (i)
                to = CopyShort(to, delimiter.data(), delimiter_.size(), delimiterEnd);
            to = CopyCell(to, table_, table_.cell(row, ticked_[i]));
        }
        std::memcpy(to, "\"\r\n", 3);
        to += 3;
    }
    out.resize(size_t(to - out.data()));
    return row;
}

// Text rows the same way. The room is the rows' whole cell text (a fitted text is never longer
// in bytes than the text it was cut from: it drops at least three characters for its "..."),
// the blanks after every column but the last (at most width + 1 each) and CR LF.
size_t ListExportFormat::appendTextRows(std::string& out, size_t first, size_t end, const CancelFlag* cancel) const {
    size_t perRow = 2;
    for (size_t i = 0; i + 1 < ticked_.size(); ++i)
        perRow += size_t(std::max(widths_[i], 0)) + 1;
    char* to = GrowForBlock(out, table_.textBytesOfRows(first, end) + (end - first) * perRow);
    size_t row = first;
    for (; row < end; ++row) {
        if (cancel && cancel->isSet())
            break;
        for (size_t i = 0; i < ticked_.size(); ++i) {
            const std::string_view text = table_.cell(row, ticked_[i]);
            const long width = std::max(widths_[i], 0);
            long length = long(CharacterCount(text));
            if (length <= width) {
                to = CopyCell(to, table_, text);
            } else {
                const std::string fitted = FitText(text, int(width));
                length = long(CharacterCount(fitted));
                std::memcpy(to, fitted.data(), fitted.size());
                to += fitted.size();
            }
            // A text that stays longer than its column gets no blanks.
            if (i + 1 < ticked_.size() && width - length + 1 > 0)
                to = AppendBlanks(to, size_t(width - length + 1));
        }
        std::memcpy(to, "\r\n", 2);
        to += 2;
    }
    out.resize(size_t(to - out.data()));
    return row;
}

void ListExportFormat::appendTail(std::string& out) const {
    if (options_.target == ExportTarget::Xml && !ticked_.empty() && table_.rowCount() != 0)
        out += "</ItemList>";
}

std::string ExportedBytes(const ListTable& table, const ExportOptions& options, const CatalogTree* tree) {
    const ListExportFormat format(table, options, tree);
    std::string out;
    format.appendHead(out);
    format.appendRows(out, 0, table.rowCount());
    format.appendTail(out);
    return out;
}

namespace {

// The export file: created (or truncated) at once, written in large pieces, and closed with
// whatever was written when the export ends early.
class ExportFile {
  public:
    explicit ExportFile(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
        if (fd_ < 0)
            error_ = std::strerror(errno);
    }
    ~ExportFile() { close(); }
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    std::string& buffer() { return buffer_; }
    // Writes the buffer out when it has grown large (or always with `force`).
    bool flush(bool force = false) {
        if (!force && buffer_.size() < kPiece)
            return true;
        size_t done = 0;
        while (fd_ >= 0 && done < buffer_.size()) {
            const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error_ = std::strerror(errno);
                return false;
            }
            done += size_t(n);
        }
        buffer_.clear();
        return true;
    }
    bool close() {
        if (fd_ < 0)
            return error_.empty();
        const bool flushed = flush(true);
        const bool closed = ::close(fd_) == 0;
        if (!closed && error_.empty())
            error_ = std::strerror(errno);
        fd_ = -1;
        return flushed && closed;
    }

  private:
    static constexpr size_t kPiece = 1 << 20;
    int fd_ = -1;
    std::string buffer_;
    std::string error_;
};

void ReportCannotWrite(Prompter& prompter, const std::string& path, const std::string& reason) {
    prompter.error("Unable to write to " + path + ", it is read-only or opened by someone else.\n" + reason);
}

}  // namespace

ExportOutcome RunListExport(const ExportJob& job, Prompter& prompter) {
    const ExportOptions& options = job.options;
    if (options.target == ExportTarget::Csv && options.fieldSeparator.empty()) {
        prompter.error(Str(19));
        return ExportOutcome::EmptySeparator;
    }
    const ListExportFormat format(*job.table, options, job.tree);
    if (!format.writesFile())
        return ExportOutcome::NothingTicked;
    ExportFile file(job.path);
    if (!file.isOpen()) {
        ReportCannotWrite(prompter, job.path, file.error());
        return ExportOutcome::CannotWrite;
    }
    if (!format.anyTicked())
        return file.close() ? ExportOutcome::NothingTicked : ExportOutcome::CannotWrite;
    format.appendHead(file.buffer());
    const size_t rows = job.table->rowCount();
    const size_t step = std::max<size_t>(1, rows / 1000);
    bool cancelled = false;
    // Blocks of rows from one progress report to the next; the cancel flag is still read before
    // every row.
    for (size_t row = 0; row < rows && !cancelled;) {
        if (job.progress)
            job.progress(row, rows);
        const size_t blockEnd = std::min(rows, row + step);
        const size_t done = format.appendRows(file.buffer(), row, blockEnd, job.cancel);
        cancelled = done < blockEnd;
        row = done;
        if (!file.flush()) {
            ReportCannotWrite(prompter, job.path, file.error());
            return ExportOutcome::CannotWrite;
        }
    }
    if (!cancelled)
        format.appendTail(file.buffer());
    if (!file.close()) {
        ReportCannotWrite(prompter, job.path, file.error());
        return ExportOutcome::CannotWrite;
    }
    if (job.progress)
        job.progress(rows, rows);
    return cancelled ? ExportOutcome::Cancelled : ExportOutcome::Written;
}

}  // namespace shelfmark
