// CSV files as spreadsheets write them (RFC 4180, with ';' or ',' between fields), read in
// bounded memory and written back with the quoting they need.
#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A source of bytes: fills the buffer, returns the count read, 0 at the end, -1 on a read
// error (with the French reason in `error`).
using TByteSource = std::function<std::ptrdiff_t(char *buffer, size_t size, QString &error)>;

// The bytes of a text held in memory, which must outlive the source.
TByteSource MemorySource(std::string_view bytes);

class TCsvReader
{
public:
    // A record holding more bytes than this is not kept: it is reported as too long.
    static constexpr size_t MaxRecordBytes = 64 * 1024;

    enum class TRecord
    {
        Fields,     // a record, its fields in Fields()
        TooLong,    // a record longer than MaxRecordBytes, skipped
        Unfinished, // a quoted field still open at the end of the input, skipped
        End,        // no more records
        ReadError   // the source failed; ErrorText() says why
    };

    explicit TCsvReader(TByteSource source);

    // Skips a byte-order mark and guesses the separator from the first line that is not
    // blank: ';' when it holds one outside quotes, else ',' when it holds one, else ';'.
    char GuessSeparator();
    void SetSeparator(char separator) { m_separator = separator; }
    char Separator() const { return m_separator; }

    // The next record; blank lines are records of one empty field.
    TRecord Next();
    const std::vector<std::string_view> &Fields() const { return m_fields; }
    // The line on which the last record began, counting from 1.
    long Line() const { return m_recordLine; }
    const QString &ErrorText() const { return m_error; }

private:
    void start();
    // Reads a record of the usual form at once; false, having read nothing, for any other.
    bool plainRecord();
    // Reads more bytes after those held; false at the end of the input or on a read error.
    bool fill();

    TByteSource m_source;
    std::vector<char> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_started = false;
    char m_separator = ';';
    long m_line = 1;
    long m_recordLine = 0;
    std::string m_record;
    std::vector<size_t> m_bounds;
    std::vector<std::string_view> m_fields;
    QString m_error;
};

// Appends a field to a CSV line, quoted when it holds the separator, a quote or a line break.
// Bytes that are not UTF-8, and NUL characters, are written as U+FFFD.
void AppendCsvField(std::string &line, std::string_view field, char separator);

// A field without the blanks and tabs around it, as a batch file's fields are read.
std::string_view TrimmedField(std::string_view field);
// A field (without the blanks around it) is that word of a batch file: ASCII letters in any case,
// the word written in lower case.
bool IsFieldWord(std::string_view field, std::string_view word);

// The bytes as UTF-8 text: what is not UTF-8, and NUL characters, become U+FFFD.
QString SafeText(std::string_view bytes);
// A field as an error message quotes it: safe text, at most 40 characters, then "…".
QString QuotedInMessage(std::string_view field);
QString QuotedInMessage(QStringView text);
