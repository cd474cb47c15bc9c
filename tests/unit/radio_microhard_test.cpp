// The Microhard dialect: conversions, reply rules, commit lines and one signal cycle.
#include <gtest/gtest.h>

#include "radio/microhard_dialect.h"
#include "support/fake_radio_link.h"

namespace {

using namespace Microhard;

TEST(Microhard, Conversions)
{
    const std::pair<const char*, int> ids[] = {{"105", 4}, {"101", 0}, {"99", 99}, {"201", 0}, {"200", 99},
                                               {"-5", 0}, {"", 0}, {"x", 0}};
    for (const auto& [value, id] : ids)
        EXPECT_EQ(RadioIdFromRegister(value), id) << value;
    EXPECT_EQ(RadioIdText(4), "04");

    const std::pair<const char*, std::optional<int>> typed[] = {
        {"07", 7}, {" 99 ", 99}, {"0", 0}, {"100", std::nullopt}, {"-1", std::nullopt}, {"", std::nullopt},
        {"5a", std::nullopt}, {"99999999999", std::nullopt}};
    for (const auto& [text, id] : typed)
        EXPECT_EQ(ParseRadioId(text), id) << text;

    const std::pair<const char*, const char*> powers[] = {{"19", "1000"}, {"31", "1000"}, {"25", "320"},
                                                          {"20", "100"}, {"30", "1000"}, {"", "1000"}};
    for (const auto& [code, text] : powers)
        EXPECT_EQ(PowerTextFromCode(code), text) << code;
    EXPECT_EQ(PowerCodeFromText("630"), 28);
    EXPECT_EQ(PowerCodeFromText("100"), 20);
    EXPECT_EQ(PowerCodeFromText("700"), std::nullopt);  // typed values are refused, not sent as 30

    EXPECT_EQ(RetransmissionsFromRegister("2"), "2");
    EXPECT_EQ(RetransmissionsFromRegister("5"), "3");
    EXPECT_EQ(ParseRetransmissions("3"), 3);
    EXPECT_EQ(ParseRetransmissions("4"), std::nullopt);

    const std::pair<const char*, int> levels[] = {{"12", 1}, {"15", 2}, {"17", 3}, {"16", 3}, {"18", 4}};
    for (const auto& [value, position] : levels) {
        EXPECT_EQ(BatteryPositionFromRegister(value), position) << value;
        if (std::string(value) != "16") {
            EXPECT_EQ(std::to_string(BatteryRegisterFromPosition(position)), value);
        }
    }

    const std::pair<int, std::optional<std::string>> signals[] = {
        {68, "-68 dBm"}, {120, "-120 dBm"}, {121, "No Signal"}, {0, std::nullopt}, {-5, std::nullopt}};
    for (const auto& [level, text] : signals)
        EXPECT_EQ(SignalText(level), text) << level;
    EXPECT_EQ(SignalFromReply("ATS123?\r\r\n1234\r\n"), 123);  // first three characters
    EXPECT_EQ(SignalFromReply("ATS123?\r\r\n-50\r\n"), -50);
    EXPECT_EQ(SignalFromReply("ATS123?\r\r\n68"), std::nullopt);  // not complete yet
}

TEST(Microhard, ReplyRules)
{
    struct SCase {
        const char* Name;
        std::string Reply;
        std::size_t Chunk;
        bool Ok;
        std::string Value;
    };
    const SCase cases[] = {
        {"value after the echo", "ATS104?\r\r\n105\r\n\r\nOK\r\n", SIZE_MAX, true, "105"},
        {"in pieces", "ATS104?\r\r\n105\r\n\r\nOK\r\n", 4, true, "105"},
        {"error", "ATS104?\r\r\nERROR\r\n", SIZE_MAX, false, "ATS104? ERROR"},
        {"no OK after the value yet", "ATS104?\r\r\n105\r\n", SIZE_MAX, false, "ATS104? 105"},
        {"other echo", "ATS108?\r\r\n30\r\n\r\nOK\r\n", SIZE_MAX, false, "ATS108? 30 OK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CFakeRadioLink link;
        link.ChunkSize = c.Chunk;
        link.Respond = [&](const std::string&, bool) { return c.Reply; };
        const SQueryResult r = RunQuery(link, QueryRadioId, SettingRule(QueryRadioId, EOverflow::FirstCharacters));
        EXPECT_EQ(r.Ok, c.Ok);
        EXPECT_EQ(r.Ok ? r.Value : r.Reply, c.Value);
    }
    for (const auto& [overflow, reply] : {std::pair{EOverflow::Zero, "0"}, {EOverflow::FirstCharacters, "ATS104?ATS104?ATS104"}}) {
        CFakeRadioLink link;
        std::string flood;
        while (flood.size() < 6000)
            flood += "ATS104?";
        link.Respond = [&](const std::string&, bool) { return flood; };
        const SQueryResult r = RunQuery(link, QueryRadioId, SettingRule(QueryRadioId, overflow));
        EXPECT_TRUE(r.Overflow);
        EXPECT_EQ(r.Reply, reply);
    }

    CFakeRadioLink link;
    link.Respond = [](const std::string&, bool) {
        return std::string("AT&V\r\r\nMHX920\r\n\r\nMicrohard Systems Inc.\r\n\r\nv1.56 build 1043\r\n\r\nS104=105\r\n\r\nOK\r\n");
    };
    const SQueryResult firmware = QueryFirmwareVersion(link);
    EXPECT_TRUE(firmware.Ok);
    EXPECT_EQ(firmware.Value, "v1.56 build 1043");
}

std::vector<std::string> Texts(const std::vector<SCommitStep>& steps)
{
    std::vector<std::string> out;
    for (const auto& s : steps)
        out.push_back(s.Text);
    return out;
}

TEST(Microhard, CommitLines)
{
    using V = std::vector<std::string>;
    const V closing = {"AT&W", "ATO", "$JCONN,X", "$KBASE,PASSTHROUGH,0"};
    auto with = [&](V head) {
        head.insert(head.end(), closing.begin(), closing.end());
        return head;
    };
    EXPECT_EQ(Texts(BaseCommit({.RadioId = 4})), with({"ATS104=105"}));
    EXPECT_EQ(Texts(BaseCommit({.RadioId = 0, .WriteDefaults = true})),
              with({"AT&F10", "ATS102=7", "ATS103=0", "ATS115=3", "ATS158=7", "ATS104=101"}));
    EXPECT_EQ(Texts(BaseCommit({.RadioId = 99, .ServiceOptions = true, .Retransmissions = 2, .BatteryPosition = 3,
                                .PowerCode = 28})),
              with({"ATS104=200", "ATS113=2", "ATS109=17", "ATS108=28"}));
    EXPECT_EQ(Texts(RoverCommit({.RadioId = 7})), with({"+++", "ATS104=108"}));
    EXPECT_EQ(Texts(RoverCommit({.RadioId = 7, .WriteDefaults = true})),
              with({"+++", "AT&F5", "ATS102=7", "ATS103=0", "ATS109=17", "ATS113=3", "ATS115=3", "ATS158=7",
                    "ATS104=108"}));
    const auto rover = RoverCommit({});
    EXPECT_TRUE(rover[0].Raw);
    EXPECT_EQ(rover[0].PauseBeforeMs, 1200);
    EXPECT_EQ(rover[1].PauseAfterMs, 30);
    EXPECT_EQ(BaseCommit({})[0].PauseAfterMs, 20);
    for (const auto& s : BaseCommit({}))  // AT commands are acknowledged, the receiver's sentences not
        EXPECT_EQ(static_cast<bool>(s.Acknowledged), s.Text.rfind("AT", 0) == 0) << s.Text;
}

TEST(Microhard, SignalCycle)
{
    struct SCase {
        const char* Name;
        std::string Reply;
        long long StopAtMs;
        int Level;
        std::vector<std::string> Sent;
        long long EndsByMs;
    };
    const SCase cases[] = {
        {"link up", "ATS123?\r\r\n68\r\n\r\nOK\r\n", LLONG_MAX, 68, {"+++", "ATS123?", "ATO"}, 7700},
        {"link down", "ATS123?\r\r\n130\r\n\r\nOK\r\n", LLONG_MAX, 130, {"+++", "ATS123?", "ATO"}, 7700},
        {"no reply keeps the level", "", LLONG_MAX, 5, {"+++", "ATS123?", "ATO"}, 9700},
        {"stop during the first guard time", "ATS123?\r\r\n68\r\n", 600, 5, {}, 1200},
        {"stop during the rest", "ATS123?\r\r\n68\r\n\r\nOK\r\n", 4000, 68, {"+++", "ATS123?", "ATO"}, 4050},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CFakeRadioLink link;
        link.StopAtMs = c.StopAtMs;
        link.ReplyDelayMs = 100;
        link.Respond = [&](const std::string& sent, bool) { return sent == "ATS123?" ? c.Reply : std::string(); };
        std::atomic<int> level{5};
        SignalCycle(link, level);
        EXPECT_EQ(level, c.Level);
        EXPECT_EQ(link.SentTexts(), c.Sent);
        EXPECT_LE(link.NowMs(), c.EndsByMs);
        if (!c.Sent.empty()) {
            EXPECT_EQ(link.Sent()[0].AtMs, 1200);  // the escape framed by both guard times
            EXPECT_EQ(link.Sent()[1].AtMs, 2400);
        }
    }
}

}  // namespace
