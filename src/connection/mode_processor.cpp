#include "connection/mode_processor.h"

#include <cctype>
#include <charconv>
#include <iterator>

#include "base/base_commands.h"
#include "connection/model.h"
#include "ui/string_table.h"

namespace {

// The text from `from` with `length` characters; out-of-range or negative lengths give what fits.
std::string_view Slice(std::string_view text, std::size_t from, long long length)
{
    if (length <= 0 || from >= text.size())
        return {};
    return text.substr(from, static_cast<std::size_t>(length));
}

// Satel replies name the frequency between two "MHz" and the power between two "mW".
void ReadSatelValues(const std::string& acc, CModel& model)
{
    const auto mhz = acc.find("MHz");
    const auto nextMhz = acc.find("MHz", mhz + 3);
    double frequency = 0.0;
    if (nextMhz != std::string::npos)
        frequency = ReadDecimal(Slice(acc, mhz + 3, static_cast<long long>(nextMhz) - mhz - 4));
    model.SetRadioFrequency(frequency);

    const auto mw = acc.find("mW");
    if (mw == std::string::npos)
        return;
    const auto nextMw = acc.find("mW", mw + 2);
    int power = 0;
    if (nextMw != std::string::npos)
        power = ReadInteger(Slice(acc, mw + 2, static_cast<long long>(nextMw) - mw - 3));
    model.SetRadioPower(power);
}

constexpr SRadioRule Rules[] = {
    {"Microhard", "MHX920", ModeCodes::MicrohardBase, ModeCodes::MicrohardRover,
     ModeCodes::MicrohardBase, ModeCodes::MicrohardRover, StringIds::MicrohardDetected, nullptr},
    {"Maxstream", "Firm", ModeCodes::MaxstreamBase, ModeCodes::MaxstreamRover, 0, 0, StringIds::MaxstreamDetected, nullptr},
    {"Satel", "MHz", ModeCodes::SatelBase, ModeCodes::SatelRover, 0, 0, StringIds::SatelDetected, &ReadSatelValues},
};

std::string_view SkipBlanks(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    return text.substr(i);
}

}  // namespace

const SRadioRule* RadioRules(int* count)
{
    if (count)
        *count = static_cast<int>(std::size(Rules));
    return Rules;
}

const SRadioRule* RadioRuleForMode(int modeCode)
{
    for (const auto& rule : Rules)
        if (rule.BaseMode == modeCode || rule.RoverMode == modeCode)
            return &rule;
    return nullptr;
}

double ReadDecimal(std::string_view text)
{
    text = SkipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

int ReadInteger(std::string_view text)
{
    text = SkipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    unsigned long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range)
        return negative ? -2147483647 - 1 : 2147483647;
    if (ec != std::errc())
        return 0;
    if (value > 2147483647ULL)
        return negative ? -2147483647 - 1 : 2147483647;
    return negative ? -static_cast<int>(value) : static_cast<int>(value);
}

void CModeProcessor::IgnoreText(std::string) {}

void CModeProcessor::OnModeSentence(std::string sentence)
{
    using namespace BaseCommands::Replies;
    if (sentence.find(AppBase) != std::string::npos) {
        m_Model->SetReceiverKind(ReceiverKinds::Base);
        return;
    }
    for (auto rover : AppRover) {
        if (sentence.find(rover) != std::string::npos) {
            m_Model->SetReceiverKind(ReceiverKinds::Rover);
            return;
        }
    }
}

void CModeProcessor::OnRadioText(std::string text)
{
    if (m_Accumulator.size() >= AccumulatorLimit) {
        m_Accumulator.clear();
        return;
    }
    m_Accumulator += text;

    const int kind = m_Model->GetReceiverKind();
    const int mode = m_Model->GetModeCode();
    for (const auto& rule : Rules) {
        if (m_Accumulator.find(rule.Marker) == std::string::npos)
            continue;
        if (rule.ReadValues)
            rule.ReadValues(m_Accumulator, *m_Model);
        int newMode = 0;
        if (kind == ReceiverKinds::Base)
            newMode = rule.BaseMode;
        else if (kind == ReceiverKinds::Rover)
            newMode = rule.RoverMode;
        else if (mode == ModeCodes::DirectBase)
            newMode = rule.DirectBaseMode;
        else if (mode == ModeCodes::DirectRover)
            newMode = rule.DirectRoverMode;
        if (newMode != 0)
            m_Model->SetModeCode(newMode);
        break;
    }

    const auto twoB = m_Accumulator.find("2B");
    if (twoB != std::string::npos) {
        const auto from = twoB + 3;
        const auto cr = from <= m_Accumulator.size() ? m_Accumulator.find('\r', from) : std::string::npos;
        m_Model->SetRadio2BValue(cr == std::string::npos
                                     ? 0
                                     : ReadInteger(Slice(m_Accumulator, from, static_cast<long long>(cr - from))));
    }
}
