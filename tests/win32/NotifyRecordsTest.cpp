// Decoding of ReadDirectoryChangesW buffers from hand-built bytes: order, names outside ASCII,
// the empty buffer of an overflow, and damaged buffers that must never be read out of bounds.
#include "platform/win32/NotifyRecords.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace pellmar::platform {
// Found by argument-dependent lookup from the matchers.
inline bool operator==(const DirectoryChange& a, const DirectoryChange& b) {
    return a.action == b.action && a.name == b.name;
}
}  // namespace pellmar::platform

namespace pellmar::platform::win32 {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

void PutWord(std::vector<unsigned char>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// Appends one record; `next` 0 ends the chain, otherwise the record's own (aligned) size is used.
void AddRecord(std::vector<unsigned char>& out, std::uint32_t action, const std::u16string& name, bool last) {
    const std::size_t at = out.size();
    std::size_t size = 12 + name.size() * 2;
    size = (size + 3) / 4 * 4;
    out.resize(at + size, 0);
    PutWord(out, at, last ? 0 : static_cast<std::uint32_t>(size));
    PutWord(out, at + 4, action);
    PutWord(out, at + 8, static_cast<std::uint32_t>(name.size() * 2));
    for (std::size_t i = 0; i < name.size(); ++i) {
        out[at + 12 + 2 * i] = static_cast<unsigned char>(name[i] & 0xFF);
        out[at + 13 + 2 * i] = static_cast<unsigned char>(name[i] >> 8);
    }
}

std::vector<DirectoryChange> Decode(const std::vector<unsigned char>& buffer) {
    std::vector<DirectoryChange> changes;
    DecodeNotifyRecords(buffer.data(), buffer.size(), &changes);
    return changes;
}

TEST(NotifyRecords, RecordsArriveInBufferOrderWithTheirNamesInUtf8) {
    std::vector<unsigned char> buffer;
    AddRecord(buffer, 4, u"sub\\a.txt", false);
    AddRecord(buffer, 5, u"sub\\b.txt", false);
    AddRecord(buffer, 3, u"b.txt", false);
    AddRecord(buffer, 3, u"b.txt", false);
    AddRecord(buffer, 9, u"\u00e9t\u00e9 \u65e5\u672c \U0001F600.doc", true);
    EXPECT_THAT(Decode(buffer),
                ElementsAre(DirectoryChange{4, "sub\\a.txt"}, DirectoryChange{5, "sub\\b.txt"},
                            DirectoryChange{3, "b.txt"}, DirectoryChange{3, "b.txt"},
                            DirectoryChange{9, "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80.doc"}));
}

TEST(NotifyRecords, AZeroedBufferAndEmptyNamesReportNothing) {
    EXPECT_THAT(Decode(std::vector<unsigned char>(kNotifyBufferSize, 0)), IsEmpty());
    std::vector<unsigned char> buffer;
    AddRecord(buffer, 1, u"", false);
    AddRecord(buffer, 1, u"x", true);
    EXPECT_THAT(Decode(buffer), ElementsAre(DirectoryChange{1, "x"}));
}

TEST(NotifyRecords, DamagedBuffersEndTheDecodingInsideTheirBounds) {
    std::vector<unsigned char> nameTooLong;
    AddRecord(nameTooLong, 1, u"a.txt", true);
    PutWord(nameTooLong, 8, 4000);
    EXPECT_THAT(Decode(nameTooLong), IsEmpty());

    std::vector<unsigned char> offsetPastEnd;
    AddRecord(offsetPastEnd, 1, u"a.txt", false);
    PutWord(offsetPastEnd, 0, 4096);
    EXPECT_THAT(Decode(offsetPastEnd), ElementsAre(DirectoryChange{1, "a.txt"}));

    std::vector<unsigned char> offsetBackwards;  // an offset below the header would loop for ever
    AddRecord(offsetBackwards, 1, u"a.txt", false);
    PutWord(offsetBackwards, 0, 4);
    EXPECT_THAT(Decode(offsetBackwards), ElementsAre(DirectoryChange{1, "a.txt"}));

    std::vector<unsigned char> cutHeader(7, 0xFF);
    EXPECT_THAT(Decode(cutHeader), IsEmpty());
}

TEST(NotifyRecords, UnpairedSurrogatesBecomeReplacementCharacters) {
    const unsigned char lone[] = {0x00, 0xD8, 0x41, 0x00};  // high surrogate, then 'A'
    EXPECT_EQ(Utf16LeToUtf8(lone, 2), "\xEF\xBF\xBD" "A");
}

}  // namespace
}  // namespace pellmar::platform::win32
