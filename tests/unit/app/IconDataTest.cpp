#include "app/IconData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct Entry {
    uint8_t width;
    uint8_t colours;
    uint16_t bitCount;
    std::string image;  // the image's bytes
};

void PutWord(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void PutDword(std::string& s, uint32_t v) {
    PutWord(s, v & 0xFFFF);
    PutWord(s, v >> 16);
}

uint32_t Dword(const std::string& s, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}
uint16_t Word(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8);
}

// The start of a BITMAPINFOHEADER: what the parser reads of an image.
std::string BitmapImage(int32_t width, int32_t height, uint16_t bits, size_t total = 40) {
    std::string s;
    PutDword(s, 40);
    PutDword(s, static_cast<uint32_t>(width));
    PutDword(s, static_cast<uint32_t>(height));
    PutWord(s, 1);
    PutWord(s, bits);
    s.resize(total, '\x5A');
    return s;
}

std::string IconFile(const std::vector<Entry>& entries, uint16_t type = 1) {
    std::string s;
    PutWord(s, 0);
    PutWord(s, type);
    PutWord(s, static_cast<uint32_t>(entries.size()));
    size_t offset = 6 + 16 * entries.size();
    for (const Entry& e : entries) {
        s.push_back(static_cast<char>(e.width));
        s.push_back(static_cast<char>(e.width));
        s.push_back(static_cast<char>(e.colours));
        s.push_back(0);
        PutWord(s, 1);
        PutWord(s, e.bitCount);
        PutDword(s, static_cast<uint32_t>(e.image.size()));
        PutDword(s, static_cast<uint32_t>(offset));
        offset += e.image.size();
    }
    for (const Entry& e : entries) s += e.image;
    return s;
}

Entry Bmp(uint8_t width, uint8_t colours, uint16_t bits) {
    return {width, colours, bits, BitmapImage(width, width * 2, bits)};
}

std::optional<IconImage> Select(const std::string& file, bool large) {
    return SelectIconImage(reinterpret_cast<const unsigned char*>(file.data()), file.size(), large);
}

// Offset of entry i's image in a file made by IconFile.
size_t ImageOffset(const std::vector<Entry>& entries, size_t i) {
    size_t offset = 6 + 16 * entries.size();
    for (size_t k = 0; k < i; ++k) offset += entries[k].image.size();
    return offset;
}

TEST(IconDirectory, Selection_FirstSixteenColourEntryOfTheWidthElseTheLast) {
    struct Case {
        const char* name;
        std::vector<Entry> entries;
        bool large;
        size_t expected;
    };
    const std::vector<Case> cases = {
        {"the application icon's order, large", {Bmp(48, 16, 4), Bmp(32, 16, 4), Bmp(16, 16, 4), Bmp(32, 0, 8), Bmp(32, 0, 32)}, true, 1},
        {"the application icon's order, small", {Bmp(48, 16, 4), Bmp(32, 16, 4), Bmp(16, 16, 4), Bmp(32, 0, 8), Bmp(16, 0, 32)}, false, 2},
        {"a 32-bit entry first does not qualify", {Bmp(32, 0, 32), Bmp(32, 16, 4), Bmp(16, 0, 24)}, true, 1},
        {"fewer than 16 colours does not qualify", {Bmp(32, 8, 3), Bmp(32, 15, 4), Bmp(48, 0, 32)}, true, 2},
        {"more colours than 16 qualify", {Bmp(16, 255, 8), Bmp(16, 16, 4)}, false, 0},
        {"the first of two qualifying entries", {Bmp(32, 16, 4), Bmp(32, 16, 4)}, true, 0},
        {"no entry of the width: the last", {Bmp(48, 16, 4), Bmp(24, 16, 4), Bmp(64, 0, 32)}, false, 2},
        {"the other size is not taken", {Bmp(16, 16, 4), Bmp(20, 16, 4)}, true, 1},
        {"a single entry", {Bmp(128, 0, 32)}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = IconFile(c.entries);
        const auto image = Select(file, c.large);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->offset, ImageOffset(c.entries, c.expected));
        EXPECT_EQ(image->size, c.entries[c.expected].image.size());
        EXPECT_EQ(image->bitCount, c.entries[c.expected].bitCount);
    }
}

