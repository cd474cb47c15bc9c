#include "serial/sentence_splitter.h"

#include <cstring>

CSentenceSplitter::CSentenceSplitter(cCallback* onSentence, cCallback* onChunk, cCallback* onText)
    : m_onChunk(onChunk), m_onSentence(onSentence), m_onText(onText)
{
}

// Runs of ordinary bytes are located with memchr and appended at once; callbacks happen only at
// "$", at CR LF and at the end of a chunk.
void CSentenceSplitter::Feed(const char* bytes, int count)
{
    if (!bytes || count <= 0)
        return;
    const char* p = bytes;
    const char* const end = bytes + count;
    while (p < end) {
        switch (m_state) {
        case BetweenSentences: {
            const char* dollar = static_cast<const char*>(std::memchr(p, '$', end - p));
            if (!dollar) {
                m_text.append(p, end);
                if (m_onChunk)
                    (*m_onChunk)(m_text);
                if (m_onText)
                    (*m_onText)(m_text);
                m_text.clear();
                return;
            }
            m_text.append(p, dollar);
            m_sentence.assign(1, '$');
            m_state = InSentence;
            if (m_onText)
                (*m_onText)(m_text);
            m_text.clear();
            p = dollar + 1;
            break;
        }
        case InSentence: {
            const char* cr = static_cast<const char*>(std::memchr(p, '\r', end - p));
            const char* runEnd = cr ? cr : end;
            const std::size_t run = static_cast<std::size_t>(runEnd - p);
            if (m_sentence.size() + run > MaxSentenceLength) {
                // A runaway "sentence": give it up; the byte that crossed the limit is taken again
                // between sentences, so a "$" there starts the next one.
                p += MaxSentenceLength - m_sentence.size();
                m_sentence.clear();
                m_sentence.shrink_to_fit();
                m_state = BetweenSentences;
                break;
            }
            m_sentence.append(p, runEnd);
            if (cr) {
                m_state = CrSeen;
                p = cr + 1;
            } else {
                p = end;
            }
            break;
        }
        default: // CrSeen
            m_state = BetweenSentences;
            if (*p == '\n') {
                if (m_onSentence)
                    (*m_onSentence)(m_sentence);
                ++p;
            }
            // Any other byte drops the sentence but is taken again between sentences, so a "$"
            // right after a lone CR starts the next one.
            break;
        }
    }
}

void CSentenceSplitter::FeedChunk(const char* bytes, int count)
{
    Feed(bytes, count);
    if (m_onChunk && bytes && count > 0)
        (*m_onChunk)(std::string(bytes, static_cast<std::size_t>(count)));
}
