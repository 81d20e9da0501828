// CSV files as spreadsheets write them, read in bounded memory and written back.
#include "Csv.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr size_t ChunkBytes = 64 * 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// True when the bytes need no repair to be written as UTF-8 text.
bool isCleanUtf8(std::string_view bytes)
{
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 0)
            return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t length = 0;
        char32_t min = 0;
        char32_t code = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            min = 0x80;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            min = 0x800;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            min = 0x10000;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

} // namespace

TByteSource MemorySource(std::string_view bytes)
{
    return [bytes](char *buffer, size_t size, QString &) mutable -> std::ptrdiff_t {
        const size_t n = std::min(size, bytes.size());
        std::memcpy(buffer, bytes.data(), n);
        bytes.remove_prefix(n);
        return std::ptrdiff_t(n);
    };
}

TCsvReader::TCsvReader(TByteSource source)
    : m_source(std::move(source))
    , m_buffer(ChunkBytes)
{
}

bool TCsvReader::fill()
{
    if (m_atEnd)
        return false;
    if (m_pos == m_end)
        m_pos = m_end = 0;
    const std::ptrdiff_t n = m_source(m_buffer.data() + m_end, m_buffer.size() - m_end, m_error);
    if (n <= 0) {
        m_atEnd = true;
        m_failed = n < 0;
        return false;
    }
    m_end += size_t(n);
    return true;
}

void TCsvReader::start()
{
    if (m_started)
        return;
    m_started = true;
    while (m_end - m_pos < 3 && fill()) {
    }
    if (m_end - m_pos >= 3 && std::memcmp(m_buffer.data() + m_pos, "\xEF\xBB\xBF", 3) == 0)
        m_pos += 3;
}

char TCsvReader::GuessSeparator()
{
    start();
    // The first line that is not blank, read whole unless it fills the buffer. Offsets from
    // m_pos, which a refill may move.
    size_t lineStart = 0;
    size_t lineEnd = 0;
    bool quoted = false;
    bool content = false;
    while (true) {
        for (; m_pos + lineEnd < m_end; ++lineEnd) {
            const char c = m_buffer[m_pos + lineEnd];
            if (c == '"')
                quoted = !quoted;
            if (c == '\n' && !quoted) {
                if (content)
                    break;
                lineStart = lineEnd + 1;
            } else if (!isBlank(c) && c != '"' && (quoted || (c != '\r' && c != ';' && c != ','))) {
                // A line of nothing else is a blank record, not the header; between quotes,
                // separators and line breaks are the field's own bytes.
                content = true;
            }
        }
        if (m_pos + lineEnd < m_end || m_end == m_buffer.size() || !fill())
            break;
    }
    lineStart += m_pos;
    lineEnd += m_pos;
    char found = 0;
    quoted = false;
    for (size_t i = lineStart; i < lineEnd; ++i) {
        const char c = m_buffer[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ';')
            found = ';'; // wherever it is: a decimal comma is not a separator then
        else if (!quoted && c == ',' && !found)
            found = ',';
    }
    m_separator = found ? found : ';';
    return m_separator;
}

bool TCsvReader::plainRecord()
{
    // The usual record: a whole line in the buffer, without quotes or carriage returns. Its
    // fields are then the bytes between separators, blanks included, as the states below
    // would read them.
    const char *begin = m_buffer.data() + m_pos;
    const size_t held = m_end - m_pos;
    const auto *newline = static_cast<const char *>(std::memchr(begin, '\n', held));
    if (!newline)
        return false;
    const auto length = size_t(newline - begin);
    if (length > MaxRecordBytes || std::memchr(begin, '"', length) ||
        std::memchr(begin, '\r', length))
        return false;
    m_record.assign(begin, length);
    const std::string_view line(m_record);
    size_t start = 0;
    for (size_t end; (end = line.find(m_separator, start)) != std::string_view::npos;
         start = end + 1)
        m_fields.push_back(line.substr(start, end - start));
    m_fields.push_back(line.substr(start));
    m_pos += length + 1;
    ++m_line;
    return true;
}

