#pragma once

#include <string>
#include <string_view>

class CModel;

// One radio make as the wizard recognises it: the marker its reply carries and the mode code
// that follows from the receiver it sits behind. The result text of those modes belongs here too,
// so recognition and reporting cannot disagree.
struct SRadioRule {
    std::string_view Name;
    std::string_view Marker;
    int BaseMode;          // receiver answered as a base
    int RoverMode;         // receiver answered as a rover
    int DirectBaseMode;    // no receiver known, PC wired straight to the base's radio; 0 = none
    int DirectRoverMode;   // likewise for the rover's radio; 0 = none
    int TextId;            // status text when one of its modes is the result
    // Extra values the reply carries, read from the whole accumulated text; may be null.
    void (*ReadValues)(const std::string& accumulated, CModel& model);
};

// The makes in the order their markers are searched.
const SRadioRule* RadioRules(int* count);

// The rule whose base or rover mode is modeCode, or null.
const SRadioRule* RadioRuleForMode(int modeCode);

// Numbers received as text: leading blanks skipped, longest numeric prefix, 0 when there is none.
// Independent of the process locale (the GUI sets one from the environment).
double ReadDecimal(std::string_view text);
int ReadInteger(std::string_view text);

// Receiver of what the connection wizard's splitter delivers; fills ReceiverKind, ModeCode and the
// radio values of the model from the replies.
class CModeProcessor {
public:
    // Pieces of outside text are collected up to this size, then collection starts over.
    static constexpr std::size_t AccumulatorLimit = 5000;

    explicit CModeProcessor(CModel* model) : m_Model(model) {}

    void IgnoreText(std::string text);
    void OnModeSentence(std::string sentence);
    void OnRadioText(std::string text);

    const std::string& Accumulator() const { return m_Accumulator; }

private:
    CModel* m_Model;
    std::string m_Accumulator;
};
