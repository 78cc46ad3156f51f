// Line pieces of a data file, read in binary so that every platform splits
// them alike.
#include "config/TextLines.h"

namespace nubo {

TextLines::TextLines(std::FILE* file, std::size_t bufferSize)
    : file_(file), maxPiece_(bufferSize > 1 ? bufferSize - 1 : 1) {}

int TextLines::Raw() {
    if (pushedBack_ >= 0) {
        const int c = pushedBack_;
        pushedBack_ = -1;
        return c;
    }
    if (pos_ == end_) {
        if (!file_) return EOF;
        end_ = std::fread(chunk_, 1, sizeof chunk_, file_);
        pos_ = 0;
        if (end_ == 0) return EOF;
    }
    return chunk_[pos_++];
}

int TextLines::Translated() {
    const int c = Raw();
    if (c != '\r') return c;
    const int next = Raw();
    if (next == '\n') return '\n';
    pushedBack_ = next == EOF ? -1 : next;
    return '\r';
}

bool TextLines::Next(std::string& piece) {
    piece.clear();
    while (piece.size() < maxPiece_) {
        const int c = Translated();
        if (c == EOF) break;
        piece += static_cast<char>(c);
        if (c == '\n') break;
    }
    return !piece.empty();
}

void SkipByteOrderMark(std::FILE* file) {
    unsigned char head[3];
    const std::size_t n = std::fread(head, 1, sizeof head, file);
    if (n != sizeof head || head[0] != 0xEF || head[1] != 0xBB || head[2] != 0xBF)
        std::rewind(file);
}

std::string UpToNul(const std::string& piece) {
    return piece.substr(0, piece.find('\0'));
}

}  // namespace nubo
