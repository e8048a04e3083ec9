// Sequential text files: an input read field by field and an output written
// line by line, each line ended by carriage return and line feed. Every
// failure is a RunError whose description names the file.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

class InputFile {
public:
    // Opens an existing file for reading.
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool atEnd();
    // The next field: the text up to the next comma or line end (LF, CRLF or
    // CR), blanks at its start skipped, the comma or line end consumed.
    std::string readField();
    void close();

private:
    std::FILE* file_;
};

class OutputFile {
public:
    // Creates the file, or empties an existing one.
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void writeLine(const std::string& text);
    void close();

private:
    std::FILE* file_;
    std::string path_;
};

}  // namespace platform