TEST(IconDirectory, Image_SizeAndDepthComeFromItsBitmapHeader) {
    // The directory says 32, the header says otherwise: the header wins, and
    // its height counts both masks.
    Entry odd{32, 16, 4, BitmapImage(30, 52, 8)};
    const std::string file = IconFile({odd});
    const auto image = Select(file, true);
    ASSERT_TRUE(image.has_value());
    EXPECT_FALSE(image->png);
    EXPECT_EQ(image->width, 30);
    EXPECT_EQ(image->height, 26);
    EXPECT_EQ(image->bitCount, 8);
}

TEST(IconDirectory, PngImage_TakesItsSizeFromTheDirectory) {
    std::string png = "\x89PNG\r\n\x1A\n";
    png += std::string("\0\0\0\x0DIHDR", 8) + std::string(13, '\0');
    for (const auto& [width, expected] : std::vector<std::pair<uint8_t, int>>{{0, 256}, {48, 48}}) {
        SCOPED_TRACE(expected);
        const std::string file = IconFile({{width, 0, 32, png}});
        const auto image = Select(file, true);
        ASSERT_TRUE(image.has_value());
        EXPECT_TRUE(image->png);
        EXPECT_EQ(image->width, expected);
        EXPECT_EQ(image->height, expected);
    }
}

