#pragma once

#include <cstddef>
#include <string>

#include "serial/callback.h"

// Cuts a received byte stream into "$" sentences (ended by CR LF, delivered without it) and the
// text between them. Sentences may span any number of chunks. Callbacks are not owned and are
// called synchronously from Feed/FeedChunk.
//
//   onSentence: each complete sentence, starting with "$".
//   onChunk:    the outside text at the end of a chunk, and (FeedChunk) the whole chunk.
//   onText:     the outside text whenever it is flushed (at each "$", also when empty, and at the
//               end of a chunk).
class CSentenceSplitter
{
public:
    // An unfinished sentence longer than this is dropped, so a stream with a "$" and never a CR LF
    // cannot grow memory without bound.
    static constexpr std::size_t MaxSentenceLength = 64 * 1024;

    enum State { BetweenSentences = 0, InSentence = 1, CrSeen = 2 };

    explicit CSentenceSplitter(cCallback* onSentence, cCallback* onChunk = nullptr,
                               cCallback* onText = nullptr);

    // Consumes count bytes; count <= 0 does nothing.
    void Feed(const char* bytes, int count);
    // Feed, then OnChunk with exactly the chunk's bytes (NUL bytes included).
    void FeedChunk(const char* bytes, int count);

    int GetState() const { return m_state; }
    const std::string& GetSentenceBuffer() const { return m_sentence; }

private:
    std::string m_sentence;
    std::string m_text;
    int m_state = BetweenSentences;
    cCallback* m_onChunk;
    cCallback* m_onSentence;
    cCallback* m_onText;
};
