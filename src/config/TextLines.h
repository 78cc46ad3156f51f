// Hands out a file's lines the way the C library's line reader does in text
// mode: CR LF becomes LF, and a line longer than the buffer comes in pieces.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

namespace nubo {

class TextLines {
public:
    // bufferSize as given to the line reader: a piece holds at most
    // bufferSize - 1 characters, its LF included.
    TextLines(std::FILE* file, std::size_t bufferSize);
    TextLines(const TextLines&) = delete;
    TextLines& operator=(const TextLines&) = delete;

    // The next piece, with its LF when it has one; false at the end of the file
    // (or on a read error) when nothing was read.
    bool Next(std::string& piece);

private:
    int Raw();
    int Translated();

    std::FILE* file_;
    std::size_t maxPiece_;
    unsigned char chunk_[8192];
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    int pushedBack_ = -1;
};

// Steps over a UTF-8 byte-order mark at the start of a freshly opened file, as
// editors on Windows like to write one; anything else is left to be read.
void SkipByteOrderMark(std::FILE* file);

// The text of a piece as a C string sees it: everything before its first NUL.
std::string UpToNul(const std::string& piece);

}  // namespace nubo