TEST(IconDirectory, BadHeader_GivesNoImage) {
    const std::string good = IconFile({Bmp(32, 16, 4)});
    struct Case {
        const char* name;
        size_t at;
        char value;
    };
    const std::vector<Case> cases = {
        {"reserved word not 0", 0, 1},
        {"reserved high byte not 0", 1, 1},
        {"type 0", 2, 0},
        {"type 3 (neither icon nor cursor)", 2, 3},
        {"type high byte set", 3, 1},
        {"count 0", 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = good;
        file[c.at] = c.value;
        EXPECT_FALSE(Select(file, true).has_value());
    }
    EXPECT_TRUE(Select(IconFile({Bmp(32, 16, 4)}, 2), true).has_value()) << "a cursor file is read too";
    EXPECT_FALSE(SelectIconImage(nullptr, 100, true).has_value());
    EXPECT_FALSE(Select(std::string("\0\0\1\0\1", 5), true).has_value()) << "shorter than a header";
}

TEST(IconDirectory, CountOffsetOrSizeOutsideTheData_GivesNoImage) {
    const std::vector<Entry> entries = {Bmp(32, 16, 4), Bmp(16, 16, 4)};
    const std::string good = IconFile(entries);
    struct Case {
        const char* name;
        size_t entry;    // which entry's field to change (the chosen one matters)
        size_t field;    // 4: count in header; 8: byte count; 12: offset
        uint32_t value;
        bool large;
    };
    const std::vector<Case> cases = {
        {"count beyond the directory's room", 0, 4, 40, true},
        {"count 0xFFFF", 0, 4, 0xFFFF, true},
        {"offset past the end", 0, 12, static_cast<uint32_t>(good.size()) + 1, true},
        {"offset at the end with bytes", 0, 12, static_cast<uint32_t>(good.size()), true},
        {"byte count past the end", 1, 8, static_cast<uint32_t>(good.size()), false},
        {"offset plus byte count wraps", 0, 8, 0xFFFFFFF0u, true},
        {"offset near 4 GiB", 1, 12, 0xFFFFFFF0u, false},
        {"byte count too small for a bitmap header", 0, 8, 15, true},
        {"byte count 0", 1, 8, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = good;
        std::string value;
        if (c.field == 4) {
            PutWord(value, c.value);
            file.replace(4, 2, value);
        } else {
            PutDword(value, c.value);
            file.replace(6 + 16 * c.entry + c.field, 4, value);
        }
        EXPECT_FALSE(Select(file, c.large).has_value());
    }
    // The same directory with sound values is read: the cases above fail for
    // the field they change, not for the data around it.
    EXPECT_TRUE(Select(good, true).has_value());
    EXPECT_TRUE(Select(good, false).has_value());
}

TEST(IconDirectory, EveryTruncation_GivesNoImageOrOneInsideTheData) {
    const std::string file = IconFile({Bmp(48, 16, 4), Bmp(32, 16, 4), Bmp(16, 0, 32)});
    for (size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE(length);
        // A copy of exactly that length, so a read past it is a sanitizer error.
        std::vector<unsigned char> prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        for (bool large : {true, false}) {
            const auto image = SelectIconImage(prefix.data(), prefix.size(), large);
            if (image) {
                EXPECT_LE(image->offset + image->size, length);
            }
        }
    }
}

// --- rebuilding an icon file from its group resource -------------------------

std::string GroupDirectory(const std::vector<std::pair<Entry, uint16_t>>& entries) {
    std::string s;
    PutWord(s, 0);
    PutWord(s, 1);
    PutWord(s, static_cast<uint32_t>(entries.size()));
    for (const auto& [e, id] : entries) {
        s.push_back(static_cast<char>(e.width));
        s.push_back(static_cast<char>(e.width));
        s.push_back(static_cast<char>(e.colours));
        s.push_back(0);
        PutWord(s, 1);
        PutWord(s, e.bitCount);
        PutDword(s, static_cast<uint32_t>(e.image.size()));
        PutWord(s, id);
    }
    return s;
}

TEST(IconFileFromGroup, RebuildsTheFileTheGroupWasMadeFrom) {
    const std::vector<Entry> entries = {Bmp(32, 16, 4), Bmp(16, 16, 4), Bmp(32, 0, 32)};
    std::map<uint16_t, std::string> images;
    std::vector<std::pair<Entry, uint16_t>> group;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto id = static_cast<uint16_t>(7 + i);
        images[id] = entries[i].image;
        images[id][20] = static_cast<char>('a' + i);  // tell the images apart
        group.push_back({entries[i], id});
    }
    std::vector<Entry> expected = entries;
    for (size_t i = 0; i < entries.size(); ++i) expected[i].image = images[static_cast<uint16_t>(7 + i)];

    const std::string file = BuildIconFile(GroupDirectory(group), [&](uint16_t id) -> std::string_view {
        const auto it = images.find(id);
        return it == images.end() ? std::string_view() : std::string_view(it->second);
    }, IconEntries::All);
    EXPECT_EQ(file, IconFile(expected));
}

TEST(IconFileFromGroup, MissingImagesAreLeftOut_MalformedGroupsGiveNothing) {
    const Entry a = Bmp(32, 16, 4), b = Bmp(16, 16, 4);
    const auto only = [&](uint16_t present) {
        return [&, present](uint16_t id) -> std::string_view {
            if (id != present) return {};
            return id == 1 ? std::string_view(a.image) : std::string_view(b.image);
        };
    };
    for (IconEntries keep : {IconEntries::All, IconEntries::Choices}) {
        EXPECT_EQ(BuildIconFile(GroupDirectory({{a, 1}, {b, 2}}), only(2), keep), IconFile({b}));
        EXPECT_EQ(BuildIconFile(GroupDirectory({{a, 1}, {b, 2}}), only(9), keep), "");
    }

    const std::string good = GroupDirectory({{a, 1}, {b, 2}});
    struct Case {
        const char* name;
        std::string group;
    };
    const std::vector<Case> cases = {
        {"empty", ""},
        {"shorter than its header", good.substr(0, 5)},
        {"count beyond the data", good.substr(0, 6 + 14 + 13)},
        {"reserved word not 0", "\1" + good.substr(1)},
        {"count 0", good.substr(0, 4) + std::string(2, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (IconEntries keep : {IconEntries::All, IconEntries::Choices})
            EXPECT_EQ(BuildIconFile(c.group, only(1), keep), "");
    }
}

// --- the file of the chosen entries only -----------------------------------------

// A group whose entry i has the id i + 1 and an image of its own (its bytes
// tell it apart); the ids in `missing` have no image.
struct Group {
    std::vector<Entry> entries;
    std::set<uint16_t> missing;

    std::string Build(IconEntries keep) const {
        std::vector<std::pair<Entry, uint16_t>> group;
        for (size_t i = 0; i < entries.size(); ++i) group.push_back({entries[i], static_cast<uint16_t>(i + 1)});
        return BuildIconFile(GroupDirectory(group), [this](uint16_t id) -> std::string_view {
            if (id == 0 || id > entries.size() || missing.count(id)) return {};
            return entries[id - 1].image;
        }, keep);
    }
};

Entry Marked(uint8_t width, uint8_t colours, uint16_t bits, size_t mark) {
    Entry e = Bmp(width, colours, bits);
    e.image[20] = static_cast<char>(mark);
    e.image[21] = static_cast<char>(mark >> 8);
    return e;
}

// SelectIconImage on the file of the choices picks the same image as on the
// whole file: the same bytes, size and depth, or nothing in both.
void ExpectSameChoices(const std::string& whole, const std::string& choices) {
    for (bool large : {true, false}) {
        SCOPED_TRACE(large ? "large" : "small");
        const auto fromWhole = Select(whole, large);
        const auto fromChoices = Select(choices, large);
        ASSERT_EQ(fromWhole.has_value(), fromChoices.has_value());
        if (!fromWhole) continue;
        EXPECT_EQ(whole.substr(fromWhole->offset, fromWhole->size),
                  choices.substr(fromChoices->offset, fromChoices->size));
        EXPECT_EQ(fromWhole->width, fromChoices->width);
        EXPECT_EQ(fromWhole->height, fromChoices->height);
        EXPECT_EQ(fromWhole->bitCount, fromChoices->bitCount);
        EXPECT_EQ(fromWhole->png, fromChoices->png);
    }
}

TEST(IconFileOfChoices, KeepsOnlyWhatTheChoiceCanPick_AndPicksTheSameImages) {
    struct Case {
        const char* name;
        std::vector<Entry> entries;
        std::set<uint16_t> missing;
        std::vector<size_t> kept;  // indices into entries, in order
    };
    // The application icon's layout in small: 16-colour images, then 256-colour
    // and 32-bit ones of the same sizes.
    const std::vector<Entry> app = {Marked(48, 16, 4, 0), Marked(32, 16, 4, 1), Marked(16, 16, 4, 2),
                                    Marked(32, 0, 8, 3),  Marked(16, 0, 8, 4),  Marked(32, 0, 32, 5),
                                    Marked(16, 0, 32, 6)};
    const std::vector<Case> cases = {
        {"the application icon's layout", app, {}, {1, 2, 6}},
        {"the small image before the large one", {Marked(16, 16, 4, 0), Marked(24, 16, 4, 1), Marked(32, 16, 4, 2), Marked(48, 0, 32, 3)}, {}, {0, 2, 3}},
        {"no entry qualifies: the last alone", {Marked(32, 0, 32, 0), Marked(16, 8, 3, 1), Marked(48, 16, 4, 2)}, {}, {2}},
        {"only the large qualifies", {Marked(32, 16, 4, 0), Marked(16, 0, 32, 1), Marked(64, 0, 32, 2)}, {}, {0, 2}},
        {"the qualifying entries come last", {Marked(64, 0, 32, 0), Marked(32, 16, 4, 1), Marked(16, 16, 4, 2)}, {}, {1, 2}},
        {"the first of two qualifying entries", {Marked(32, 16, 4, 0), Marked(32, 255, 8, 1), Marked(16, 16, 4, 2), Marked(16, 16, 4, 3), Marked(20, 0, 32, 4)}, {}, {0, 2, 4}},
        {"a single entry", {Marked(128, 0, 32, 0)}, {}, {0}},
        {"the first candidates' images are missing: the next ones",
         {Marked(32, 16, 4, 0), Marked(16, 16, 4, 1), Marked(32, 16, 4, 2), Marked(16, 16, 4, 3), Marked(16, 0, 32, 4)},
         {1, 2},  // ids: entries 0 and 1
         {2, 3, 4}},
        {"the last image is missing: the one before is last", app, {7}, {1, 2, 5}},
        {"every candidate is missing", {Marked(32, 16, 4, 0), Marked(16, 16, 4, 1), Marked(48, 0, 32, 2)}, {1, 2}, {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Group group{c.entries, c.missing};
        std::vector<Entry> expected;
        for (size_t i : c.kept) expected.push_back(c.entries[i]);
        const std::string choices = group.Build(IconEntries::Choices);
        EXPECT_EQ(choices, IconFile(expected));
        ExpectSameChoices(group.Build(IconEntries::All), choices);
    }
}

TEST(IconFileOfChoices, EveryGroupOfUpToFourEntries_PicksTheSameImages) {
    // Kinds that each meet or miss the rule in another way, and an entry whose
    // image is missing; every group of one to four of them.
    const std::vector<std::pair<Entry, bool>> kinds = {
        {Bmp(32, 16, 4), false}, {Bmp(16, 16, 4), false}, {Bmp(32, 0, 32), false},
        {Bmp(16, 15, 4), false}, {Bmp(48, 16, 4), false}, {Bmp(16, 16, 4), true},
    };
    std::vector<size_t> pick;
    const std::function<void()> each = [&] {
        if (!pick.empty()) {
            Group group;
            for (size_t i = 0; i < pick.size(); ++i) {
                const Entry& kind = kinds[pick[i]].first;
                group.entries.push_back(Marked(kind.width, kind.colours, kind.bitCount, i));
                if (kinds[pick[i]].second) group.missing.insert(static_cast<uint16_t>(i + 1));
            }
            std::string name;
            for (size_t k : pick) name += std::to_string(k);
            SCOPED_TRACE(name);
            const std::string choices = group.Build(IconEntries::Choices);
            ExpectSameChoices(group.Build(IconEntries::All), choices);
            if (!choices.empty()) {
                EXPECT_LE(Word(choices, 4), 3) << "at most the large, the small and the last";
            }
        }
        if (pick.size() == 4) return;
        for (size_t k = 0; k < kinds.size(); ++k) {
            pick.push_back(k);
            each();
            pick.pop_back();
        }
    };
    each();
}

// --- the committed application icon --------------------------------------------

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}


TEST(ApplicationIcon, HoldsTheThirtyFiveBitmapImagesInOrder) {
    const std::string file = ReadFile(KESTROVA_ICON_FILE);
    ASSERT_GT(file.size(), 6u) << KESTROVA_ICON_FILE;
    struct Image {
        int bits;
        int size;
    };
    std::vector<Image> expected;
    for (int bits : {4, 8, 24})
        for (int size : {128, 96, 64, 48, 40, 32, 24, 20, 16}) expected.push_back({bits, size});
    for (int size : {128, 64, 48, 40, 32, 24, 20, 16}) expected.push_back({32, size});

    ASSERT_EQ(Word(file, 0), 0);
    ASSERT_EQ(Word(file, 2), 1);
    ASSERT_EQ(Word(file, 4), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Image& e = expected[i];
        SCOPED_TRACE(testing::Message() << "image " << i << ": " << e.bits << " bits, " << e.size);
        const size_t entry = 6 + 16 * i;
        EXPECT_EQ(static_cast<unsigned char>(file[entry]), e.size);
        EXPECT_EQ(static_cast<unsigned char>(file[entry + 1]), e.size);
        EXPECT_EQ(static_cast<unsigned char>(file[entry + 2]), e.bits == 4 ? 16 : 0);
        EXPECT_EQ(Word(file, entry + 6), e.bits);
        const uint32_t bytes = Dword(file, entry + 8), offset = Dword(file, entry + 12);
        ASSERT_LE(uint64_t{offset} + bytes, file.size());

        // A BITMAPINFOHEADER (not PNG), height doubled, palette, colour
        // bitmap and AND mask, rows padded to 4 bytes.
        const size_t paletteColours = e.bits == 4 ? 16 : e.bits == 8 ? 256 : 0;
        const size_t colourRow = (static_cast<size_t>(e.size) * e.bits + 31) / 32 * 4;
        const size_t maskRow = (static_cast<size_t>(e.size) + 31) / 32 * 4;
        EXPECT_EQ(Dword(file, offset), 40u);
        EXPECT_EQ(static_cast<int32_t>(Dword(file, offset + 4)), e.size);
        EXPECT_EQ(static_cast<int32_t>(Dword(file, offset + 8)), 2 * e.size);
        EXPECT_EQ(Word(file, offset + 14), e.bits);
        EXPECT_EQ(Dword(file, offset + 16), 0u) << "BI_RGB";
        EXPECT_EQ(bytes, 40 + 4 * paletteColours + (colourRow + maskRow) * static_cast<size_t>(e.size));
    }

    const auto* data = reinterpret_cast<const unsigned char*>(file.data());
    const auto large = SelectIconImage(data, file.size(), true);
    const auto small = SelectIconImage(data, file.size(), false);
    ASSERT_TRUE(large && small);
    EXPECT_EQ(large->offset, Dword(file, 6 + 16 * 5 + 12)) << "the 16-colour 32 x 32 image";
    EXPECT_EQ(small->offset, Dword(file, 6 + 16 * 8 + 12)) << "the 16-colour 16 x 16 image";
}

}  // namespace
