#pragma once

#include <string>
#include <string_view>

class CBaseStatus;
class CModel;

// The one parser of the base's replies. The base configuration dialog binds ParseReply into its
// TCallback<CCommandProcessor>, so every "$" sentence its splitter completes arrives here.
class CCommandProcessor {
public:
    CCommandProcessor(CBaseStatus* status, CModel* model) : m_Status(status), m_Model(model) {}
    virtual ~CCommandProcessor() = default;

    // Recognises the first reply prefix (in a fixed order) that occurs anywhere in the sentence and
    // stores the value that follows it. Unrecognised sentences, and decimals that read as NaN or
    // infinity, are ignored; nothing is reported.
    void ParseReply(std::string sentence);

    // The reply ParseReply would take the sentence for: its prefix (empty when none) and the text
    // that follows it.
    struct SReply {
        std::string_view Prefix, Value;
    };
    static SReply FindReply(std::string_view sentence);
    // False when ParseReply would ignore this reply's value (a decimal reading as NaN or infinity).
    static bool CarriesValue(std::string_view prefix, std::string_view value);

    CBaseStatus* GetStatus() const { return m_Status; }
    CModel* GetModel() const { return m_Model; }

    // Field splitting of the mark and battery-time replies: a field is the text up to the first comma
    // (all of it when there is none); the next field is taken from what follows that comma, or from
    // the same text again when there was none. The last field keeps any further commas.
    struct SFields3 {
        std::string_view first, second, third;
    };
    struct SFields2 {
        std::string_view first, second;
    };
    static SFields3 SplitThree(std::string_view value);
    static SFields2 SplitTwo(std::string_view value);

private:
    CBaseStatus* m_Status;
    CModel* m_Model;
};