TCsvReader::TRecord TCsvReader::Next()
{
    enum class TState
    {
        FieldStart, // blanks so far, kept aside: before a quote they are not the field's
        Unquoted,
        Quoted,
        AfterQuote, // a quote inside a quoted field: its end, or the first of a pair
        Closed      // after the closing quote
    };

    m_record.clear();
    m_bounds.clear();
    m_fields.clear();
    start();
    if (m_pos == m_end && !fill())
        return m_failed ? TRecord::ReadError : TRecord::End;

    m_recordLine = m_line;
    if (plainRecord())
        return TRecord::Fields;
    TState state = TState::FieldStart;
    bool tooLong = false;
    bool carriageReturn = false; // a '\r' outside quotes, waiting to see whether '\n' follows
    std::string blanks;          // the blanks starting a field, the first MaxRecordBytes + 1
    size_t blankCount = 0;
    const char separator = m_separator;

    auto overflow = [&] {
        tooLong = true;
        m_record.clear();
        m_bounds.clear();
    };
    auto append = [&](const char *data, size_t size) {
        if (tooLong)
            return;
        if (m_record.size() + size > MaxRecordBytes)
            overflow();
        else
            m_record.append(data, size);
    };
    // The blanks that started the field are its own: no quote followed them.
    auto keepBlanks = [&] {
        if (blankCount > blanks.size())
            overflow();
        else
            append(blanks.data(), blanks.size());
        blanks.clear();
        blankCount = 0;
    };
    auto endField = [&] {
        if (state == TState::FieldStart)
            keepBlanks();
        if (!tooLong)
            m_bounds.push_back(m_record.size());
        state = TState::FieldStart;
    };

    while (true) {
        if (m_pos == m_end && !fill()) {
            if (m_failed)
                return TRecord::ReadError;
            if (state == TState::Quoted)
                return TRecord::Unfinished;
            if (carriageReturn) // a lone carriage return at the very end: the field's
                append("\r", 1);
            endField();
            break;
        }
        const char c = m_buffer[m_pos];
        if (carriageReturn) {
            carriageReturn = false;
            if (c != '\n') {
                // A lone carriage return is part of the field.
                state = TState::Unquoted;
                append("\r", 1);
            }
        }
        ++m_pos;
        if (c == '\n')
            ++m_line;
        // The states that lead into an unquoted field hand the byte on to it.
        if (state == TState::AfterQuote) {
            if (c == '"') {
                append("\"", 1);
                state = TState::Quoted;
                continue;
            }
            state = TState::Closed;
        }
        if (state == TState::Closed) {
            if (isBlank(c))
                continue; // blanks after the closing quote
            // Anything else as in an unquoted field: a stray byte is kept, as spreadsheets do.
            state = TState::Unquoted;
        }
        if (state == TState::FieldStart) {
            if (c == '"') {
                blanks.clear();
                blankCount = 0;
                state = TState::Quoted;
                continue;
            }
            if (isBlank(c)) {
                if (blankCount++ <= MaxRecordBytes)
                    blanks.push_back(c);
                continue;
            }
            keepBlanks();
            state = TState::Unquoted;
        }
        if (state == TState::Quoted) {
            if (c == '"') {
                state = TState::AfterQuote;
                continue;
            }
            size_t stop = m_pos;
            while (stop < m_end && m_buffer[stop] != '"' && m_buffer[stop] != '\n')
                ++stop;
            append(m_buffer.data() + m_pos - 1, stop - m_pos + 1);
            m_pos = stop;
            continue;
        }
        // Unquoted.
        if (c == separator) {
            endField();
            continue;
        }
        if (c == '\n') {
            endField();
            break;
        }
        if (c == '\r') {
            carriageReturn = true;
            continue;
        }
        // The plain bytes up to the next one that means something, in one piece.
        size_t stop = m_pos;
        while (stop < m_end && m_buffer[stop] != separator && m_buffer[stop] != '\n' &&
               m_buffer[stop] != '\r')
            ++stop;
        append(m_buffer.data() + m_pos - 1, stop - m_pos + 1);
        m_pos = stop;
    }

    if (tooLong)
        return TRecord::TooLong;
    size_t begin = 0;
    m_fields.reserve(m_bounds.size());
    for (size_t end : m_bounds) {
        m_fields.emplace_back(m_record.data() + begin, end - begin);
        begin = end;
    }
    return TRecord::Fields;
}

std::string_view TrimmedField(std::string_view field)
{
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t'))
        field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t'))
        field.remove_suffix(1);
    return field;
}

bool IsFieldWord(std::string_view field, std::string_view word)
{
    field = TrimmedField(field);
    return std::equal(field.begin(), field.end(), word.begin(), word.end(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
    });
}

QString SafeText(std::string_view bytes)
{
    // Most fields are plain ASCII: they need no decoding.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0; }))
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    // A byte-order mark inside a field is a character of the field.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    text.replace(QChar(u'\0'), QChar(QChar::ReplacementCharacter));
    return text;
}

QString QuotedInMessage(QStringView text)
{
    constexpr qsizetype MaxCharacters = 40;
    if (text.size() <= MaxCharacters)
        return text.toString();
    qsizetype cut = MaxCharacters;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut).toString() + u'…';
}

QString QuotedInMessage(std::string_view field)
{
    // Only the start of a long field is decoded: 40 characters take 160 bytes at most.
    constexpr size_t MaxBytes = 160;
    QString text = SafeText(field.substr(0, MaxBytes + 4));
    if (field.size() > MaxBytes + 4)
        text += u'…'; // longer in any case
    return QuotedInMessage(text);
}

void AppendCsvField(std::string &line, std::string_view field, char separator)
{
    // Most fields are ASCII with nothing to quote: they go as they are, after one look.
    if (std::none_of(field.begin(), field.end(), [separator](char c) {
            return c <= 0 || c == separator || c == '"' || c == '\n' || c == '\r';
        })) {
        line.append(field);
        return;
    }
    std::string repaired;
    if (!isCleanUtf8(field)) {
        const QByteArray bytes = SafeText(field).toUtf8();
        repaired.assign(bytes.constData(), size_t(bytes.size()));
        field = repaired;
    }
    // A field starting as a byte-order mark does would be taken for one when read back.
    bool quote = field.starts_with("\xEF\xBB\xBF");
    for (char c : field) {
        if (c == separator || c == '"' || c == '\n' || c == '\r') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        line.append(field);
        return;
    }
    line.push_back('"');
    for (char c : field) {
        if (c == '"')
            line.push_back('"');
        line.push_back(c);
    }
    line.push_back('"');
}
