#pragma once
// The explicit embeddings, overrides and isolates open at a point of a paragraph
// (internal to platform/graphics). Text layout lays a long paragraph out in pieces, each
// on its own; a piece that starts inside an embedding opens it again first, so that the
// text after the piece's start keeps the direction the whole paragraph gives it.
#include <cstddef>
#include <string>
#include <vector>

namespace platform::graphics {

class OpenEmbeddings {
public:
    // Starts a paragraph whose level is 0 (left to right) or 1 (right to left).
    void startParagraph(bool rightToLeft);
    // Goes on through bytes [from, to) of `text` (character starts within the paragraph),
    // opening and closing as the bidi algorithm's explicit rules do, with its depth limit.
    void read(const std::string& text, std::size_t from, std::size_t to);
    // The controls that open what is open, outermost first (UTF-8; empty when nothing is).
    std::string openers() const;

private:
    struct Entry {
        char32_t control;
        int level;
        bool isolate;
    };
    void open(char32_t control);
    void closeEmbedding();
    void closeIsolate();

    int paragraphLevel_ = 0;
    std::vector<Entry> stack_;
    int overflowIsolates_ = 0, overflowEmbeddings_ = 0, isolates_ = 0;
};

}  // namespace platform::graphics
