// The bootloader protocol byte for byte against recorded exchanges: what the host sends, what
// the controller answers, and how every answer that goes wrong is reported, on virtual time.
#include "tests/production/ScriptedLine.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t A = STBL_ACK, N = STBL_NACK;

// The controller's answer to GET: 11 commands, version 2.2, plain ERASE.
const ExchangeStep getWithErase{{0x00, 0xFF}, {A, 0x0B, 0x22, 0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x43, 0x63, 0x73, 0x82, 0x92, A}};
// The same from a controller that offers EXTENDED ERASE instead.
const ExchangeStep getWithExtendedErase{{0x00, 0xFF}, {A, 0x0B, 0x31, 0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x44, 0x63, 0x73, 0x82, 0x92, A}};

struct Exchange {
    ScriptedLine line;
    stbl::Session session;
    explicit Exchange(std::vector<ExchangeStep> steps) : line(std::move(steps)) { session.attach(&line); }
};

TEST(StblProtocol, RecordedProgrammingSessionByteForByte)
{
    Bytes block(16);
    std::iota(block.begin(), block.end(), std::uint8_t{0});
    Bytes blockFrame{0x0F};
    blockFrame.insert(blockFrame.end(), block.begin(), block.end());
    blockFrame.push_back(0x0F);  // 0x0F ^ (0x00 ^ ... ^ 0x0F)

    Exchange r({{{0x7F}, {A}},
           getWithErase,
           {{0x43, 0xBC}, {A}},
           {{0xFF, 0x00}, {A}, 900},
           {{0x31, 0xCE}, {A}},
           {{0x08, 0x00, 0x00, 0x00, 0x08}, {A}},
           {blockFrame, {A}},
           // six bytes go out as eight: the word is filled up with erased-flash bytes
           {{0x31, 0xCE}, {A}},
           {{0x08, 0x00, 0x00, 0x10, 0x18}, {A}},
           {{0x07, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0xFF, 0xFF, 0x16}, {A}},
           {{0x21, 0xDE}, {A}},
           {{0x08, 0x00, 0x00, 0x00, 0x08}, {A}}});

    ASSERT_EQ(r.session.init(), STBL_OK);
    std::uint8_t version = 0;
    STBL_Commands commands{};
    ASSERT_EQ(r.session.get(&version, &commands), STBL_OK);
    EXPECT_EQ(version, 0x22);
    ASSERT_EQ(commands.Count, 11);
    EXPECT_EQ(commands.Codes[6], 0x43);
    EXPECT_EQ(commands.Codes[10], 0x92);
    EXPECT_FALSE(r.session.offersExtendedErase());
    ASSERT_EQ(r.session.erase(255, nullptr), STBL_OK);
    ASSERT_EQ(r.session.write(0x08000000, block.data(), 16, true), STBL_OK);
    const std::array<std::uint8_t, 6> tail{0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    ASSERT_EQ(r.session.write(0x08000010, tail.data(), 6, true), STBL_OK);
    ASSERT_EQ(r.session.go(0x08000000), STBL_OK);

    EXPECT_EQ(r.line.sent(), r.line.expectedHost());
    EXPECT_TRUE(r.line.finished());
}

TEST(StblProtocol, ExtendedEraseIsUsedWhenThatIsWhatTheControllerOffers)
{
    Exchange r({{{0x7F}, {N}},  // already synchronised: still a success
           getWithExtendedErase,
           {{0x44, 0xBB}, {A}},
           {{0xFF, 0xFF, 0x00}, {A}, 8000}});
    ASSERT_EQ(r.session.init(), STBL_OK);
    ASSERT_EQ(r.session.get(nullptr, nullptr), STBL_OK);
    EXPECT_TRUE(r.session.offersExtendedErase());
    // A mass erase of a large flash takes seconds, far beyond the per-answer limit.
    r.session.setTimeout(100);
    EXPECT_EQ(r.session.erase(255, nullptr), STBL_OK);
    EXPECT_EQ(r.line.sent(), r.line.expectedHost());
}

TEST(StblProtocol, PageEraseListsItsPagesInBothForms)
{
    const std::array<std::uint8_t, 2> pages{0x03, 0x04};
    Exchange plain({{{0x43, 0xBC}, {A}}, {{0x01, 0x03, 0x04, 0x06}, {A}}});
    EXPECT_EQ(plain.session.erase(2, pages.data()), STBL_OK);
    EXPECT_EQ(plain.line.sent(), plain.line.expectedHost());

    Exchange extended({getWithExtendedErase, {{0x44, 0xBB}, {A}}, {{0x00, 0x01, 0x00, 0x03, 0x00, 0x04, 0x06}, {A}}});
    ASSERT_EQ(extended.session.get(nullptr, nullptr), STBL_OK);
    EXPECT_EQ(extended.session.erase(2, pages.data()), STBL_OK);
    EXPECT_EQ(extended.line.sent(), extended.line.expectedHost());

    Exchange none({});
    EXPECT_EQ(none.session.erase(255, pages.data()), STBL_ERR_ARGUMENT);
    EXPECT_EQ(none.session.erase(0, pages.data()), STBL_ERR_ARGUMENT);
    EXPECT_EQ(none.session.erase(3, nullptr), STBL_ERR_ARGUMENT);
    EXPECT_TRUE(none.line.sent().empty());
}

TEST(StblProtocol, ReadoutUnprotectWaitsForTheRestartedController)
{
    // The controller erases (slowly), restarts, ignores the first synchronisation while it boots
    // and answers the next one.
    Exchange r({{{0x92, 0x6D}, {A}}, {{}, {A}, 12000}, {{0x7F}, {}}, {{0x7F}, {A}}});
    r.session.setTimeout(100);
    EXPECT_EQ(r.session.protectionCommand(STBL_CMD_READOUT_UNPROTECT), STBL_OK);
    EXPECT_EQ(r.line.sent(), (Bytes{0x92, 0x6D, 0x7F, 0x7F}));
    EXPECT_EQ(r.line.tickMs(), 12100u);
}

TEST(StblProtocol, ProtectionCommandGivesUpWhenTheControllerNeverComesBack)
{
    Exchange r({{{0x82, 0x7D}, {A, A}}});
    r.session.setTimeout(100);
    EXPECT_EQ(r.session.protectionCommand(STBL_CMD_READOUT_PROTECT), STBL_ERR_NO_ANSWER);
    EXPECT_LE(r.line.tickMs(), 100u + STBL_PROTECT_TIMEOUT_MS);
    EXPECT_GE(r.line.tickMs(), STBL_PROTECT_TIMEOUT_MS);
}

TEST(StblProtocol, ReadMemoryRecorded)
{
    Bytes data{0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x02, 0x03, 0x04};
    Exchange r({{{0x11, 0xEE}, {A}}, {{0x08, 0x00, 0x01, 0x00, 0x09}, {A}}, {{0x07, 0xF8}, {Bytes{A}}}, {{}, data}});
    Bytes got(8);
    ASSERT_EQ(r.session.read(0x08000100, got.data(), 8), STBL_OK);
    EXPECT_EQ(got, data);
    EXPECT_EQ(r.line.sent(), r.line.expectedHost());
}

TEST(StblProtocol, LongWritesAreSplitIntoRequestsOfAtMost256Bytes)
{
    Bytes data(300, 0x5A);
    Bytes first{0xFF};
    first.insert(first.end(), 256, 0x5A);
    first.push_back(0xFF);  // 0xFF ^ 256 equal bytes
    Bytes second{0x2B};
    second.insert(second.end(), 44, 0x5A);
    second.push_back(0x2B);
    Exchange r({{{0x31, 0xCE}, {A}}, {{0x00, 0x00, 0x10, 0x00, 0x10}, {A}}, {first, {A}},
           {{0x31, 0xCE}, {A}}, {{0x00, 0x00, 0x11, 0x00, 0x11}, {A}}, {second, {A}}});
    EXPECT_EQ(r.session.write(0x1000, data.data(), 300, false), STBL_OK);
    EXPECT_EQ(r.line.sent(), r.line.expectedHost());
}

TEST(StblProtocol, WriteArgumentsOutsideTheProtocolSendNothing)
{
    const std::array<std::uint8_t, 6> six{};
    Exchange r({});
    EXPECT_EQ(r.session.write(0, six.data(), 6, false), STBL_ERR_ARGUMENT);  // not whole words
    EXPECT_EQ(r.session.write(0, nullptr, 4, true), STBL_ERR_ARGUMENT);
    EXPECT_EQ(r.session.write(0xFFFFFFFC, six.data(), 6, true), STBL_ERR_ARGUMENT);  // past 4 GiB
    EXPECT_EQ(r.session.write(0, six.data(), 0, true), STBL_OK);
    EXPECT_TRUE(r.line.sent().empty());

    stbl::Session closed;
    EXPECT_EQ(closed.init(), STBL_ERR_NOT_OPEN);
    EXPECT_EQ(closed.write(0, six.data(), 4, true), STBL_ERR_NOT_OPEN);
    EXPECT_EQ(closed.protectionCommand(STBL_CMD_READOUT_UNPROTECT), STBL_ERR_NOT_OPEN);
}

// Where an exchange goes wrong, and the status the host reports for it.
struct Failure {
    const char* name;
    std::vector<ExchangeStep> steps;
    std::uint8_t status;
};

TEST(StblProtocol, FailedAnswersGiveTheirStatus)
{
    const std::array<std::uint8_t, 16> block{};
    const std::vector<Failure> cases = {
        {"sync answered by garbage", {{{0x7F}, {0x00}}}, STBL_ERR_UNKNOWN},
        {"sync unanswered", {{{0x7F}, {}}}, STBL_ERR_NO_ANSWER},
        {"sync answered too late", {{{0x7F}, {A}, 1001}}, STBL_ERR_NO_ANSWER},
        {"write command refused", {{{0x31, 0xCE}, {N}}}, STBL_ERR_NACK},
        {"address refused", {{{0x31, 0xCE}, {A}}, {{0x08, 0x00, 0x00, 0x00, 0x08}, {N}}}, STBL_ERR_NACK},
        {"data refused", {{{0x31, 0xCE}, {A}}, {{0x08, 0x00, 0x00, 0x00, 0x08}, {A}}, {{}, {N}}}, STBL_ERR_NACK},
        {"data unanswered", {{{0x31, 0xCE}, {A}}, {{0x08, 0x00, 0x00, 0x00, 0x08}, {A}}}, STBL_ERR_NO_ANSWER},
        {"stray byte for ACK", {{{0x31, 0xCE}, {0x42}}}, STBL_ERR_BAD_ANSWER},
        {"get cut short", {{{0x00, 0xFF}, {A, 0x0B, 0x22, 0x00}}}, STBL_ERR_NO_ANSWER},
        {"erase never finishes", {{{0x43, 0xBC}, {A}}}, STBL_ERR_NO_ANSWER},
    };
    for (const Failure& c : cases) {
        SCOPED_TRACE(c.name);
        Exchange r(c.steps);
        const std::uint8_t first = c.steps.front().host.front();
        std::uint8_t status = 0;
        if (first == 0x7F)
            status = r.session.init();
        else if (first == 0x00)
            status = r.session.get(nullptr, nullptr);
        else if (first == 0x43)
            status = r.session.erase(255, nullptr);
        else
            status = r.session.write(0x08000000, block.data(), 16, true);
        EXPECT_EQ(status, c.status);
    }
}

TEST(StblProtocol, EveryWaitEndsWithinItsLimit)
{
    Exchange plain({{{0x31, 0xCE}, {}}});
    plain.session.setTimeout(250);
    const std::array<std::uint8_t, 4> word{};
    EXPECT_EQ(plain.session.write(0, word.data(), 4, false), STBL_ERR_NO_ANSWER);
    EXPECT_EQ(plain.line.tickMs(), 250u);

    Exchange erase({{{0x43, 0xBC}, {A}}});
    erase.session.setTimeout(100);
    EXPECT_EQ(erase.session.erase(255, nullptr), STBL_ERR_NO_ANSWER);
    EXPECT_EQ(erase.line.tickMs(), STBL_ERASE_TIMEOUT_MS);
}

TEST(StblProtocol, AFailingLineIsAnIoError)
{
    Exchange r({});
    r.line.failWrites();
    EXPECT_EQ(r.session.init(), STBL_ERR_IO);
}

}  // namespace
